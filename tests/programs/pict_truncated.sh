# The pictures are saved whole by case 0, then each is cut to three
# quarters of its length and loaded by its own case.
echo 0 | "$OVRUN" "$PROGRAM"
case=1
for e in bmp gif jpg png; do
  size=$(wc -c < pict_truncated.$e)
  head -c $((size * 3 / 4)) pict_truncated.$e > pict_truncated_cut.$e
  echo $case | "$OVRUN" "$PROGRAM"
  status=$?
  case=$((case + 1))
done
rm -f pict_truncated.bmp pict_truncated.gif pict_truncated.jpg pict_truncated.png
rm -f pict_truncated_cut.bmp pict_truncated_cut.gif pict_truncated_cut.jpg pict_truncated_cut.png
exit $status
