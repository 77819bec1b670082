#!/usr/bin/env bash
# Installs what the project needs on a fresh Debian machine (as root): the
# packages it builds and tests with, and the cross-built dependency libraries.
# Quick when everything is already there.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

PACKAGES=(
  # cross and native toolchains
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix
  mingw-w64-tools libz-mingw-w64-dev cmake ninja-build make perl g++ clang
  libclang-rt-14-dev googletest dpkg-dev xz-utils
  # native builds of the portable code
  zlib1g-dev libpng-dev libjpeg-dev libtiff-dev libssl-dev
  # Windows under Wine, displays
  wine64 xvfb xauth xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  x11-utils xdotool xclip python3-xlib fonts-liberation
  # independent checkers used by the tests
  python3 python3-pil python3-numpy imagemagick unzip zip file pngcheck netpbm
  libjpeg-turbo-progs libimage-exiftool-perl curl openssl giflib-tools gifsicle
  liblnk-utils procps locales fp-utils
  libtiff-tools icoutils libwmf-bin fonts-urw-base35
)

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}
if [ -n "$(missing_packages)" ]; then
  # Several builds may start at once on a fresh machine: one installs, the
  # others wait and then find everything there.
  exec 9>/var/lock/brightwarden-setup.lock
  flock 9
  missing=($(missing_packages))
  if ((${#missing[@]})); then
    bw_log "installing packages: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
  fi
  exec 9>&-
fi

# The MinGW libraries: built once into the cache, then only looked up.
[ -n "${BW_NATIVE_ONLY:-}" ] || "$BW_ROOT/scripts/setup-deps.sh" >/dev/null
