# Every file statement and function refuses a name holding a NUL, which
# would otherwise name the file before the NUL. The case is the reply to
# INPUT; afterwards that file is as it was and no other file was made.
printf 'kept\r\n' > fs_nul.tmp
for case in 1 2 3 4 5 6 7 8 9 10 11; do
  echo $case | "$OVRUN" "$PROGRAM"
  status=$?
done
cat fs_nul.tmp
ls | grep '^fs_nul' | grep -v '^fs_nul_names\.'
rm -f fs_nul.tmp
exit $status
