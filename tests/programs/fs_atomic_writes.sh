# Whole-file writes on a "full disk" (files are held to 4 KiB here): each
# failed write is its statement's error, leaves the old file as it was and
# leaves no new file behind. The case is the reply to INPUT.
head -c 6000 /dev/zero | tr '\0' 'n' > fs_atomic_big.tmp
for case in 1 2 3 4; do
  printf 'old text\r\n' > fs_atomic.tmp
  echo $case | (trap '' XFSZ && ulimit -f 8 && exec "$OVRUN" "$PROGRAM")
  status=$?
  cat fs_atomic.tmp
  ls -a | grep -c '^fs_atomic\.tmp\.\|^\.ovsave'
done
rm -f fs_atomic.tmp fs_atomic_big.tmp
exit $status
