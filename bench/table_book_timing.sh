#!/usr/bin/env bash
# The program on a book of tables against the same book without: the ten-times book, and the
# ten-times book with every hadith set as a bordered table (make_book --tables), each opened
# RUNS times under openbox on an X server of its own. For each run: the first paint after the
# window shows (the program's own timing log), the resident size once the book is painted and
# idle, and the longest answer to _NET_WM_PING (every 20 ms) while the reader goes from the
# start to the end and back (Ctrl+End, Ctrl+Home), scrolls with the wheel, jumps to a hadith
# from the list and picks size 20.
# Usage: bench/table_book_timing.sh build/bin/velmora build/bin/make_book [RUNS]
# With shots=FOLDER set, screenshots after each step show that it reached the window.
set -euo pipefail

velmora=$(realpath "$1")
make_book=$(realpath "$2")
runs=${3:-3}
here=$(cd "$(dirname "$0")/../tests" && pwd)
source "$here/e2e_common.sh"
e2e_need_tools Xvfb xdotool openbox
e2e_setup
work=$e2e_work
e2e_start_xvfb
e2e_start_openbox

"$make_book" "$work/plain.rtf" --times 10 >/dev/null
"$make_book" "$work/tables.rtf" --times 10 --tables >/dev/null

measure() {
  local name=$1 book=$2
  e2e_start_on_book "$velmora" "$book" 60
  local painted shown rss
  shown=$(timing_of "$log" "main window shown")
  painted=$(timing_of "$log" "book painted")
  sleep 3 # the rest of the book converted and measured while idle
  rss=$(awk '/VmRSS/ {print int($2 / 1024)}' "/proc/$app_pid/status")
  timeout 60 /usr/bin/python3 "$here/net_wm_ping.py" "$id" --duration 14 --interval 20 \
    --limit 100000 >"$work/ping.out" 2>&1 &
  local pinger=$!
  sleep 0.5
  x xdotool mousemove --window "$id" 250 200 click 1
  x xdotool key ctrl+End
  sleep 1.5
  [ -n "${shots:-}" ] && import -window root "$shots/${name// /_}-end.png"
  x xdotool key ctrl+Home
  sleep 1.5
  for _ in $(seq 40); do x xdotool mousemove --window "$id" 250 200 click --repeat 5 5; done
  sleep 1
  # The hadith list: a number typed and Return, as a reader picks one.
  x xdotool mousemove --window "$id" 20 67 click 1
  sleep 0.2
  x xdotool key F4
  sleep 0.2
  x xdotool type --delay 50 700
  x xdotool key Return
  sleep 2
  [ -n "${shots:-}" ] && import -window root "$shots/${name// /_}-jump.png"
  # CmbNrFonti: the size list opened at "12", eight entries down is 20.
  x xdotool mousemove --window "$id" 20 162 click 1
  sleep 0.2
  x xdotool key F4
  sleep 0.2
  # shellcheck disable=SC2046
  x xdotool key --delay 30 $(printf 'Down %.0s' $(seq 8)) Return
  wait "$pinger" || true
  [ -n "${shots:-}" ] && import -window root "$shots/${name// /_}-size.png"
  echo "$name: first paint $(( (painted - shown) / 1000000 )) ms after the window showed; resident ${rss} MB;" \
    "pings: $(cat "$work/ping.out")"
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
}

for run in $(seq "$runs"); do
  measure "run $run, without tables" "$work/plain.rtf"
  measure "run $run, tables" "$work/tables.rtf"
done
