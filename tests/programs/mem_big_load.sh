# LOAD of a file of 1 GiB (sparse) whose third line is longer than a string
# holds: error 30101 after a bounded read, not an exhausted machine.
printf 'PRINT 1\r\nPRINT 2\r\n' > mem_big_load.tmp && truncate -s 1G mem_big_load.tmp || exit 2
(ulimit -v 1200000 && exec "$OVRUN" "$PROGRAM")
status=$?
rm -f mem_big_load.tmp
exit $status
