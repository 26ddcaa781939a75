# Runs the program in a folder of its own that holds inc/a:b.ovt, a file name
# with a ":" in it.
dir=$(mktemp -d)
mkdir "$dir/inc"
cp "$PROGRAM" "$dir/include_colon.ovt"
printf 'Q = Q + 7\r\nPRINT "included"\r\n' > "$dir/inc/a:b.ovt"
(cd "$dir" && "$OVRUN" include_colon.ovt)
status=$?
rm -rf "$dir"
exit $status
