#!/usr/bin/env bash
# The built program on an X server of its own:
#  1. with the sample book: the splash shows alone, the window "Velmora 2.0" follows at least
#     3 s later and the splash is gone; a screenshot goes to the build folder; the exit button
#     ends the program with status 0;
#  2. with no book: the window shows, then the message box "Velmora 2.0"; Enter dismisses it and
#     the program ends with a non-zero status, leaving no window;
#  3. from a text console (no display, or one that cannot be reached) it says so in one line and
#     fails; --version answers there, and an option with a value Qt never takes is named;
#  4. X11's own options reach Qt: with DISPLAY unset, -display names the server, -name the
#     window's instance name, -visual the visual, and the window opens.
# Usage: e2e_startup.sh <velmora> <sample Velmora.rtf> <folder for screenshots>
set -euo pipefail

velmora=$(realpath "$1")
book=$(realpath "$2")
out=$3
source "$(dirname "$0")/e2e_common.sh"
e2e_need_tools Xvfb xwininfo xdotool xprop xdpyinfo import
[ -f "$book" ] || fail "no sample book at $book"

e2e_setup
work=$e2e_work
e2e_start_xvfb
echo "X server on $DISPLAY"

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
click_exit
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
x xdotool windowfocus --sync "$box" key Return
wait_exit 5
[ "$status" -ne 0 ] || fail "the program ended with status 0 after the failure"
[ -z "$(program_windows)" ] ||
  fail "a window stayed on the screen"

# 3. Without a display.
said() {
  local status=0
  (cd "$work/book" && env "$@" "$velmora" "${arguments[@]}") >"$work/out" 2>"$work/err" || status=$?
  echo "$status $(wc -l <"$work/err")"
}
arguments=()
[ "$(said -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)" = "1 1" ] ||
  fail "with no display: $(cat "$work/err")"
grep -q "ekran grafik" "$work/err" || fail "with no display it says: $(cat "$work/err")"
[ "$(said -u QT_QPA_PLATFORM DISPLAY=:31999)" = "1 1" ] ||
  fail "with a display that cannot be reached: $(cat "$work/err")"
grep -q "«:31999»" "$work/err" || fail "the unreachable display is not named: $(cat "$work/err")"
arguments=(--version)
[ "$(said -u DISPLAY)" = "0 0" ] && [ "$(cat "$work/out")" = "Velmora 2.0" ] ||
  fail "--version said: $(cat "$work/out" "$work/err")"
arguments=(--open-all=po)
[ "$(said -u DISPLAY)" = "1 1" ] && grep -q -- "«--open-all=po»" "$work/err" ||
  fail "an unknown option: $(cat "$work/err")"

# 4. Qt's X11 options, which the program does not know itself.
visual=$(x xdpyinfo | awk '/default visual id/ && !v {v = $4} END {print v}')
(cd "$work/book" && exec env -u DISPLAY "$velmora" -display "$DISPLAY" -name libri-prove \
  -visual "$visual") 2>"$work/err" &
app_pid=$!
wait_for 15 main_showing || fail "-display, -name and -visual: no window ($(cat "$work/err"))"
x xprop -id "$(main_window)" WM_CLASS | grep -q '"libri-prove"' ||
  fail "-name did not reach Qt: $(x xprop -id "$(main_window)" WM_CLASS)"
click_exit
wait_exit 5
[ "$status" -eq 0 ] || fail "started with X11's options, the program ended with status $status"
echo "PASS"
