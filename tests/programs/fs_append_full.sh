# The file holds 3000 bytes before the run; after it, its length and the
# count of the lines holding a "y" (none when the failed append was undone).
head -c 3000 /dev/zero | tr '\0' 'x' > fs_append_full.tmp
(trap '' XFSZ && ulimit -f 8 && exec "$OVRUN" "$PROGRAM")
status=$?
wc -c < fs_append_full.tmp
grep -c y fs_append_full.tmp
rm -f fs_append_full.tmp
exit $status
