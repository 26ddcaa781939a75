#!/usr/bin/env bash
# Runs the fuzz target for the given seconds over the example programs, with
# the language's keywords (orvane.dict beside the target) as its dictionary.
# A crash, an input that runs past 5 seconds, a sanitizer report or more than
# 4 GiB of memory (the interpreter's own limits on strings and arrays must
# stay below it) fails, and the input is printed. Everything happens in a
# temporary folder; as root the fuzzer runs as nobody, so that no fuzzed
# program can touch the project's or the system's files.
# Usage: run_fuzz.sh FUZZ_BINARY SECONDS
set -euo pipefail
binary=$1
seconds=$2
seeds="$(cd "$(dirname "$0")/../programs" && pwd)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" "$work/artifacts" "$work/tmp"
cp "$binary" "$work/fuzz"
cp "$(dirname "$binary")/orvane.dict" "$work/"
cp "$seeds"/*.ovt "$work/corpus/"

as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody:nogroup "$work"
  chmod 755 "$work"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

status=0
(cd "$work" && env TMPDIR="$work/tmp" \
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "${as_user[@]}" ./fuzz -max_total_time="$seconds" -timeout=5 -rss_limit_mb=4096 -dict=orvane.dict \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 corpus) || status=$?

if [ "$status" -ne 0 ]; then
  for f in "$work"/artifacts/*; do
    [ -e "$f" ] || continue
    echo "--- fuzz input $(basename "$f"):"
    cat -v "$f"
    echo
  done
  echo "The fuzz target failed (status $status)." >&2
  exit 1
fi
echo "The fuzz target ran ${seconds} seconds without a fault."
