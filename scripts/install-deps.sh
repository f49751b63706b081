#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Lumaro.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libgtk-3-dev libwebkit2gtk-4.1-dev libcurl4-openssl-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev librsvg2-common librsvg2-bin
  xvfb xauth xdotool x11-utils imagemagick
  desktop-file-utils file dpkg-dev
  fonts-noto-cjk
  libatspi2.0-dev at-spi2-core dbus
  iproute2 util-linux
  poppler-utils
  clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
