#!/usr/bin/env bash
# The program keeps answering the window manager while the text size changes. Under openbox on
# an X server of its own, the main window is pinged (EWMH _NET_WM_PING, net_wm_ping.py) every
# 100 ms for 10 s, and every ping must be answered within 250 ms:
#  1. on the sample book, after size 26 is picked in CmbNrFonti, while the window is made
#     narrow (250 x 300) and, a few seconds later, given its first size again;
#  2. on a book ten times as long, after size 20 is picked, at the window's first size;
#  3. on the sample book written as one paragraph (each \par a \line), after size 20 is picked,
#     narrowed and given its size again as in 1: Qt lays out a paragraph whole;
#  4. as 3, on half a million Chinese characters in one paragraph without a space, a full stop
#     every twenty.
# A program that lays out the whole book at once on its event loop stops answering: the window
# manager greys the window and offers to kill it. Each run then ends with the exit button and
# status 0. The size is picked as a user would, from the box's list; the view must then look
# different, so a pick that never reached the box cannot pass for a program that kept up.
# Usage: e2e_responsive.sh <velmora> <sample Velmora.rtf> <make_book> <folder for screenshots>
set -euo pipefail

velmora=$(realpath "$1")
book=$(realpath "$2")
make_book=$(realpath "$3")
out=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_common.sh"
e2e_need_tools Xvfb xwininfo xdotool xprop import openbox wmctrl
[ -f "$book" ] || fail "no sample book at $book"
# Debian's python3 carries python3-xlib; a python3 earlier on PATH may not.
/usr/bin/python3 -c 'import Xlib' 2>/dev/null ||
  fail "python3-xlib is missing (tools/ensure_packages.sh)"

limit_ms=250
# AddressSanitizer makes every layout several times slower; a freeze is still caught.
sanitized "$velmora" && limit_ms=1000

e2e_setup
work=$e2e_work
e2e_start_xvfb
echo "X server on $DISPLAY"

e2e_start_openbox

"$make_book" "$work/Velmora-x10.rtf" --times 10 >/dev/null
perl -pe 's/\\par(?![a-z])/\\line/g' "$book" >"$work/Velmora-one-paragraph.rtf"
/usr/bin/python3 -c 'import random, sys; g = random.Random(1); sys.stdout.write("{\\rtf1\\uc1 "
  + "".join("\\u%d?" % (0x3002 if i % 20 == 0 else g.randint(0x4E00, 0x9FA5))
            for i in range(1, 500001)) + "\\par}")' >"$work/Velmora-chinese.rtf"

# A piece of the view Rtf1 (twips 2160, 0 on: pixel 144) as the window shows it.
view_pixels() { x import -window "$1" -crop 250x250+160+20 +repage rgb:- | md5sum; }

failures=0
# run_case NAME BOOK STEPS [narrow]: picks the size STEPS entries down the list from 12, pings.
run_case() {
  local name=$1 source_book=$2 steps=$3 narrow=${4:-}
  local folder="$work/$name" log="$work/$name.log"
  mkdir "$folder"
  cp "$source_book" "$folder/Velmora.rtf"
  (cd "$folder" && QT_LOGGING_RULES="velmora.timing.debug=true" exec "$velmora") 2>"$log" &
  app_pid=$!
  book_painted() { [ -n "$(timing_of "$log" "book painted")" ]; }
  wait_for 25 book_painted || fail "$name: the book was not painted within 25 s"
  local id
  id=$(main_window)
  [ -n "$id" ] || fail "$name: no main window"
  local first_size before
  first_size=$(size_of "$id")
  before=$(view_pixels "$id")

  # CmbNrFonti: twips (120, 2280), 615 x 315. A click in its text takes the focus, F4 opens
  # the list at "12", Return picks the entry reached: one pick, as with the mouse.
  x xdotool mousemove --window "$id" 20 162 click 1
  sleep 0.3
  x xdotool key F4
  sleep 0.3
  # shellcheck disable=SC2046
  x xdotool key --delay 30 $(printf 'Down %.0s' $(seq "$steps")) Return
  sleep 0.3
  import -window root "$out/e2e_responsive_$name.png"

  timeout 30 /usr/bin/python3 "$here/net_wm_ping.py" "$id" --duration 10 --interval 100 \
    --limit "$limit_ms" >"$work/ping.out" 2>&1 &
  local pinger=$!
  if [ -n "$narrow" ]; then
    sleep 2
    x wmctrl -i -r "$id" -e 0,100,100,250,300
    sized() { [ "$(size_of "$id")" = "$1" ]; }
    wait_for 2 sized 250x300 || fail "$name: openbox did not make the window 250 x 300"
    sleep 3
    x wmctrl -i -r "$id" -e "0,-1,-1,${first_size/x/,}"
    wait_for 2 sized "$first_size" || fail "$name: openbox did not give back the size $first_size"
  fi
  local ping_status=0
  wait "$pinger" || ping_status=$?
  if (( ping_status != 0 )); then
    echo "FAIL $name: $(sed 's/^FAIL: //' "$work/ping.out")"
    failures=$((failures + 1))
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    return
  fi
  echo "ok   $name: $(cat "$work/ping.out")"
  [ "$(view_pixels "$id")" != "$before" ] || fail "$name: the view did not change with the size"
  click_exit
  wait_exit 5
  (( status == 0 )) || fail "$name: the exit button ended the program with status $status"
}

start=$(micros)
run_case size26-narrow "$book" 14 narrow
run_case x10-size20 "$work/Velmora-x10.rtf" 8
run_case one-paragraph-size20-narrow "$work/Velmora-one-paragraph.rtf" 8 narrow
run_case chinese-size20-narrow "$work/Velmora-chinese.rtf" 8 narrow
echo "all runs: $(( ($(micros) - start) / 1000 )) ms; screenshots in $out"
(( failures == 0 )) || fail "$failures of 4 runs stopped answering the window manager"
echo "PASS"
