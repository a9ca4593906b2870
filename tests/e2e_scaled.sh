#!/usr/bin/env bash
# The built program at QT_SCALE_FACTOR=2 on an X server of its own: the About button's picture
# on the screen is the 64-pixel drawing, not the 32-pixel one doubled pixel for pixel (every
# aligned 2x2 block one colour). A screenshot goes to the given folder.
# Usage: e2e_scaled.sh <velmora> <sample Velmora.rtf> <folder for the screenshot>
set -euo pipefail

velmora=$(realpath "$1")
book=$(realpath "$2")
out=$3
source "$(dirname "$0")/e2e_common.sh"
e2e_need_tools Xvfb xdotool xprop import convert python3
[ -f "$book" ] || fail "no sample book at $book"

e2e_setup
e2e_start_xvfb
mkdir "$e2e_work/book"
cp "$book" "$e2e_work/book/Velmora.rtf"
(cd "$e2e_work/book" && QT_SCALE_FACTOR=2 exec "$velmora") &
app_pid=$!
wait_for 20 main_showing || fail "no window 'Velmora 2.0' within 20 s"
sleep 1
import -window "$(main_window)" "$out/e2e_scaled.png"
echo "screenshot: $out/e2e_scaled.png"

# cmdRrethProg is 25 logical pixels square at (40, 8); its 32-pixel picture is centred on it, so
# in device pixels the picture starts at (74, 10). The middle 38 pixels of it are inside the
# button's face; the crop starts an even number of pixels into the picture.
convert "$out/e2e_scaled.png" -crop 38x38+86+22 +repage rgb:"$e2e_work/button.rgb"
python3 - "$e2e_work/button.rgb" <<'PY' || fail "the About button's picture is pixel-doubled"
import sys
data, side = open(sys.argv[1], 'rb').read(), 38
px = lambda x, y: data[3 * (y * side + x):3 * (y * side + x) + 3]
assert len(set(px(x, y) for x in range(side) for y in range(side))) > 2, "no picture"
sys.exit(0 if any(len({px(x, y), px(x + 1, y), px(x, y + 1), px(x + 1, y + 1)}) > 1
                  for x in range(0, side, 2) for y in range(0, side, 2)) else 1)
PY
echo "PASS"
