#!/usr/bin/env bash
# The program as a screen reader meets it. On a session bus of its own (dbus-run-session) with
# the AT-SPI bus and registry of at-spi2-core, the program runs on an X server of its own under
# openbox with accessibility on, and an AT-SPI client (atspi_tree.py, python3-gi) reads it:
#  0. the view's place and size right after start-up, in a frame the window manager added after
#     the window was first laid out, are those it has after the window is resized and given its
#     first size back;
#  1. the main window is a frame; the hadith-number box, the search box and the size box are
#     labelled by, and read as, the labels over them; the view is "Teksti i librit" and its
#     Text interface holds the whole book (as many characters as rtfdump prints); the exit
#     button is described as closing the program;
#  2. wheel notches over the closed hadith-number and size boxes change neither box nor the
#     view; after "25" is picked in the hadith-number box, the view's selection is the heading
#     "25", on the view's first line;
#  3. Enter in the emptied search box shows an alert that carries the message's text; a search
#     for an absent word asks, with the buttons "OK" and "Anulo", whether to start over.
# The exit button then ends the program with status 0. The tree is printed, as a record.
# Usage: e2e_accessibility.sh <velmora> <sample Velmora.rtf> <rtfdump>
set -euo pipefail

# Everything, the program and the client alike, must meet on the same accessibility bus, which
# is found through the session bus: a private one keeps the desktop's own out of the test.
if [ -z "${VELMORA_E2E_SESSION_BUS:-}" ]; then
  command -v dbus-run-session >/dev/null || { echo "FAIL: dbus-run-session is missing"; exit 1; }
  VELMORA_E2E_SESSION_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

velmora=$(realpath "$1")
book=$(realpath "$2")
rtfdump=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_common.sh"
e2e_need_tools Xvfb xdotool xprop xwininfo import dbus-send openbox wmctrl
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || fail "$launcher is missing (at-spi2-core, tools/ensure_packages.sh)"
# Debian's python3 carries python3-gi; a python3 earlier on PATH may not.
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
  fail "python3-gi with Atspi 2.0 is missing (tools/ensure_packages.sh)"
[ -f "$book" ] || fail "no sample book at $book"
atspi() { timeout 60 /usr/bin/python3 "$here/atspi_tree.py" "$@"; }

e2e_setup
work=$e2e_work
# The accessibility bus puts its socket here rather than in the user's own folders.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
e2e_start_xvfb
echo "X server on $DISPLAY"
e2e_start_openbox

"$launcher" --launch-immediately >"$work/atspi.log" 2>&1 &
launcher_pid=$!
# The launcher takes its accessibility bus (and the registry on it) down when it ends.
trap 'kill "$launcher_pid" 2>/dev/null || true; e2e_cleanup' EXIT
# Asked whether the name is taken, not for the address: a call to the bus before the launcher
# has taken its name would have the session bus start a second launcher.
bus_up() {
  timeout 5 dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q 'boolean true'
}
for _ in $(seq 100); do
  bus_up && break
  sleep 0.1
done
bus_up || fail "the AT-SPI bus did not start: $(cat "$work/atspi.log")"

# The book's length, and where the heading line "25" starts, in the parser's plain text.
read -r book_length heading_at < <("$rtfdump" "$book" | /usr/bin/python3 -c '
import sys
text = sys.stdin.buffer.read().decode()
print(len(text), text.index("\n25\n") + 1)')
mkdir "$work/book"
cp "$book" "$work/book/Velmora.rtf"
log="$work/velmora.log"
(cd "$work/book" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
  QT_LOGGING_RULES="velmora.timing.debug=true" exec "$velmora") 2>"$log" &
app_pid=$!
book_painted() { [ -n "$(timing_of "$log" "book painted")" ]; }
wait_for 25 book_painted || fail "the book was not painted within 25 s: $(tail -n 5 "$log")"
id=$(main_window)
[ -n "$id" ] || fail "no main window"

# 0. The resize rule counts the frame, which openbox adds after the window is first laid out.
first_size=$(size_of "$id")
first_place=$(atspi extents)
sized() { [ "$(size_of "$id")" = "$1" ]; }
x wmctrl -i -r "$id" -e 0,-1,-1,900,500
wait_for 2 sized 900x500 || fail "openbox did not make the window 900 x 500"
sleep 0.5
other_place=$(atspi extents)
x wmctrl -i -r "$id" -e "0,-1,-1,${first_size/x/,}"
wait_for 2 sized "$first_size" || fail "openbox did not give back the size $first_size"
sleep 0.5
again_place=$(atspi extents)
[ "$other_place" != "$first_place" ] || fail "the view kept $first_place in a 900 x 500 window"
[ "$again_place" = "$first_place" ] ||
  fail "the view was at $first_place after start-up, at $again_place after a resize and back"
echo "ok   the view at $first_place (x,y in the window, size) after start-up and after a resize" \
  "and back to $first_size ($other_place at 900x500)"

# 1. Roles, names, labels, the view's text.
echo "The main window as AT-SPI shows it:"
atspi tree | sed 's/^/  /'
atspi controls "$book_length" || fail "the controls are not as a screen reader needs them"

# 2. Over a closed box a wheel notch is no pick. cmbNrHadithi: twips (120, 840), 975 x 315;
# CmbNrFonti: twips (120, 2280), 615 x 315. The notches go the way that would change each box.
view_pixels() { x import -window "$id" -crop 250x250+160+20 +repage rgb:- | md5sum | cut -c1-32; }
before="$(atspi state) $(view_pixels)"
x xdotool mousemove --window "$id" 40 66 click --repeat 3 --delay 100 5
x xdotool mousemove --window "$id" 28 162 click --repeat 2 --delay 100 4
x xdotool mousemove --window "$id" 600 20
sleep 1
after="$(atspi state) $(view_pixels)"
[ "$after" = "$before" ] || fail "wheel notches over the boxes changed $before to $after"
echo "ok   unchanged by the wheel over the boxes: $after"

# The jump: a click in cmbNrHadithi's text takes the focus, F4 opens the list at "1", 24 entries
# down is "25", Return picks it.
x xdotool mousemove --window "$id" 20 66 click 1
sleep 0.3
x xdotool key F4
sleep 0.3
# shellcheck disable=SC2046
x xdotool key --delay 20 $(printf 'Down %.0s' $(seq 24)) Return
atspi selection "$heading_at" 25 || fail "the view does not report the heading 25 as selected"
atspi at_top "$heading_at" || fail "the jump does not show the heading 25 at the top of the view"

# 3. txtKerkim: twips (120, 1560), 1455 x 315. Emptied, Enter runs a search step for nothing.
x xdotool mousemove --window "$id" 40 114 click 1
sleep 0.3
atspi announced "Shëno diçka në kutizën për kërkim!" xdotool key ctrl+a BackSpace Return ||
  fail "the message box for an empty search is not announced with its text"
x xdotool key Return
box_gone() { ! box_showing; }
wait_for 5 box_gone || fail "Enter did not close the message box"
# Nothing is found after the heading 25: the box asks whether to start over. Escape is its
# Cancel, which ends the search without a second box.
x xdotool mousemove --window "$id" 40 114 click 1
sleep 0.3
x xdotool type xzzq
atspi buttons OK,Anulo xdotool key Return ||
  fail "the box asking to start the search over is not labelled in Albanian"
x xdotool key Escape
wait_for 5 box_gone || fail "Escape did not close the message box"
sleep 0.5
box_gone || fail "a box showed after the search was cancelled"

click_exit
wait_exit 5
(( status == 0 )) || fail "the exit button ended the program with status $status"
echo "PASS"
