#!/usr/bin/env bash
# Builds the downloads of one commit twice, in two folders of different names and a little
# apart in time, and compares them byte for byte: the Debian package, the Windows zip and the
# MSI, and their SHA256SUMS. Prints the checksums and exits 0 when both builds agree.
# Takes some 15 minutes on two cores (it builds everything twice); not part of ./test.
# Usage: tools/check_reproducible.sh [COMMIT]   (HEAD if none)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse "${1:-HEAD}")
source "$root/tools/ensure_packages.sh"
velmora_ensure_packages test
source "$root/tools/windows/ensure_toolchain.sh"
velmora_ensure_windows_toolchain

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build() {
  local tree=$1
  git clone -q "$root" "$tree"
  git -C "$tree" checkout -q "$commit"
  echo "building $commit in $tree"
  cmake -S "$tree" -B "$tree/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$tree/build" --parallel 2 --target deb >/dev/null
  (cd "$tree" && cmake --preset windows >/dev/null)
  cmake --build "$tree/build-windows" --parallel 2 --target windows_packages >/dev/null
}
build "$work/first"
sleep 2
build "$work/a second folder"

status=0
for file in build/packages/velmora_*.deb build/packages/SHA256SUMS \
  build-windows/velmora-*.zip build-windows/velmora-*.msi build-windows/SHA256SUMS; do
  first=("$work"/first/$file)
  second=("$work/a second folder"/$file)
  if cmp -s "${first[0]}" "${second[0]}"; then
    echo "same: $file"
  else
    echo "DIFFERENT: $file"
    status=1
  fi
done
cat "$work/first/build/packages/SHA256SUMS" "$work/first/build-windows/SHA256SUMS"
exit $status
