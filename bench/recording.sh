#!/usr/bin/env bash
# The Release station recording from the simulator, measured from outside (run by hand):
#   bench/recording.sh load PERIOD_MS SECONDS   resident memory and CPU share while recording
#   bench/recording.sh soak SECONDS              20 ms period, the simulator drops the line every 500 replies
#   bench/recording.sh faults                    12 s against each fault of the simulator
# Needs ./run.sh's build (build-release). No other station may run meanwhile (one per machine).
set -uo pipefail
port=10090
source "$(dirname "$0")/station-common.sh"
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

case "${1:-}" in
  load)
    settings "$2" "$2"
    "$sim" --port $port > "$work/sim.log" & sleep 0.3
    start_station; sleep 5
    r0=$(rss); t0=$(ticks); sleep "$3"; r1=$(rss); t1=$(ticks)
    echo "period $2 ms, $3 s: RSS $r0 kB -> $r1 kB, CPU $(echo "scale=2; ($t1-$t0)*100/$(getconf CLK_TCK)/$3" | bc) %, fast rows $(rows)"
    ;;
  soak)
    settings 20 100
    "$sim" --port $port --close-after 500 --refuse 300 > "$work/sim.log" & sleep 0.3
    start_station
    for ((t = 30; t <= $2; t += 30)); do sleep 30; echo "t=${t}s RSS $(rss) kB"; done
    echo "connections $(grep -c ' from ' "$work/sim.log"), fast rows $(rows)"
    ;;
  faults)
    settings 300 300
    start_station
    for mode in "--mode garbage" "--mode silent" "--mode bad-terminator" "--mode late --late-ms 450" "--mode split" \
                "--close-after 5 --refuse 1000" "--raw 5000,5000,5000,5000"; do
      "$sim" --port $port $mode > "$work/sim.log" 2>&1 & s=$!
      r0=$(rows); sleep 12; r1=$(rows)
      kill $s; wait $s 2>/dev/null
      echo "$mode: rows +$((r1 - r0)), connections $(grep -c ' from ' "$work/sim.log"), station alive: $(kill -0 $station 2>/dev/null && echo yes || echo NO)"
      sleep 1
    done
    ;;
  *) sed -n 2,6p "$0"; exit 2 ;;
esac
