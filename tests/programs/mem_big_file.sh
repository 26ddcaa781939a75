# A file of 1 GiB that is almost all one line of NULs (sparse, so it takes
# no disk): its first lines must cost a block or two of memory, not the file.
printf 'first line\r\nsecond\r\n' > mem_big_file.tmp && truncate -s 1G mem_big_file.tmp || exit 2
(ulimit -v 1200000 && exec "$OVRUN" "$PROGRAM")
status=$?
rm -f mem_big_file.tmp
exit $status
