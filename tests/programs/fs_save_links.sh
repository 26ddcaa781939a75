# Links to an existing picture, to one not yet there and to a text: after
# the run the links are still links, the files in "real" are replaced or
# made, and the picture's backup lies beside it, not beside its link.
rm -rf fs_save_links.dir
mkdir -p fs_save_links.dir/real && cd fs_save_links.dir || exit 2
printf A1 > real/pic.bmp
printf 'old\r\n' > real/text.txt
ln -s real/pic.bmp pic.bmp
ln -s real/new.bmp new.bmp
ln -s "$PWD/real/text.txt" text.txt
cd ..
"$OVRUN" "$PROGRAM"
status=$?
cd fs_save_links.dir
for f in pic.bmp new.bmp text.txt; do [ -L $f ] && echo "$f is a link"; done
head -c 2 real/pic.bmp; echo
head -c 2 real/new.bmp; echo
cat real/pic.bak; echo
cat real/text.txt; echo
ls -A | sort | tr '\n' ' '; echo
ls -A real | sort | tr '\n' ' '; echo
cd .. && rm -rf fs_save_links.dir
exit $status
