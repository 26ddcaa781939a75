#!/usr/bin/env bash
# Installs the dependencies, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build
cmake --build build -j "$(nproc)" --target orvane
exec ./build/app/orvane "$@"
