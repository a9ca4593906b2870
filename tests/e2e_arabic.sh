#!/usr/bin/env bash
# The built program on a book with an Arabic paragraph written as Word writes it (\rtlpar\qr,
# the Arabic font and size as associated properties): on the screen the Arabic line ends at the
# view's right margin, as the Albanian line after it begins at the left one. A screenshot goes
# to the given folder.
# Usage: e2e_arabic.sh <velmora> <folder for the screenshot>
set -euo pipefail

velmora=$(realpath "$1")
out=$2
source "$(dirname "$0")/e2e_common.sh"
e2e_need_tools Xvfb xdotool xprop import convert python3

e2e_setup
e2e_start_xvfb
mkdir "$e2e_work/book"
# The basmala's first words at 36 points: the tallest line in the view.
cat >"$e2e_work/book/Velmora.rtf" <<'RTF'
{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\froman\fcharset0 Times New Roman;}
{\f1\fswiss\fcharset0 Arial;}{\f4\fnil\fcharset178 Traditional Arabic;}}
\pard\plain\f1\fs28\b 1\b0\par
\pard\plain\rtlpar\qr{\ltrch\fcs0\f0\fs24\rtlch\fcs1\af4\afs72 \u1576?\u1587?\u1605? \u1575?\u1604?\u1604?\u1607?}\par
\pard\plain\f0\fs24 Fjala e fundit.\par}
RTF
(cd "$e2e_work/book" && exec "$velmora") &
app_pid=$!
wait_for 20 main_showing || fail "no window 'Velmora 2.0' within 20 s"
sleep 1
import -window "$(main_window)" "$out/e2e_arabic.png"
echo "screenshot: $out/e2e_arabic.png"

size=$(identify -format '%wx%h' "$out/e2e_arabic.png")
convert "$out/e2e_arabic.png" rgb:"$e2e_work/shot.rgb"
python3 - "$e2e_work/shot.rgb" "$size" <<'PY' || fail "the Arabic line is not flush right"
import collections, sys

data = open(sys.argv[1], "rb").read()
width, height = map(int, sys.argv[2].split("x"))
px = lambda x, y: data[3 * (y * width + x) : 3 * (y * width + x) + 3]
# The view's paper is the commonest colour; on each row the view spans its widest stretch.
paper = collections.Counter(px(x, y) for y in range(0, height, 4) for x in range(width))
paper = paper.most_common(1)[0][0]
ink_rows = []
for y in range(height):
    xs = [x for x in range(width) if px(x, y) == paper]
    if not xs:
        continue
    left, right = min(xs), max(xs)
    ink = [x for x in range(left, right) if sum(px(x, y)) < 3 * 100]
    if ink:
        ink_rows.append((y, left, right, min(ink), max(ink)))
# Consecutive rows with ink make the lines of text.
lines, current = [], []
for row in ink_rows:
    if current and row[0] != current[-1][0] + 1:
        lines.append(current)
        current = []
    current.append(row)
lines.append(current)
arabic = max(lines, key=len)
latin = lines[-1]
right_gap = min(r[2] - r[4] for r in arabic)
left_gap = min(r[3] - r[1] for r in latin)
arabic_left_gap = min(r[3] - r[1] for r in arabic)
print(f"Arabic line: {len(arabic)} rows, {right_gap} px from the right edge, "
      f"{arabic_left_gap} px from the left; Albanian line {left_gap} px from the left")
sys.exit(0 if right_gap <= left_gap + 6 and arabic_left_gap > 4 * right_gap + 50 else 1)
PY
echo "PASS"
