# The runner is copied to a folder of its own, away from its graphics
# module; whatever it writes to the error stream fails the test.
dir=$(mktemp -d) || exit 2
cp "$OVRUN" "$dir/ovrun" || exit 2
"$dir/ovrun" "$PROGRAM" 2>"$dir/errors"
status=$?
[ -s "$dir/errors" ] && { cat "$dir/errors"; status=3; }
rm -rf "$dir"
exit $status
