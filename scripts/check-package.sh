#!/usr/bin/env bash
# What installing users and distributions check: the desktop entry, the AppStream metainfo, the man
# pages and, with lintian, the .deb itself (built by scripts/package.sh). Each check runs when its tool
# is installed and is said to be skipped otherwise; any error or warning fails.
set -euo pipefail
cd "$(dirname "$0")/.."
checked=0
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate packaging/kestrilon4.desktop && checked=$((checked + 1))
else echo "desktop-file-validate not installed: skipped"; fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic packaging/kestrilon4.metainfo.xml && checked=$((checked + 1))
else echo "appstreamcli not installed: skipped"; fi
for page in packaging/man/*.1; do
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null || true)
  [ -z "$out" ] || { echo "$page: $out"; exit 1; }
done
checked=$((checked + 1))
if command -v lintian >/dev/null; then
  deb=$(scripts/package.sh | tail -n 1)
  lintian --fail-on error,warning --display-info "$deb"
  checked=$((checked + 1))
else echo "lintian not installed: skipped"; fi
echo "packaging: $checked checks passed"
