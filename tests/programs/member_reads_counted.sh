# The files the program writes go to a folder of its own.
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
"$OVRUN" "$PROGRAM"
