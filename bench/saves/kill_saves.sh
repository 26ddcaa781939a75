#!/usr/bin/env bash
# Kills the headless runner at random moments while it saves files whole
# (WRITEALLTEXT, WRITEALLLINES, SAVEPICTURE with its backup), and counts the
# files found holding neither their old nor their new contents whole, and
# the kills that left a helper file of a save behind.
#   bash bench/saves/kill_saves.sh [kills]      500 by default
# With RUN_AS=nobody the superuser has that user run the program.
set -euo pipefail
cd "$(dirname "$0")/../.."
kills=${1:-500}
ovrun=${OVRUN:-$PWD/build/app/ovrun}
[ -x "$ovrun" ] || { echo "no runner at $ovrun: build first" >&2; exit 2; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"
cp bench/saves/kill_saves.ovt "$tmp/"
run_as=()
if [ -n "${RUN_AS:-}" ]; then
  chown "$RUN_AS" "$tmp"
  run_as=(runuser -u "$RUN_AS" --)
fi

# Starts the program in the folder; its process id in $pid.
start() {
  (cd "$tmp" && exec "${run_as[@]}" env QT_QPA_PLATFORM=offscreen "$ovrun" kill_saves.ovt >/dev/null 2>&1) &
  pid=$!
}
stop() {
  pkill -9 -P "$pid" 2>/dev/null || true  # the runner under runuser
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# The contents each text may hold; the pictures all have one size.
a=$(printf '0123456789abcdef%.0s' $(seq 200)); b=$(printf 'fedcba9876543210%.0s' $(seq 250))
printf '%s' "$a" > "$tmp/text.a"; printf '%s' "$b" > "$tmp/text.b"
printf '%s\r\n%s\r\n' "$a" "$b" > "$tmp/lines"
start
until [ -e "$tmp/k.bak" ]; do
  kill -0 "$pid" 2>/dev/null || { echo "the program ended: see $PWD/bench/saves/kill_saves.ovt" >&2; exit 2; }
  sleep 0.05
done
stop
rm -f "$tmp"/.ovsave-*
size=$(stat -c %s "$tmp/k.bmp")

torn=0; left=0
for ((k = 0; k < kills; k++)); do
  start
  sleep "0.$(printf '%03d' $((RANDOM % 400 + 20)))"
  stop
  cmp -s "$tmp/k.txt" "$tmp/text.a" || cmp -s "$tmp/k.txt" "$tmp/text.b" || { torn=$((torn + 1)); echo "kill $k: k.txt torn"; }
  cmp -s "$tmp/k-lines.txt" "$tmp/lines" || { torn=$((torn + 1)); echo "kill $k: k-lines.txt torn"; }
  for f in k.bmp k.bak; do
    [ "$(head -c 2 "$tmp/$f")" = BM ] && [ "$(stat -c %s "$tmp/$f")" = "$size" ] \
      || { torn=$((torn + 1)); echo "kill $k: $f torn"; }
  done
  if ls -A "$tmp" | grep -q '^\.ovsave-'; then
    left=$((left + 1))
    for f in "$tmp"/.ovsave-*; do echo "kill $k: left ${f##*/}, $(stat -c %s "$f") bytes"; done
    rm -f "$tmp"/.ovsave-*
  fi
done
echo "$kills kills: $torn files torn, $left kills left a helper file"
