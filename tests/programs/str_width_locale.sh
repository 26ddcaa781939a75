# The runner's locale comes from the environment, as every program's does.
unset LANGUAGE LC_MESSAGES LANG
for locale in ja_JP.UTF-8 zh_TW.UTF-8 ko_KR.UTF-8 en_US.UTF-8 C.UTF-8; do
  echo "$locale"
  LC_ALL=$locale "$OVRUN" "$PROGRAM" || exit 1
done
