#!/usr/bin/env bash
# The built program on an X server of its own:
#  1. with the sample book: the splash shows alone, the window "Velmora 2.0" follows at least
#     3 s later and the splash is gone; a screenshot goes to the build folder; the exit button
#     ends the program with status 0;
#  2. with no book: the window shows, then the message box "Velmora 2.0"; Enter dismisses it and
#     the program ends with a non-zero status, leaving no window.
# Usage: e2e_startup.sh <velmora> <sample Velmora.rtf> <folder for screenshots>
set -euo pipefail

velmora=$(realpath "$1")
book=$(realpath "$2")
out=$3
for tool in Xvfb xwininfo xdotool import; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (tools/ensure_packages.sh)"; exit 1; }
done
[ -f "$book" ] || { echo "FAIL: no sample book at $book"; exit 1; }

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; exit 1; }

# Xvfb chooses a free display number itself and writes it to the given descriptor.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
echo "X server on $DISPLAY"

# Ids of the viewable windows whose name matches the pattern.
viewable() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }
size_of() { xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
splash_showing() {
  local id
  for id in $(xdotool search --onlyvisible --class '^velmora$' 2>/dev/null || true); do
    [ "$(size_of "$id")" = "487x297" ] && return 0
  done
  return 1
}
main_showing() { [ -n "$(viewable '^Velmora 2\.0$')" ]; }
splash_gone() { ! splash_showing; }
alive() { kill -0 "$app_pid" 2>/dev/null; }
micros() { echo "${EPOCHREALTIME//[.,]/}"; }
# Waits up to $1 seconds for the command to succeed; the time it did so (microseconds) goes to
# $when.
when=0
wait_for() {
  local limit=$(( $1 * 1000000 ))
  shift
  local start
  start=$(micros)
  while ! "$@"; do
    alive || fail "the program ended early while waiting for: $*"
    (( $(micros) - start > limit )) && return 1
    sleep 0.02
  done
  when=$(micros)
}
wait_exit() { # waits up to $1 seconds for the program to end; its status goes to $status
  local i
  for i in $(seq $(( $1 * 20 ))); do
    alive || break
    sleep 0.05
  done
  alive && fail "the program is still running"
  status=0
  wait "$app_pid" || status=$?
  app_pid=""
}

# 1. With the book.
mkdir "$work/book"
cp "$book" "$work/book/Velmora.rtf"
(cd "$work/book" && exec "$velmora") &
app_pid=$!
wait_for 10 splash_showing || fail "no splash within 10 s"
splash_at=$when
main_showing && fail "the main window shows together with the splash"
wait_for 15 main_showing || fail "no window 'Velmora 2.0' within 15 s of the splash"
main_at=$when
# Both times are read by polling every few hundredths of a second: a tenth of slack.
gap=$(( (main_at - splash_at) / 1000 ))
echo "splash to main window: $gap ms"
(( gap >= 2900 )) || fail "the main window came only $gap ms after the splash"
wait_for 2 splash_gone || fail "the splash is still showing after the main window"
sleep 1
import -window root "$out/e2e_startup.png"
echo "screenshot: $out/e2e_startup.png"

# The exit button (cmdFund at 8,8 in the client area, 25 pixels square) ends the program.
main_id=$(viewable '^Velmora 2\.0$' | head -n1)
eval "$(xdotool getwindowgeometry --shell "$main_id")"
xdotool mousemove $((X + 20)) $((Y + 20)) click 1
wait_exit 5
[ "$status" -eq 0 ] || fail "the exit button ended the program with status $status"

# 2. Without the book.
mkdir "$work/empty"
(cd "$work/empty" && exec "$velmora") &
app_pid=$!
wait_for 15 main_showing || fail "no main window without the book"
two_windows() { [ "$(viewable '^Velmora 2\.0$' | wc -l)" -ge 2 ]; }
wait_for 5 two_windows || fail "no message box after the main window"
box=""
for id in $(viewable '^Velmora 2\.0$'); do
  [ "$(size_of "$id")" != "449x426" ] && box=$id
done
[ -n "$box" ] || fail "the message box could not be told from the main window"
import -window root "$out/e2e_no_book.png"
xdotool windowfocus --sync "$box" key Return
wait_exit 5
[ "$status" -ne 0 ] || fail "the program ended with status 0 after the failure"
[ -z "$(xdotool search --onlyvisible --class '^velmora$' 2>/dev/null || true)" ] ||
  fail "a window stayed on the screen"
echo "PASS"
