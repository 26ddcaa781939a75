# Picture files that do not decode, and saves that fail or keep a backup.
# The case is the reply to INPUT. Before each run the picture holds "A1" and
# its backup "B2"; after it the script shows their first two bytes ("BM" is
# a new picture, "-" no file) and counts temporary files left behind.
# In a folder of its own, where no other test's temporary files appear.
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
# A bitmap header that claims 12345 x 9000 pixels, and no pixels:
printf 'BM6\000\000\000\000\000\000\0006\000\000\000\050\000\000\00090\000\000\050\043\000\000\001\000\030\000\000\000\000\000\000\000\000\000\023\013\000\000\023\013\000\000\000\000\000\000\000\000\000\000' > pict_files_big.bmp
printf 'garbage' > pict_files_bad.png
for case in 1 2 3 4 5 6 7 8; do
  printf A1 > pict_files.bmp
  printf B2 > pict_files.bak
  [ $case = 7 ] && rm pict_files.bmp
  if [ $case = 5 ]; then
    echo $case | (trap '' XFSZ && ulimit -f 8 && exec "$OVRUN" "$PROGRAM")
  else
    echo $case | "$OVRUN" "$PROGRAM"
  fi
  status=$?
  for f in pict_files.bmp pict_files.bak; do
    if [ -f $f ]; then head -c 2 $f; echo; else echo -; fi
  done
  ls -a | grep -c '^\.ovsave'
done
rm -f pict_files.bmp pict_files.bak pict_files_big.bmp pict_files_bad.png pict_files_x.gif pict_files_x.jpg
exit $status
