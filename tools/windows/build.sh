#!/usr/bin/env bash
# Builds Velmora for 64-bit Windows on Debian, setting up what is missing (MinGW-w64, Wine, wixl,
# and once, Qt for Windows in ~/.cache/velmora), and leaves in build-windows/:
#   velmora-2.0-windows-x86_64.zip   the program's folder, to unzip anywhere and start
#   velmora-2.0-x86_64.msi           the installer
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tools/ensure_packages.sh"
velmora_ensure_packages # Qt's host tools (moc, rcc) come from Debian's packages
source "$root/tools/windows/ensure_toolchain.sh"
velmora_ensure_windows_toolchain
cd "$root"
cmake --preset windows "$@" >/dev/null
cmake --build --preset windows --parallel 2
