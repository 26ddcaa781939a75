#!/usr/bin/env bash
# Installs the dependencies, then builds and runs every test twice: a normal
# build and an AddressSanitizer + UndefinedBehaviorSanitizer build. Then the
# fuzz target, built with clang, runs for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DOV_WERROR=ON -DOV_TESTS=ON "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure --timeout 600 -j "$jobs"
}

run_suite build
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  run_suite build-sanitize -DOV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DOV_FUZZ=ON -DOV_TESTS=OFF -DOV_WERROR=ON
cmake --build build-fuzz -j "$jobs" --target fuzz_translate_run
bash tests/fuzz/run_fuzz.sh build-fuzz/tests/fuzz/fuzz_translate_run 60
echo "All tests passed in both builds, and the fuzz target found no fault."
