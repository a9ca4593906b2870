#!/usr/bin/env bash
# Installs the Debian packages that are missing: those that building and running the program
# need, and with "test" also those that testing, measuring and packaging need.
# Sourced by ./run and ./test, so a fresh machine needs nothing done by hand.
set -euo pipefail

# Qt's runtime pulls in the X platform plugin, fontconfig and a font.
velmora_build_packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
)
velmora_test_packages=(
  libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth x11-utils strace xdotool imagemagick openbox wmctrl python3-xlib xclip
  dbus at-spi2-core python3-gi gir1.2-atspi-2.0
  fontconfig fonts-dejavu-core fonts-liberation fonts-hosny-amiri
  dpkg-dev lintian desktop-file-utils appstream
  clang-format black
  librsvg2-bin
)

# velmora_missing_packages [test]
velmora_missing_packages() {
  local wanted=("${velmora_build_packages[@]}") missing=() p
  [ "${1:-}" = test ] && wanted+=("${velmora_test_packages[@]}")
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

# velmora_ensure_packages [test]
velmora_ensure_packages() {
  local missing
  missing=$(velmora_missing_packages "${1:-}")
  [ -z "$missing" ] && return 0
  echo "Installing missing packages: $missing"
  local as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: $missing" >&2; return 1; }
    as_root=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -qq
  # shellcheck disable=SC2086
  "${as_root[@]}" apt-get install -y -qq $missing
}
