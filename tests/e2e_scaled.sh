#!/usr/bin/env bash
# The built program at the given screen scales (QT_SCALE_FACTOR) on an X server of its own. At
# each, screenshots of the splash, the main window and the About window: every picture is the
# drawing made for that scale, pixel for pixel (tests/picture_checks.py), the window icon's
# images are the drawings for the scale, and the About window's texts stand whole. The
# screenshots go to the given folder.
# Usage: e2e_scaled.sh <velmora> <sample Velmora.rtf> <resources folder> <folder for screenshots>
#        <scale>...
set -euo pipefail

velmora=$(realpath "$1")
book=$(realpath "$2")
resources=$(realpath "$3")
out=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_common.sh"
e2e_need_tools Xvfb xdotool xprop xwininfo import python3
[ -f "$book" ] || fail "no sample book at $book"

e2e_setup
# The main window at 250 % is 1123 by 1065 pixels.
e2e_start_xvfb 2560x1600
mkdir "$e2e_work/book"
cp "$book" "$e2e_work/book/Velmora.rtf"

about_window() { viewable '^Rreth programit\.\.\.$' | head -n1; }
about_showing() { [ -n "$(about_window)" ]; }
about_gone() { ! about_showing; }
# The splash: the program's one window before the main window shows.
splash_window() { main_showing || program_windows | head -n1; }
splash_up() { [ -n "$(splash_window)" ]; }
grab() { x import -window "$1" -depth 8 "$2"; }

failed=0
for scale in "$@"; do
  echo "--- at $scale"
  (cd "$e2e_work/book" && QT_SCALE_FACTOR=$scale exec "$velmora") &
  app_pid=$!
  wait_for 10 splash_up || fail "no splash within 10 s at $scale"
  sleep 0.3
  grab "$(splash_window)" "$e2e_work/splash.ppm"
  wait_for 20 main_showing || fail "no main window within 20 s at $scale"
  main=$(main_window)
  sleep 1
  grab "$main" "$e2e_work/main.ppm"
  cp "$e2e_work/main.ppm" "$out/e2e_scaled_$scale.ppm"
  x xprop -id "$main" -notype 32c _NET_WM_ICON >"$e2e_work/icon.txt"

  read -r ax ay < <(at 52 20)
  x xdotool mousemove --window "$main" "$ax" "$ay" click 1
  wait_for 10 about_showing || fail "the About window did not open at $scale"
  sleep 0.5
  grab "$(about_window)" "$e2e_work/about.ppm"
  cp "$e2e_work/about.ppm" "$out/e2e_scaled_about_$scale.ppm"
  read -r cx cy < <(at 320 240)
  x xdotool mousemove --window "$(about_window)" "$cx" "$cy" click 1
  wait_for 10 about_gone || fail "the About window did not close at $scale"

  check_scaled_shots "$e2e_work" "$resources" || failed=1

  read -r ex ey < <(at 20 20)
  x xdotool mousemove --window "$main" "$ex" "$ey" click 1
  wait_exit 10
done
[ "$failed" = 0 ] || fail "a picture or a text is not as drawn (screenshots in $out)"
echo "PASS"
