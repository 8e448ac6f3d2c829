#!/usr/bin/env bash
# Starts the converter simulator on 127.0.0.1 and the station built in the given folder.
# On the first run it writes a settings file beside the station that points at the simulator,
# measures from the start and archives into run/archiv. Later runs keep the settings as edited.
# Options: --recorder (the station without windows), --mqtt (a broker on 127.0.0.1:1883, publishing on).
set -uo pipefail
build="$1"
shift
recorder=0
mqtt=0
for option in "$@"; do
  case "$option" in
    --recorder) recorder=1 ;;
    --mqtt) mqtt=1 ;;
    *) echo "unknown option $option (--recorder, --mqtt)"; exit 2 ;;
  esac
done
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
    '[MQTT]' 'Active=0' 'Host=127.0.0.1' 'Port=1883' 'TopicPrefix=kestrilon4/demo' \
    > "$ini"
  echo "Wrote $ini (converter 127.0.0.1:$port, archive in run/archiv)."
fi

if [ "$recorder" = 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
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
broker_pid=""
trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; [ -n "$broker_pid" ] && kill "$broker_pid" 2>/dev/null' EXIT

if [ "$mqtt" = 1 ]; then
  if ! (exec 3<>/dev/tcp/127.0.0.1/1883) 2>/dev/null; then
    printf 'listener 1883 127.0.0.1
allow_anonymous true
persistence false
' > "$root/run/mosquitto.conf"
    mosquitto -c "$root/run/mosquitto.conf" > "$root/run/mosquitto.log" 2>&1 &
    broker_pid=$!
    sleep 0.3
    echo "MQTT broker on 127.0.0.1:1883 (log: run/mosquitto.log)."
  fi
  # Publishing on in the demo's settings (the MQTT section's switch is its only "Active" key).
  grep -q '^\[MQTT\]' "$ini" || printf '%s\r\n' '[MQTT]' 'Active=0' 'Host=127.0.0.1' 'Port=1883' \
    'TopicPrefix=kestrilon4/demo' >> "$ini"
  sed -i 's/^Active=0\r$/Active=1\r/' "$ini"
  echo "Publishing under kestrilon4/demo: mosquitto_sub -v -t 'kestrilon4/#'"
fi

if [ "$recorder" = 1 ]; then
  echo "Recorder with $ini; Ctrl+C stops it."
  "$root/$build/kestrilon-recorder" --settings "$ini"
else
  "$station"
fi
