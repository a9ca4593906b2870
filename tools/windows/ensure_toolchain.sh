#!/usr/bin/env bash
# Sets up building Velmora for 64-bit Windows on Debian: MinGW-w64, Wine and wixl from Debian,
# and Qt 6 for Windows built once from Debian's own qt6-base source (the same version as the
# host tools) into a cache outside the tree. Later runs find the cache and return at once.
# Sourced by tools/windows/build.sh; prints nothing but progress.
set -euo pipefail

velmora_windows_packages=(
  g++-mingw-w64-x86-64-posix mingw-w64-tools ninja-build xz-utils
  wine wine64 fonts-wine wixl msitools faketime unzip
)

velmora_qt_version=6.4.2
# The preset "windows" finds Qt here too.
velmora_qt_prefix=$HOME/.cache/velmora/qt-$velmora_qt_version-x86_64-w64-mingw32
velmora_windows_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

velmora_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

velmora_ensure_windows_packages() {
  local missing=() p
  for p in "${velmora_windows_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  velmora_as_root apt-get update -qq
  # Wine's recommendations pull in hundreds of 32-bit libraries the program never uses.
  velmora_as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Debian ships source packages from the same mirror as the binaries; a sources file of our own
# names it for deb-src, with the mirror, suites and key of the machine's Debian entry.
velmora_ensure_deb_src() {
  apt-get source --download-only --print-uris qt6-base >/dev/null 2>&1 && return 0
  local entry=/etc/apt/sources.list.d/debian.sources uri suites key
  uri=$(awk '/^URIs:/ {print $2; exit}' "$entry" 2>/dev/null || true)
  suites=$(awk '/^Suites:/ {$1=""; print substr($0, 2); exit}' "$entry" 2>/dev/null || true)
  key=$(awk '/^Signed-By:/ {print $2; exit}' "$entry" 2>/dev/null || true)
  printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
    "${uri:-http://deb.debian.org/debian}" "${suites:-bookworm bookworm-updates}" \
    "${key:-/usr/share/keyrings/debian-archive-keyring.gpg}" |
    velmora_as_root tee /etc/apt/sources.list.d/velmora-deb-src.sources >/dev/null
  velmora_as_root apt-get update -qq
}

velmora_build_qt_for_windows() {
  [ -f "$velmora_qt_prefix/velmora-qt.stamp" ] && return 0
  velmora_ensure_deb_src
  local work
  work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-qt.XXXXXX")
  # shellcheck disable=SC2064
  trap "rm -rf '$work'" RETURN
  echo "Building Qt $velmora_qt_version for Windows into $velmora_qt_prefix (once; about 20 minutes)"
  (cd "$work" && apt-get source --download-only -qq qt6-base >/dev/null 2>&1)
  local tarball src
  tarball=$(ls "$work"/qt6-base_"$velmora_qt_version"+*.orig.tar.xz 2>/dev/null) ||
    { echo "Debian's qt6-base source is not version $velmora_qt_version" >&2; return 1; }
  tar -xf "$tarball" -C "$work"
  src=$(find "$work" -maxdepth 1 -type d -name 'qtbase*' | head -n 1)

  # The program needs Core, Gui, Widgets and Test, the Windows platform and style plug-ins and
  # the .ico reader; the modules it never uses are left out. Debian's source drops wintab, so
  # tablet support goes too; without OpenGL, 6.4's Windows plug-in compiles only with dynamic GL
  # off as well. Third-party libraries are Qt's own copies: MinGW has none.
  local features=(network sql dbus opengl printsupport xml vulkan tabletevent dynamicgl concurrent)
  local systemLibs=(zlib pcre2 harfbuzz freetype png jpeg doubleconversion)
  local args=() f
  for f in "${features[@]}"; do args+=("-DFEATURE_$f=OFF"); done
  for f in "${systemLibs[@]}"; do args+=("-DFEATURE_system_$f=OFF"); done
  cmake -S "$src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$velmora_windows_dir/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$velmora_qt_prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DCMAKE_SHARED_LINKER_FLAGS=-Wl,--no-insert-timestamp \
    "${args[@]}" >"$work/configure.log" 2>&1 ||
    { tail -n 40 "$work/configure.log" >&2; return 1; }
  cmake --build "$work/build" --parallel "$(nproc)" >"$work/build.log" ||
    { grep -B 5 -A 20 -m 3 'error' "$work/build.log" >&2; return 1; }
  cmake --install "$work/build" >/dev/null
  echo "$velmora_qt_version" >"$velmora_qt_prefix/velmora-qt.stamp"
}

velmora_ensure_windows_toolchain() {
  velmora_ensure_windows_packages
  velmora_build_qt_for_windows
}
