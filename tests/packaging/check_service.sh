#!/usr/bin/env bash
# The recorder's service unit: valid for systemd, and exposed no more than 4.0 of 10 by
# `systemd-analyze security`. Usage: check_service.sh UNIT RECORDER (the built recorder stands in
# for the installed one). Exit 77 (skipped) without systemd-analyze.
set -euo pipefail
unit=$1
recorder=$2
command -v systemd-analyze >/dev/null || { echo "no systemd-analyze: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sed "s|/usr/bin/kestrilon-recorder|$recorder|" "$unit" > "$work/kestrilon-recorder.service"
systemd-analyze verify "$work/kestrilon-recorder.service"
# The exposure scale counts tenths: 40 is 4.0.
systemd-analyze security --offline=yes --threshold=40 "$work/kestrilon-recorder.service" | tail -1
grep -q '^WatchdogSec=' "$unit"
grep -q '^Type=notify' "$unit"
echo "service unit checked"
