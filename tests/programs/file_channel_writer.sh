# The file as the run leaves it, in a folder of its own.
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
"$OVRUN" "$PROGRAM"
status=$?
cat file_channel_writer.tmp
exit $status
