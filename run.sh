#!/usr/bin/env bash
# Builds the station (Release) and starts it against the bundled converter simulator.
# The station's files (settings, archive) live in run/ beside this script.
#   ./run.sh                    the window
#   ./run.sh --recorder         the recorder without windows (Ctrl+C stops it)
#   ./run.sh [--recorder] --mqtt  also a local mosquitto broker on 127.0.0.1:1883, publishing on
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRILON_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target kestrilon4 kestrilon-recorder ad4eth-sim

exec scripts/run-station.sh "$build" "$@"
