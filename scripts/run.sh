#!/usr/bin/env bash
# Installs the dependencies, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build
cmake --build build -j "$(nproc)" --target orvane
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Orvane is built (build/app/orvane) but there is no display to show it on."
  echo "Run it under a virtual display with:  xvfb-run -a bash scripts/run.sh"
  exit 1
fi
exec ./build/app/orvane "$@"
