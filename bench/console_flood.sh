#!/usr/bin/env bash
# Times the console under a flood of output in real windows (a private Xvfb
# with openbox): how soon Stop and a menu act while a loop prints, how long
# 100,000 printed lines take to show, and how soon the program exits when
# its main window is closed during the flood.
#   bash bench/console_flood.sh [rounds]      3 rounds by default
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}
cmake -S . -B "$build" -DOV_BENCH=ON -DOV_TESTS=OFF -DOV_WERROR=ON >/dev/null
cmake --build "$build" -j3 --target console_flood_bench >/dev/null
"$build/bench/console/console_flood_bench" "${1:-3}"
