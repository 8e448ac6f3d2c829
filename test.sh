#!/usr/bin/env bash
# Builds the station with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

build=build-test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRILON_SANITIZE=ON -DKESTRILON_TESTS=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"

# The parsers under libFuzzer: the corpus (seeds and found regressions) once, then a few seconds each.
scripts/fuzz.sh --check 5

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$PWD/scripts/ubsan.supp"
ctest --test-dir "$build" --output-on-failure --timeout 300 -j2

# The README's Node-RED recipe against the real Node-RED (skipped when npm cannot install it).
tests/integration/node_red.sh "$build" || [ $? -eq 77 ]

# The desktop entry, metainfo, man pages and (with lintian installed) the .deb.
scripts/check-package.sh
