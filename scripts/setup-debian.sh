#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need,
# skipping the work when everything is already present.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-svg-dev qt6-image-formats-plugins
  libgtest-dev libgmock-dev libbenchmark-dev
  libasound2-dev alsa-utils zlib1g-dev liblzma-dev libjpeg62-turbo-dev libpng-dev libgif-dev
  libfreetype-dev libmpg123-dev libmp3lame-dev fonts-dejavu-core fonts-noto-core fonts-noto-mono
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev ffmpeg
  libxcb1-dev xvfb xauth xdotool x11-utils imagemagick
  libglib2.0-bin gsettings-desktop-schemas cinnamon-desktop-data mate-desktop-common
  xdg-utils file
  openbox procps
  tzdata
  dpkg-dev desktop-file-utils appstream man-db strace
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
