#!/usr/bin/env bash
# The committed pictures are what tools/draw_pictures.py makes of their sources today, byte for
# byte: no source or scale was changed without drawing again, and no file drawn by hand.
# Usage: pictures_current.sh <source folder>
set -euo pipefail
root=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$root/tools/draw_pictures.py" --out "$work"
status=0
for made in $(cd "$work" && find . -type f | sort); do
  cmp -s "$work/$made" "$root/resources/$made" || { echo "FAIL: resources/${made#./} is not as drawn"; status=1; }
done
[ "$status" = 0 ] && echo "PASS: $(cd "$work" && find . -type f | wc -l) pictures as drawn"
exit "$status"
