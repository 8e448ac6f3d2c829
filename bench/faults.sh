#!/usr/bin/env bash
# Fault runs of the Release station against the simulator, on 127.0.0.1 only (run by hand, figures
# go into notes, nothing is asserted):
#   bench/faults.sh kill [N]     N kill -9 at random moments (default 50) while recording at a 50 ms
#                                period with a 1 s fast archive; then every archive file is checked
#   bench/faults.sh flood [S]    floods, a silent converter, resets, a full backlog: RSS and CPU over
#                                S seconds (default 60), then the time until rows come again
#   bench/faults.sh archive      the archive folder read-only, full (tmpfs, needs root), deleted
#   bench/faults.sh settings     bad settings files: the station starts and what it starts with
# Needs ./run.sh's build (build-release). No other station may run meanwhile (one per machine).
set -uo pipefail
port=10091
slow_archive=1
source "$(dirname "$0")/station-common.sh"
trap 'kill $(jobs -p) 2>/dev/null; mountpoint -q "$work/archiv" && umount "$work/archiv"; rm -rf "$work"' EXIT

stop_station() { kill -9 "$station" 2>/dev/null; wait "$station" 2>/dev/null; }
start_sim() { "$sim" --port $port "$@" > "$work/sim.log" 2>&1 & simulator=$!; sleep 0.3; }
stop_sim() { kill "$simulator" 2>/dev/null; wait "$simulator" 2>/dev/null; }
# Seconds until the archive has grown by a row (at most 30).
until_rows() {
  local r0 t
  r0=$(rows)
  for ((t = 0; t < 300; t++)); do [ "$(rows)" -gt "$r0" ] && { echo "$((t / 10)).$((t % 10)) s"; return; }; sleep 0.1; done
  echo "none in 30 s"
}

