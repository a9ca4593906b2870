#!/usr/bin/env bash
# The real program's memory and stalls over a reader's session with one book, under openbox on
# an X server of its own, as a desktop would see them:
#   loaded       resident size once the book is painted (and its building settled)
#   size 26      after size 26 is picked in a window 260 pixels wide, then the last hadith picked
#   Ctrl+C       after Ctrl+A and Ctrl+C in the view (the whole book selected and copied)
#   paste        after other programs read the primary selection (a middle-click paste), the
#                clipboard's plain text and its HTML, each read timed; meanwhile the window is
#                pinged (_NET_WM_PING) and its longest reply is the longest stall
#   copy button  the copy button's time on the whole book, and the size after it
#   peak         the process's peak resident size (VmHWM) over the whole session
# Usage: session_memory.sh <velmora> <book.rtf>
# Needs what ./test installs (Xvfb, openbox, xdotool, wmctrl, python3-xlib) and xclip.
set -euo pipefail

velmora=$(realpath "$1")
book=$(realpath "$2")
here=$(cd "$(dirname "$0")/../tests" && pwd)
source "$here/e2e_common.sh"
e2e_need_tools Xvfb xdotool wmctrl xclip openbox
e2e_setup
e2e_start_xvfb
e2e_start_openbox

e2e_start_on_book "$velmora" "$book" 60

status_kb() { awk -v key="$1:" '$1 == key {print $2}' "/proc/$app_pid/status"; }
report() { printf '%-12s %6.1f MB resident (%s)\n' "$1" "$(echo "$(status_kb VmRSS) / 1024" | bc -l)" "$(awk '/RssAnon|RssFile/ {printf "%s %.1f MB ", $1, $2/1024}' /proc/$app_pid/status)"; }
settle() { sleep "${1:-3}"; }
pick_last_entry() { # opens the list of the box at x,y with F4 and picks its last entry
  x xdotool mousemove --window "$id" "$1" "$2" click 1
  sleep 0.3
  x xdotool key F4
  sleep 0.3
  x xdotool key End Return
}
millis() { local start; start=$(micros); "$@" >/dev/null 2>&1 || true; echo $(( ($(micros) - start) / 1000 )); }

settle 5
report loaded
x wmctrl -i -r "$id" -e 0,100,100,260,500
pick_last_entry 20 162 # CmbNrFonti: the last entry is 26
settle 8
pick_last_entry 20 66  # cmbNrHadithi: the last hadith
settle 3
report "size 26"

x xdotool mousemove --window "$id" 200 200 click 1
x xdotool key ctrl+a ctrl+c
settle 2
report Ctrl+C
/usr/bin/python3 "$here/net_wm_ping.py" "$id" --duration 12 --interval 50 --limit 100000 \
  >"$e2e_work/ping.out" 2>&1 &
pinger=$!
sleep 0.5
echo "primary selection read: $(millis timeout 60 xclip -o -selection primary) ms"
echo "clipboard text read:    $(millis timeout 60 xclip -o -selection clipboard -t UTF8_STRING) ms"
echo "clipboard HTML read:    $(millis timeout 60 xclip -o -selection clipboard -t text/html) ms"
wait "$pinger" || true
echo "while read: $(cat "$e2e_work/ping.out")"
report paste

# cmdCopy: twips (840, 2280), 375 x 375.
x xdotool mousemove --window "$id" 68 164
start=$(micros)
x xdotool click 1
copied() { [ "$(timeout 10 xclip -o -selection clipboard -t TARGETS 2>/dev/null | head -c 1)" != "" ]; }
wait_for 10 copied || true
echo "copy button to clipboard answered: $(( ($(micros) - start) / 1000 )) ms"
settle 2
report "copy button"
printf '%-12s %6.1f MB\n' peak "$(echo "$(status_kb VmHWM) / 1024" | bc -l)"
click_exit
wait_exit 10
