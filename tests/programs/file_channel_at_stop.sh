# The file as the runner leaves it, in a folder of its own.
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
"$OVRUN" "$PROGRAM"
status=$?
cat file_channel_at_stop.tmp
exit $status
