#!/usr/bin/env bash
# Screenshots of the real station for the README (docs/*.png): under Xvfb, against the simulator,
# with three days of a generated fast archive behind the from-to chart. Needs xvfb, x11-apps,
# imagemagick and xdotool. Uses 127.0.0.1 only.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRILON_TESTS=OFF >/dev/null
cmake --build "$build" --target kestrilon4 ad4eth-sim >/dev/null
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/archiv"
cp "$build/kestrilon4" "$work/"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf '%s\r\n' '[OKNO]' 'Top=0' 'Left=0' 'Width=781' 'Height=466' \
  '[AD4ETH]' 'IP=127.0.0.1' "Port=$port" 'Autopripojeni=1' 'Perioda=1000' 'PocetVzorkuNaPrumer=3' \
  '[ARCHIVACE]' "DatabaseDir=$work/archiv" 'RychlaActive=1' 'RychlaInterval=2000' \
  '[ANALOG_IN1]' 'BarvaCaryIndex=9' 'BarvaCary=255' \
  '[ANALOG_IN2]' '4mA=-20' '20mA=60' 'BarvaCaryIndex=3' 'BarvaCary=32768' \
  '[ANALOG_IN3]' 'BarvaCaryIndex=13' 'BarvaCary=16711680' 'JednotkaIndex=1' \
  '[ANALOG_IN4]' '4mA=0' '20mA=2' 'BarvaCaryIndex=6' 'BarvaCary=8388736' \
  '[OSTATNI]' 'DatumOdOffset=2' 'TypDB=1' 'Language=2' > "$work/kestrilon4.ini"
# Three days of the hourly archive, a row a minute, in the station's row format.
python3 - "$work/archiv" <<'PY'
import datetime, math, os, sys
folder = sys.argv[1]
now = datetime.datetime.now().replace(minute=0, second=0, microsecond=0)
t = now - datetime.timedelta(days=2, hours=now.hour)
while t < now:
    name = os.path.join(folder, t.strftime("FA_%Y%m%d_%H.csv"))
    with open(name, "w", newline="") as f:
        f.write("DATUM;CAS;IN1;IN2;IN3;IN4\r\n")
        for minute in range(60):
            at = t + datetime.timedelta(minutes=minute)
            h = (at - now).total_seconds() / 3600
            values = (50 + 20 * math.sin(h / 4), 21 + 4 * math.sin(h / 12), 60 + 10 * math.cos(h / 9), 1.01 + 0.02 * math.sin(h / 20))
            f.write(f"{at.day}.{at.month}.{at.year};{at.hour}:{at.minute:02d}:00;" + ";".join(f"{v:.4f}" for v in values) + "\r\n")
    t += datetime.timedelta(hours=1)
PY
"$build/tools/ad4eth-sim/ad4eth-sim" --port "$port" > "$work/sim.log" 2>&1 &
shoot() {
  export DISPLAY=:57
  Xvfb :57 -screen 0 1024x640x24 > /dev/null 2>&1 &
  sleep 1
  QT_QPA_PLATFORM=xcb "$work/kestrilon4" > "$work/station.log" 2>&1 &
  sleep 40  # the overview fills, the daily chart gets its first minute
  window=$(xdotool search --onlyvisible --name "Kestrilon4" | head -n 1)
  xdotool windowfocus "$window" || true  # no window manager: focus it directly
  crop() { xwd -root -silent | convert xwd:- -crop 781x466+0+0 +repage "docs/$1"; }
  crop overview.png
  xdotool key ctrl+Tab; sleep 1; crop daily-chart.png
  xdotool key ctrl+Tab; sleep 1; xdotool key F9; sleep 4; crop range-chart.png
}
shoot
echo "docs/overview.png docs/daily-chart.png docs/range-chart.png"
