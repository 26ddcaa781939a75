#!/usr/bin/env bash
# Times each benchmark program through the headless runner (a release build)
# and, side by side in the same run, the same algorithms in C and in the
# BASIC interpreters packaged in Debian, where they are installed
# (apt-get install yabasic brandy bwbasic). Prints seconds, best of three.
#   bash bench/run.sh [program ...]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-release}
peers=${PEERS_DIR:-../shared/bench/peers}
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(empty sum nested fib sieve strcat pset line circle paint)

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DOV_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target ovrun >/dev/null
ovrun="$build/app/ovrun"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Best wall time of three runs of a command, in seconds; "-" when it fails.
best_of_three() {
  local best="" t0 t1 t
  for _ in 1 2 3; do
    t0=$(date +%s.%N)
    if ! "$@" >"$tmp/out" 2>/dev/null </dev/null; then echo "-"; return; fi
    t1=$(date +%s.%N)
    t=$(echo "$t1 - $t0" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  printf '%.3f' "$best"
}

peer_time() {
  local kind=$1 name=$2 file
  case $kind in
    c)
      file="$peers/c/$name.c"
      [ -f "$file" ] && command -v gcc >/dev/null || { echo "-"; return; }
      gcc -O2 -o "$tmp/$name" "$file" -lm 2>/dev/null || { echo "-"; return; }
      best_of_three "$tmp/$name" ;;
    yabasic)
      file="$peers/yabasic/$name.yab"
      [ -f "$file" ] && command -v yabasic >/dev/null || { echo "-"; return; }
      best_of_three yabasic "$file" ;;
    brandy)
      file="$peers/brandy/$name.bbc"
      [ "$name" = strcat ] && file="$peers/brandy/strcat65k.bbc"
      [ -f "$file" ] && command -v brandy >/dev/null || { echo "-"; return; }
      SDL_VIDEODRIVER=dummy best_of_three brandy -quit "$file" ;;
    bwbasic)
      file="$peers/bwbasic/$name.bas"
      [ -f "$file" ] && command -v bwbasic >/dev/null || { echo "-"; return; }
      best_of_three bwbasic "$file" ;;
  esac
}

printf '%-8s %10s %10s %10s %10s %10s  %s\n' program orvane C yabasic brandy bwbasic "orvane prints"
for name in "${programs[@]}"; do
  ours=$(best_of_three "$ovrun" "bench/programs/$name.ovt")
  printed=$(head -n 1 "$tmp/out" 2>/dev/null || true)
  printf '%-8s %10s %10s %10s %10s %10s  %s\n' "$name" "$ours" \
    "$(peer_time c "$name")" "$(peer_time yabasic "$name")" \
    "$(peer_time brandy "$name")" "$(peer_time bwbasic "$name")" "$printed"
done
