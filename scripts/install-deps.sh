#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running the station need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang dpkg-dev
  qt6-base-dev qt6-base-dev-tools libqcustomplot-dev libgl-dev
  libbenchmark-dev libmosquitto-dev mosquitto mosquitto-clients libcurl4-openssl-dev
  fonts-dejavu-core tzdata qt6-translations-l10n openssl systemd poppler-utils
  # What test.sh's check of the package needs.
  lintian desktop-file-utils appstream man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# The check of the Node-RED recipe needs node and npm: Debian's, unless a node of another source
# (which brings its own npm and conflicts with Debian's) is installed.
command -v node >/dev/null && command -v npm >/dev/null || missing+=(nodejs npm)
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# A fresh machine has empty package lists.
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
