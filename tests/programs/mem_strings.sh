# Strings that outgrow their limit or the run's memory (held here to about
# 1.2 GB of address space) end the run with error 30101; each case runs on
# its own, chosen by the reply to INPUT.
for case in 1 2 3 4 5; do
  echo $case | (ulimit -v 1200000 && exec "$OVRUN" "$PROGRAM")
  status=$?
done
exit $status
