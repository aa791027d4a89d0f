#!/usr/bin/env bash
# Installs what building, running and testing Tilka needs, from Debian's packages only.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang clang-format libclang-rt-14-dev
  qt6-base-dev libqt6sql6-sqlite qt6-qpa-plugins qt6-charts-dev libqt6opengl6-dev
  qt6-image-formats-plugins
  libphonenumber-dev
  libprotobuf-dev
  postgresql libqt6sql6-psql dbus
  fonts-ipafont-gothic poppler-utils
  libbenchmark-dev
  xvfb xdotool imagemagick
  dpkg-dev file desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
