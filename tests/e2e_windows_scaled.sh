#!/usr/bin/env bash
# The Windows program from its zip under Wine, at each scale of resources/scales.txt above 100 %:
# Windows set to that many dots per inch (120 for 125 %, 144 for 150 %, ...), on an X server of its
# own with openbox. At each, screenshots of the splash, the main window and the About window: every
# picture is the drawing made for that scale, pixel for pixel, the window icon's images are
# drawings and among them the small and large icon Windows asks for at the scale (20 and 40
# pixels at 125 %), the e-mail line ends above the About window's button and its focus ring and
# the author's name is underlined whole (tests/picture_checks.py); the main window is the scale's
# size, as it is only when Qt's DPI awareness took effect; Shift+F10 in the view opens the view's
# own menu at the caret, whose first item selects the whole text and whose second copies it.
# Usage: e2e_windows_scaled.sh <velmora-*.zip> <resources folder> <folder for screenshots> DPI...
set -euo pipefail

zip=$(realpath "$1")
resources=$(realpath "$2")
out=$(realpath "$3")
shift 3
dpis=("$@")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_common.sh"
e2e_setup_wine_windows
e2e_need_tools xclip comm
# The main window at 200 % is 898 by 852 pixels, framed.
e2e_start_xvfb 1600x1200
e2e_start_openbox
"$here/../tools/windows/make_wine_prefix.sh"
unzip -q "$zip" -d "$WINEPREFIX/drive_c/unzipped"
program=("$WINEPREFIX"/drive_c/unzipped/*/velmora.exe)
folder=$(dirname "${program[0]}")

# Wine's windows are named after the Windows ones; the splash has no name.
main_window() { viewable '^Velmora 2\.0$' | head -n1; }
about_window() { viewable '^Rreth programit\.\.\.$' | head -n1; }
about_showing() { [ -n "$(about_window)" ]; }
about_gone() { ! about_showing; }
book_painted() { [ -n "$(timing_of "$log" "book painted")" ]; }
splash_window() {
  local id width
  for id in $(x xdotool search --onlyvisible --class 'velmora' 2>/dev/null); do
    width=$(x xwininfo -id "$id" | awk '/Width:/ {print $2}')
    ((width >= splash_width - 1 && width <= splash_width + 1)) && echo "$id"
  done | head -n1
}
splash_up() { [ -n "$(splash_window)" ]; }
# Override-redirect windows (popup menus) mapped on the screen.
popups() {
  local w info
  for w in $(x xwininfo -root -children | awk '$1 ~ /^0x/ {print $1}'); do
    info=$(x xwininfo -id "$w" 2>/dev/null) || continue
    grep -q 'Override Redirect State: yes' <<<"$info" && grep -q 'IsViewable' <<<"$info" && echo "$w"
  done
  return 0
}
grab() { x import -window "$1" -depth 8 "$2"; }
corner() { x xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'; }
# The popup $1 lies where the view's menu opens: its top edge at the foot of the caret's line, the
# one clicked at ($vx, $vy) or the nearest to it, and its left edge within the view.
view_menu_at() {
  [ -n "$1" ] || return 1
  local mx my wx wy low high left right
  read -r mx my < <(corner "$1")
  read -r wx wy < <(corner "$main")
  read -r low high left right < <(at -20 24 144 481)
  ((my - wy >= vy + low && my - wy <= vy + high && mx - wx >= left && mx - wx <= right)) ||
    { echo "the menu opened at $((mx - wx)),$((my - wy)), the caret is near $vx,$vy"; return 1; }
}
# The clipboard holds the whole book, from its first hadith to its last.
whole_book_copied() {
  local text
  text=$(x xclip -o -selection clipboard 2>/dev/null) || return 1
  ((${#text} > 100000)) && grep -q "^1014\b" <<<"$text"
}
# Wine draws the frame of a tool window itself, inside the X window: the client area is what
# is left of it once its equal borders and the caption above are taken off. Prints the client
# area's offset in the X window, for a client area of $2 by $3 logical pixels.
client_offset() {
  local size w h cw ch
  size=$(size_of "$1")
  w=${size%x*} h=${size#*x}
  read -r cw ch < <(at "$2" "$3")
  echo $(((w - cw) / 2)) $((h - ch - (w - cw) / 2)) "${cw}x${ch}"
}

failed=0
for dpi in "${dpis[@]}"; do
  scale=$(python3 -c "print($dpi / 96)")
  read -r splash_width < <(at "${VELMORA_SPLASH_SIZE%x*}")
  echo "--- at $dpi dots per inch ($scale)"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  wineserver --wait

  log="$e2e_work/run-$dpi.log"
  (cd "$folder" && exec wine "${program[0]}") 2> >(sed -u 's/\r$//' >"$log") &
  app_pid=$!
  wait_for 20 splash_up || fail "no splash at $dpi: $(cat "$log")"
  sleep 0.5
  grab "$(splash_window)" "$e2e_work/splash.ppm"
  wait_for 30 book_painted || fail "the book was not painted at $dpi: $(cat "$log")"
  main=$(main_window)
  sleep 0.5
  # The focus in the view, so that no box shows its text selected.
  read -r vx vy < <(at 300 300)
  x xdotool mousemove --window "$main" "$vx" "$vy" click 1
  sleep 0.3
  grab "$main" "$e2e_work/main.ppm"
  cp "$e2e_work/main.ppm" "$out/windows_scaled_$dpi.ppm"
  x xprop -id "$main" -notype 32c _NET_WM_ICON >"$e2e_work/icon.txt"

  # A program Windows does not know to be DPI aware is shown at 96 dots per inch.
  read -r ww wh < <(size_of "$main" | tr x ' ')
  read -r sw sh < <(at 449 426)
  ((ww - sw <= 1 && sw - ww <= 1 && wh - sh <= 1 && sh - wh <= 1)) ||
    { echo "FAIL: the main window is ${ww}x$wh at $dpi, not ${sw}x$sh"; failed=1; }

  # Shift+F10 in the view: Windows' keyboard right click, at the caret the click above left.
  before=$(popups)
  x xdotool key shift+F10
  menu_open() { [ "$(popups)" != "$before" ]; }
  if wait_for 5 menu_open && view_menu_at "$(comm -13 <(sort <<<"$before") <(popups | sort) | head -n1)"; then
    x xdotool key Down Return # the first item: the whole text selected
    sleep 0.3
    x xdotool key shift+F10
    wait_for 5 menu_open || true
    x xdotool key Down Down Return # the second: copied
    wait_for 5 whole_book_copied || { echo "FAIL: the view's menu copied no whole book at $dpi"; failed=1; }
    x xdotool mousemove --window "$main" "$vx" "$vy" click 1 # the selection gone again
    sleep 0.3
    echo "Shift+F10: the view's menu at the caret; its items selected and copied the book"
  else
    echo "FAIL: Shift+F10 opened no menu at the caret at $dpi"
    failed=1
  fi

  read -r ax ay < <(at 52 20)
  x xdotool mousemove --window "$main" "$ax" "$ay" click 1
  wait_for 10 about_showing || fail "the About window did not open at $dpi"
  sleep 0.5
  about=$(about_window)
  read -r dx dy client < <(client_offset "$about" 349 300)
  grab "$about" "$e2e_work/framed.ppm"
  x convert "$e2e_work/framed.ppm" -crop "$client+$dx+$dy" +repage "$e2e_work/about.ppm"
  cp "$e2e_work/about.ppm" "$out/windows_scaled_about_$dpi.ppm"
  read -r cx cy < <(at 320 240)
  x xdotool mousemove --window "$about" $((cx + dx)) $((cy + dy)) click 1
  wait_for 10 about_gone || fail "the About window did not close at $dpi"

  check_scaled_shots "$e2e_work" "$resources" || failed=1

  read -r ex ey < <(at 20 20)
  x xdotool mousemove --window "$main" "$ex" "$ey" click 1
  wait_exit 15
  [ "$status" -eq 0 ] || fail "the exit button ended the program with status $status at $dpi"
  wineserver --wait
done
[ "$failed" = 0 ] || fail "not as drawn at some scale (screenshots in $out)"
echo "PASS"
