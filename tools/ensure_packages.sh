#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when any is missing.
# Sourced by ./run and ./test, so a fresh machine needs nothing done by hand.
set -euo pipefail

velmora_packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth x11-utils strace xdotool imagemagick openbox wmctrl python3-xlib
  dbus at-spi2-core python3-gi gir1.2-atspi-2.0
  fontconfig fonts-dejavu-core fonts-liberation
)

velmora_missing_packages() {
  local missing=()
  for p in "${velmora_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

velmora_ensure_packages() {
  local missing
  missing=$(velmora_missing_packages)
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
