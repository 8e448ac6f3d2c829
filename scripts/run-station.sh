#!/usr/bin/env bash
# Starts the converter simulator on 127.0.0.1 and the station built in the given folder.
# On the first run it writes a settings file beside the station that points at the simulator,
# measures from the start and archives into run/archiv. Later runs keep the settings as edited.
set -uo pipefail
build="$1"
root="$(cd "$(dirname "$0")/.." && pwd)"
station="$root/$build/kestrilon4"
simulator="$root/$build/tools/ad4eth-sim/ad4eth-sim"
ini="$root/$build/kestrilon4.ini"
port=10001

mkdir -p "$root/run/archiv"
if [ ! -f "$ini" ]; then
  printf '%s\r\n' \
    '[AD4ETH]' 'IP=127.0.0.1' "Port=$port" 'Autopripojeni=1' 'Perioda=2000' \
    '[ARCHIVACE]' "DatabaseDir=$root/run/archiv" 'PomalaActive=1' 'PomalaInterval=60000' \
    'RychlaActive=1' 'RychlaInterval=2000' \
    '[ANALOG_IN1]' 'BarvaCaryIndex=9' 'BarvaCary=255' \
    '[ANALOG_IN2]' '4mA=-20' '20mA=60' 'BarvaCaryIndex=3' 'BarvaCary=32768' 'JednotkaIndex=0' \
    '[ANALOG_IN3]' 'BarvaCaryIndex=13' 'BarvaCary=16711680' 'JednotkaIndex=1' \
    '[ANALOG_IN4]' '4mA=0' '20mA=2' 'BarvaCaryIndex=6' 'BarvaCary=8388736' \
    > "$ini"
  echo "Wrote $ini (converter 127.0.0.1:$port, archive in run/archiv)."
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
  echo "No display found: the station runs offscreen (it records to run/archiv; no window is visible)."
fi

"$simulator" --port "$port" > "$root/run/simulator.log" 2>&1 &
sim_pid=$!
sleep 0.3
if ! kill -0 "$sim_pid" 2>/dev/null; then
  echo "Simulator not started (port $port busy?): $(tail -n 1 "$root/run/simulator.log")"
  sim_pid=""
else
  echo "Converter simulator on 127.0.0.1:$port (log: run/simulator.log)."
fi
trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null' EXIT

"$station"
