#!/usr/bin/env bash
# Starts the converter simulator on 127.0.0.1 and the station built in the given folder.
# On the first run it writes a settings file beside the station that points at the simulator,
# measures from the start and archives into run/archiv. Later runs keep the settings as edited.
# Options: --recorder (the station without windows), --mqtt (a broker on 127.0.0.1, publishing on
# for this run; the settings' MQTT keys are put back at the end). Ports: the first free ones from
# 10001 (simulator) and 1883 (broker).
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

# The first port from $1 on that nothing on 127.0.0.1 listens to.
free_port() {
  local p=$1
  while (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; do p=$((p + 1)); done
  echo "$p"
}
# Sets KEY=VALUE in [SECTION] of the settings file (CR LF kept), appending what is missing.
set_key() {
  local file=$1 section=$2 key=$3 value=$4
  awk -v s="[$section]" -v k="$key" -v v="$value" '
    { sub(/\r$/, "") }
    /^\[/ { if (in_s && !done) { print k "=" v "\r"; done = 1 } in_s = (tolower($0) == tolower(s)) }
    in_s && tolower($0) ~ "^" tolower(k) "=" { if (!done) print k "=" v "\r"; done = 1; next }
    { print $0 "\r" }
    END { if (!done) { if (!in_s) print s "\r"; print k "=" v "\r" } }' "$file" > "$file.new" && mv "$file.new" "$file"
}
port=$(free_port 10001)

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
# The simulator's port of this run (10001 unless something else listens there).
set_key "$ini" AD4ETH Port "$port"

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

restore_mqtt=""
if [ "$mqtt" = 1 ]; then
  broker_port=$(free_port 1883)
  printf 'listener %s 127.0.0.1\nallow_anonymous true\npersistence false\n' "$broker_port" > "$root/run/mosquitto.conf"
  # A normal user's PATH has no /usr/sbin, where Debian puts the broker.
  mosquitto=$(PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin" command -v mosquitto) ||
    { echo "mosquitto is not installed (apt-get install mosquitto): --mqtt needs it"; exit 1; }
  "$mosquitto" -c "$root/run/mosquitto.conf" > "$root/run/mosquitto.log" 2>&1 &
  broker_pid=$!
  sleep 0.3
  echo "MQTT broker on 127.0.0.1:$broker_port (log: run/mosquitto.log)."
  # Publishing on for this run only: the demo's MQTT keys are put back at the end.
  cp "$ini" "$ini.mqtt-before"
  restore_mqtt=1
  set_key "$ini" MQTT Active 1
  set_key "$ini" MQTT Host 127.0.0.1
  set_key "$ini" MQTT Port "$broker_port"
  grep -qi '^TopicPrefix=' "$ini" || set_key "$ini" MQTT TopicPrefix kestrilon4/demo
  echo "Publishing: mosquitto_sub -p $broker_port -v -t 'kestrilon4/#'"
fi
put_back_mqtt() {
  [ -n "$restore_mqtt" ] || return 0
  local key value
  for key in Active Host Port; do
    value=$(awk -v k="$key" 'BEGIN{IGNORECASE=1} /^\[/{m=(toupper($0) ~ /^\[MQTT\]/)} m && tolower($0) ~ "^" tolower(k) "=" {sub(/^[^=]*=/,""); sub(/\r$/,""); print; exit}' "$ini.mqtt-before")
    if [ -n "$value" ]; then set_key "$ini" MQTT "$key" "$value"; elif [ "$key" = Active ]; then set_key "$ini" MQTT Active 0; fi
  done
  rm -f "$ini.mqtt-before"
}
trap 'put_back_mqtt; [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; [ -n "$broker_pid" ] && kill "$broker_pid" 2>/dev/null' EXIT

if [ "$recorder" = 1 ]; then
  echo "Recorder with $ini; Ctrl+C stops it."
  "$root/$build/kestrilon-recorder" --settings "$ini"
else
  "$station"
fi
