#!/usr/bin/env bash
# Times each benchmark program through the headless runner (a release build)
# and, side by side in the same run, the same algorithms in C, in the BASIC
# interpreters packaged in Debian (yabasic, brandy, bwbasic, where they are
# installed) and in Lua 5.4 (installed here when missing). Each round runs
# every program once in every language, so the languages share the machine's
# load alike; a figure is the median CPU time (user + system) of the rounds.
# The ratios are ours over the peer's: below 1 we are faster.
#   bash bench/run.sh [program ...]      ROUNDS=5 by default
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

build=${BUILD_DIR:-build-release}
peers=${PEERS_DIR:-$root/bench/peers}
rounds=${ROUNDS:-5}
programs=("$@")
[ ${#programs[@]} -gt 0 ] \
  || programs=(empty sum nested fib sieve strcat strfunc fileio print matrix mandel subcall select pset line circle paint)
langs=(orvane c yabasic brandy bwbasic lua)

if ! command -v lua5.4 >/dev/null; then
  apt-get install -y lua5.4 >/dev/null 2>&1 || echo "lua5.4 could not be installed: no Lua column" >&2
fi

# No -Werror here: g++ warns of maybe-uninitialized values at -O3 that the
# checked builds do not see.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DOV_TESTS=OFF -DOV_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target ovrun >/dev/null
ovrun="$root/$build/app/ovrun"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The command line of a program in a language; empty when there is none.
command_for() {
  local lang=$1 name=$2 file
  case $lang in
    orvane) echo "$ovrun $root/bench/programs/$name.ovt" ;;
    c)
      file="$peers/c/$name.c"
      [ -f "$file" ] && command -v gcc >/dev/null || return 0
      [ -x "$tmp/$name" ] || gcc -O2 -o "$tmp/$name" "$file" -lm 2>/dev/null || return 0
      echo "$tmp/$name" ;;
    yabasic)
      file="$peers/yabasic/$name.yab"
      [ -f "$file" ] && command -v yabasic >/dev/null && echo "yabasic $file" ;;
    brandy)
      file="$peers/brandy/$name.bbc"
      [ "$name" = strcat ] && file="$peers/brandy/strcat65k.bbc"
      [ -f "$file" ] && command -v brandy >/dev/null && echo "env SDL_VIDEODRIVER=dummy brandy -quit $file" ;;
    bwbasic)
      file="$peers/bwbasic/$name.bas"
      [ -f "$file" ] && command -v bwbasic >/dev/null && echo "bwbasic $file" ;;
    lua)
      file="$peers/lua/$name.lua"
      [ -f "$file" ] && command -v lua5.4 >/dev/null && echo "lua5.4 $file" ;;
  esac
  return 0
}

# CPU seconds (user + system) of one run, in the scratch folder (fileio
# writes its data file there); "-" when the command fails.
cpu_time() {
  local TIMEFORMAT='%3U %3S' times
  # shellcheck disable=SC2086
  if ! times=$( { time (cd "$tmp" && $1 >"$tmp/out" 2>/dev/null </dev/null) ; } 2>&1 ); then
    echo "-"
    return
  fi
  echo "$times" | awk '{ printf "%.3f", $1 + $2 }'
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2];
                   else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

ratio() {
  [ "$1" = "-" ] || [ "$2" = "-" ] && { echo "-"; return; }
  awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) print "-"; else printf "%.2f", a / b }'
}

printf '%-8s' program
printf ' %8s' "${langs[@]}"
printf '  |%6s %6s %6s %6s %6s  %s\n' /C /yab /brandy /bw /lua "orvane prints"
for name in "${programs[@]}"; do
  declare -A cmd=() failed=() slow=()
  for lang in "${langs[@]}"; do
    cmd[$lang]=$(command_for "$lang" "$name")
    : >"$tmp/times.$lang"
  done
  printed=""
  for ((r = 0; r < rounds; r++)); do
    for lang in "${langs[@]}"; do
      [ -n "${cmd[$lang]}" ] && [ -z "${failed[$lang]:-}" ] && [ -z "${slow[$lang]:-}" ] || continue
      t=$(cpu_time "${cmd[$lang]}")
      if [ "$t" = "-" ]; then failed[$lang]=1; continue; fi
      # A run of more than ten seconds is not repeated (bwbasic's sum takes minutes).
      awk -v t="$t" 'BEGIN { exit !(t > 10) }' && slow[$lang]=1
      echo "$t" >>"$tmp/times.$lang"
      [ "$lang" = orvane ] && printed=$(head -n 1 "$tmp/out" 2>/dev/null || true)
    done
  done
  declare -A med=()
  for lang in "${langs[@]}"; do
    if [ -n "${failed[$lang]:-}" ]; then med[$lang]="-"; else med[$lang]=$(median <"$tmp/times.$lang"); fi
  done
  printf '%-8s' "$name"
  for lang in "${langs[@]}"; do printf ' %8s' "${med[$lang]}"; done
  printf '  |%6s %6s %6s %6s %6s  %s\n' "$(ratio "${med[orvane]}" "${med[c]}")" \
    "$(ratio "${med[orvane]}" "${med[yabasic]}")" "$(ratio "${med[orvane]}" "${med[brandy]}")" \
    "$(ratio "${med[orvane]}" "${med[bwbasic]}")" "$(ratio "${med[orvane]}" "${med[lua]}")" "$printed"
  unset cmd failed slow med
done
