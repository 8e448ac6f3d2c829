# Sourced by bench/recording.sh and bench/faults.sh: the Release station and the simulator in a
# temporary folder, and what is measured of them from /proc. Set `port` before sourcing.
root="$(cd "$(dirname "$0")/.." && pwd)"
sim="$root/build-release/tools/ad4eth-sim/ad4eth-sim"
work=$(mktemp -d)
cp "$root/build-release/kestrilon4" "$work/"

settings() {  # period_ms fast_interval_ms [extra lines]; the slow archive, when on, at the fast interval
  printf '[AD4ETH]\r\nIP=127.0.0.1\r\nPort=%s\r\nAutopripojeni=1\r\nPerioda=%s\r\n[ARCHIVACE]\r\nDatabaseDir=%s/archiv\r\nRychlaActive=1\r\nRychlaInterval=%s\r\nPomalaActive=%s\r\nPomalaInterval=%s\r\n%s' \
    "$port" "$1" "$work" "$2" "${slow_archive:-0}" "$2" "${3:-}" > "$work/kestrilon4.ini"
}
start_station() { QT_QPA_PLATFORM=offscreen "$work/kestrilon4" > "$work/station.log" 2>&1 & station=$!; }
rss() { awk '/VmRSS/{print $2}' "/proc/$station/status" 2>/dev/null || echo gone; }
ticks() { awk '{print $14+$15}' "/proc/$station/stat" 2>/dev/null || echo 0; }
rows() { cat "$work"/archiv/FA_*.csv 2>/dev/null | grep -vc DATUM; }