check_archive() {
  local bad=0 f
  for f in "$work"/archiv/*.csv; do
    [ -f "$f" ] || continue
    [ "$(tr -d '\000' < "$f" | wc -c)" -eq "$(wc -c < "$f")" ] || { echo "NUL bytes in $f"; bad=1; }
    [ "$(grep -c DATUM "$f")" -eq 1 ] && head -n 1 "$f" | grep -q '^DATUM' || { echo "header not once at the top: $f"; bad=1; }
    # Every line but the header a complete row: d.M.yyyy;H:mm:ss; four numbers with four decimals.
    tail -n +2 "$f" | grep -Evc $'^[0-9]{1,2}\\.[0-9]{1,2}\\.[0-9]{4};[0-9]{1,2}:[0-9]{2}:[0-9]{2}(;-?[0-9]+\\.[0-9]{4}){4}\r$' |
      { read -r n; [ "$n" -eq 0 ] || { echo "$n bad lines in $f"; bad=1; }; }
  done
  [ $bad -eq 0 ] && echo "archive: every file has its header once, every line a complete row, no NUL"
}

case "${1:-}" in
  kill)
    n=${2:-50}
    settings 50 1000
    start_sim --raw 5000,5000,5000,5000
    alive=0
    for ((i = 1; i <= n; i++)); do
      start_station
      t=$((RANDOM % 2500 + 500))
      sleep "$(printf '%d.%03d' $((t / 1000)) $((t % 1000)))"
      alive=$((alive + t))
      stop_station
    done
    stop_sim
    echo "$n kills after $((alive / 1000)) s of recording in all: rows found $(rows) (at most one per second" \
         "after each start's first reply: about $((alive / 1000 - n)))"
    check_archive
    [ -s "$work/kestrilon4.ini" ] && grep -q 'DatabaseDir' "$work/kestrilon4.ini" && echo "settings file intact"
    ;;
  flood)
    seconds=${2:-60}
    settings 2000 2000
    while read -r name options; do
      if [ "$name" = backlog ]; then
        # A listener whose backlog is full and that never accepts.
        python3 -c "
import socket,time
s=socket.socket(); s.setsockopt(socket.SOL_SOCKET,socket.SO_REUSEADDR,1); s.bind(('127.0.0.1',$port)); s.listen(0)
c=[socket.create_connection(('127.0.0.1',$port)) for _ in range(3)]
time.sleep($seconds+5)" & simulator=$!
        sleep 0.5
      else
        start_sim $options
      fi
      start_station
      sleep 5
      line="$name:"
      t0=$(ticks)
      for ((t = 10; t <= seconds; t += 10)); do sleep 10; line+=" ${t}s $(rss)kB"; done
      t1=$(ticks)
      line+=", CPU $(echo "scale=1; ($t1-$t0)*100/$(getconf CLK_TCK)/$seconds" | bc) %"
      stop_sim
      start_sim --raw 5000,5000,5000,5000
      line+=", rows again after $(until_rows)"
      echo "$line; alive: $(kill -0 "$station" 2>/dev/null && echo yes || echo NO)"
      stop_station
      stop_sim
    done <<'LIST'
garbage-1MB/s --flood garbage --flood-rate 1000000
garbage-12.5MB/s --flood garbage --flood-rate 12500000
garbage-full --flood garbage
hex-full --flood hex
resets --close-after 1
silent --mode silent
backlog
LIST
    ;;
  archive)
    settings 100 500
    start_sim --raw 5000,5000,5000,5000
    mkdir -p "$work/archiv"
    start_station; sleep 3
    echo "normal: $(rows) rows"
    rm -rf "$work/archiv"; sleep 3
    echo "deleted while recording: folder back: $([ -d "$work/archiv" ] && echo yes || echo NO), rows $(rows)"
    if [ "$(id -u)" -eq 0 ]; then
      stop_station; rm -rf "$work/archiv"; mkdir "$work/archiv"
      mount -t tmpfs -o size=64k tmpfs "$work/archiv"
      start_station; sleep 8
      echo "full (64 kB tmpfs): $(df -k "$work/archiv" | awk 'NR==2{print $4}') kB free, station alive: $(kill -0 "$station" && echo yes)"
      mount -o remount,size=4m "$work/archiv"
      echo "space back: rows again after $(until_rows)"
      mount -o remount,ro "$work/archiv"; sleep 3
      echo "read-only: station alive: $(kill -0 "$station" && echo yes), log: $(grep -c 'not written' "$work/station.log") line(s) 'not written'"
      mount -o remount,rw "$work/archiv"
      echo "writable again: rows again after $(until_rows)"
      stop_station
      check_archive
      umount "$work/archiv"
    else
      echo "full and read-only: run as root (mounts a small tmpfs)"
      stop_station
    fi
    stop_sim
    ;;
  settings)
    start_sim --raw 5000,5000,5000,5000
    head -c 65536 /dev/urandom > "$work/garbage.bin"
    while read -r name; do
      rm -rf "$work/kestrilon4.ini"
      case "$name" in
        garbage) cp "$work/garbage.bin" "$work/kestrilon4.ini" ;;
        20MB) settings 100 1000; for ((i = 0; i < 200000; i++)); do printf 'Key%d=%0100d\r\n' $i 0; done >> "$work/kestrilon4.ini" ;;
        period-5) settings -5 1000 ;;
        period0) settings 0 1000 ;;
        period999999999) settings 999999999 1000 ;;
        period-text) settings abc 1000 ;;
        address999) settings 100 1000; sed -i 's/IP=127.0.0.1/IP=999.1.1.1/' "$work/kestrilon4.ini" ;;
        port0) settings 100 1000; sed -i 's/Port=[0-9]*/Port=0/' "$work/kestrilon4.ini" ;;
        port70000) settings 100 1000; sed -i 's/Port=[0-9]*/Port=70000/' "$work/kestrilon4.ini" ;;
        no-sections) printf 'IP=127.0.0.1\r\nPerioda=100\r\n' > "$work/kestrilon4.ini" ;;
        unreadable) settings 100 1000; chmod 000 "$work/kestrilon4.ini" ;;
        folder) mkdir "$work/kestrilon4.ini" ;;
      esac
      before=$(md5sum "$work/kestrilon4.ini" 2>/dev/null | cut -c1-8)
      s0=$(date +%s%N)
      start_station; sleep 3
      echo "$name: alive $(kill -0 "$station" 2>/dev/null && echo yes || echo NO), RSS $(rss) kB, file unchanged: $([ "$(md5sum "$work/kestrilon4.ini" 2>/dev/null | cut -c1-8)" = "$before" ] && echo yes || echo NO), log: $(grep -m1 -o 'Vyjimka[^"]*' "$work/station.log" | cut -c1-80)"
      stop_station
      chmod 644 "$work/kestrilon4.ini" 2>/dev/null
    done <<'LIST'
garbage
20MB
period-5
period0
period999999999
period-text
address999
port0
port70000
no-sections
unreadable
folder
LIST
    stop_sim
    ;;
  *) sed -n 2,9p "$0"; exit 2 ;;
esac
