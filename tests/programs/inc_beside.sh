# The runner starts in a folder of its own, which holds an include file of
# the same name as the one beside the program, one found only here, and a
# program in a subfolder that includes a file beside it.
rm -rf inc_beside.dir
mkdir -p inc_beside.dir/inc_beside_sub && cd inc_beside.dir || exit 2
printf 'PRINT "current folder, not beside the program"\r\n' > inc_beside.inc
printf 'PRINT "current folder"\r\n' > inc_beside_cwd.inc
printf 'INCLUDE "inc_lib.inc"\r\n' > inc_beside_sub/loaded.txt
printf 'PRINT "beside the loaded program"\r\n' > inc_beside_sub/inc_lib.inc
"$OVRUN" "$PROGRAM"
status=$?
cd .. && rm -rf inc_beside.dir
exit $status
