# In a temporary folder of its own: the folder the program makes there
# cannot be left behind in the source tree by a failed run.
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
"$OVRUN" "$PROGRAM"
