#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan, UBSan) and runs each in turn.
#   scripts/fuzz.sh [SECONDS]       explore: SECONDS per target (default 60), new inputs kept in
#                                   build-fuzz/corpus/TARGET, crashes written to build-fuzz/crashes/
#   scripts/fuzz.sh --check SECONDS every input of the repository's corpus once, then a short run;
#                                   what ./test.sh does. A crash fails the script.
# A crash input found later belongs in fuzz/corpus/TARGET as a regression case.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=explore
if [ "${1:-}" = "--check" ]; then
  mode=check
  shift
fi
seconds=${1:-60}

build=build-fuzz
CXX=clang++ CC=clang cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRILON_FUZZ=ON \
  -DKESTRILON_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target fuzz_reply fuzz_archive fuzz_settings

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
mkdir -p "$build/crashes"
failed=0
for target in reply archive settings; do
  seeds=fuzz/corpus/$target
  work=$build/corpus/$target
  mkdir -p "$work"
  options=(-dict=fuzz/$target.dict -max_len=4096 -timeout=10 -rss_limit_mb=2048
           -artifact_prefix="$build/crashes/$target-" -print_final_stats=1)
  echo "== fuzz_$target: $mode, $seconds s"
  if [ "$mode" = check ]; then
    # Each regression and seed input once, then a short bounded search that adds nothing to the repository.
    "$build/fuzz/fuzz_$target" "${options[@]}" -runs=0 "$seeds" 2>&1 | tail -n 3 || failed=1
    "$build/fuzz/fuzz_$target" "${options[@]}" -max_total_time="$seconds" "$work" "$seeds" 2>&1 | tail -n 12 || failed=1
  else
    "$build/fuzz/fuzz_$target" "${options[@]}" -max_total_time="$seconds" "$work" "$seeds" 2>&1 | tail -n 12 || failed=1
  fi
done
[ $failed -eq 0 ] && echo "fuzzing: no crash" || { echo "fuzzing: a target crashed (inputs in $build/crashes)"; exit 1; }
