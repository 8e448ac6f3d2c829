#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running the station need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang dpkg-dev
  qt6-base-dev qt6-base-dev-tools libqcustomplot-dev libgl-dev
  libbenchmark-dev libmosquitto-dev mosquitto mosquitto-clients libcurl4-openssl-dev
  fonts-dejavu-core tzdata qt6-translations-l10n openssl systemd poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# A fresh machine has empty package lists.
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
