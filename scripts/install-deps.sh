#!/usr/bin/env bash
# Installs every system package the build, the program and the tests need.
# Idempotent and non-interactive; run as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ccache pkg-config
  clang libclang-rt-14-dev
  qt6-base-dev qt6-multimedia-dev
  qt6-translations-l10n
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libx11-dev libxtst-dev libasound2-dev libjpeg-dev zlib1g-dev libpng-dev libgif-dev
  libgtest-dev fonts-ipafont-gothic
  xvfb xauth openbox pulseaudio libasound2-plugins
  unicode-data
  xdg-utils desktop-file-utils shared-mime-info
)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=300 update -q
"${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=300 install -y -q --no-install-recommends "${missing[@]}"
