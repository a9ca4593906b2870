#!/usr/bin/env bash
# The Windows packages as a Windows reader meets them, under Wine in a prefix of the test's own,
# on an X server of its own with openbox:
#  1. the installer, run quietly, puts the program under Program Files and a Start-menu shortcut
#     whose working folder holds the book;
#  2. --version answers on the console and an unknown option is named; started as the shortcut
#     says, the main window shows and the book is painted; on a
#     screenshot every picture button shows its picture, every box its text and the view its
#     text; a pick in the number list moves the view; the exit button ends it with status 0;
#  3. started in a folder without the book, it shows its Albanian message box and fails once the
#     box is answered;
#  4. the zip, unpacked anywhere, starts in its own folder (as a double click does) and shows
#     the book;
#  each, installed and unzipped, draws a book's PNG, JPEG and metafile (tests/pictures_book.py)
#  with the image readers it ships;
#  5. the uninstaller leaves nothing in Program Files or the Start menu.
# Screenshots of the main window, the About window and the message box go to the output folder.
# Usage: e2e_windows_installer.sh <velmora-*.msi> <velmora-*.zip> <output folder>
set -euo pipefail

msi=$(realpath "$1")
zip=$(realpath "$2")
out=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_common.sh"
e2e_setup_wine_windows
e2e_start_xvfb
e2e_start_openbox
"$here/../tools/windows/make_wine_prefix.sh"

shot() { import -window "$1" "$out/$2"; echo "screenshot: $out/$2"; }
grab() { import -window "$1" -depth 8 "$2"; }
# The program's windows by caption: Wine names its X windows after the Windows ones.
main_window() {
  local id
  for id in $(viewable '^Velmora 2\.0$'); do
    [ "$(size_of "$id")" = "449x426" ] && { echo "$id"; return; }
  done
}
message_boxes() {
  local id
  for id in $(viewable '^Velmora 2\.0$'); do
    [ "$(size_of "$id")" != "449x426" ] && echo "$id"
  done
  return 0
}
about_window() { viewable '^Rreth programit\.\.\.$' | head -n1; }
about_showing() { [ -n "$(about_window)" ]; }
about_gone() { ! about_showing; }
book_painted() { [ -n "$(timing_of "$log" "book painted")" ]; }

# Starts the program: the Windows path of the program, in a Linux folder that Wine takes for
# the working folder. Its log's lines end in CR LF, as Windows writes text.
start_program() {
  log="$e2e_work/run-$RANDOM.log"
  (cd "$2" && exec wine "$1") 2> >(sed -u 's/\r$//' >"$log") &
  app_pid=$!
}

# The main window's screenshot, as a checker of what it shows: each argument is a check. The
# focus goes to the view first, so that no box shows its text selected.
check_main() {
  local id=$1
  shift
  x xdotool mousemove --window "$id" 300 300 click 1
  sleep 0.3
  grab "$id" "$e2e_work/main.ppm"
  python3 "$here/windows_screen_checks.py" "$e2e_work/main.ppm" "$@"
}

# Started in a folder whose book holds a PNG, a JPEG and a metafile, the program draws all three.
mkdir "$e2e_work/pictures"
python3 "$here/pictures_book.py" "$e2e_work/pictures/Velmora.rtf"
check_pictures_drawn() {
  start_program "$1" "$e2e_work/pictures"
  wait_for 30 book_painted || fail "$2: the book of pictures was not painted: $(cat "$log")"
  wait_for 10 main_showing || fail "$2: no main window for the book of pictures"
  sleep 0.5
  check_main "$(main_window)" pictures || fail "$2 does not draw every picture"
  x xdotool mousemove --window "$(main_window)" 20 20 click 1
  wait_exit 10
}

# 1. The installer.
wine msiexec /i "$msi" /qn || fail "msiexec /i failed with status $?"
programs="$WINEPREFIX/drive_c/Program Files/Velmora"
[ -f "$programs/velmora.exe" ] || fail "no velmora.exe under Program Files: $(ls -R "$WINEPREFIX/drive_c/Program Files")"
[ -f "$programs/Velmora.rtf" ] || fail "no Velmora.rtf beside the program"
# The program's manifest names Windows 10 and 11, and leaves DPI awareness to Qt.
grep -a -q 'supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"' "$programs/velmora.exe" ||
  fail "velmora.exe does not say it was made for Windows 10 and 11"
! grep -a -q -i 'dpiAware' "$programs/velmora.exe" || fail "velmora.exe's manifest sets DPI awareness"
# Windows puts a shortcut for all users in the machine's Start menu; Wine in the user's.
menus=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu"
  "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu")
mapfile -t shortcuts < <(find "${menus[@]}" -iname '*velmora*.lnk' 2>/dev/null)
[ ${#shortcuts[@]} -eq 1 ] || fail "not one Start-menu shortcut: ${shortcuts[*]}"
mapfile -t link < <(python3 "$here/lnk_target.py" "${shortcuts[0]}")
target=${link[0]}
folder=$(winepath -u "${link[1]}" 2>/dev/null)
echo "shortcut: ${shortcuts[0]##*/} -> $target in ${link[1]}"
[ -f "$folder/Velmora.rtf" ] || fail "the shortcut's working folder ${link[1]} holds no Velmora.rtf"

# From a command prompt: --version answers on the console the program was started from, an
# unknown option is named, and neither opens a window.
version=$(cd "$folder" && wine "$target" --version 2>&1 | tr -d '\r')
[ "$version" = "Velmora 2.0" ] || fail "--version said: $version"
refusal=$(cd "$folder" && wine "$target" --hap-librin 2>&1 | tr -d '\r') && status=0 || status=$?
[ "$status" -ne 0 ] && grep -q -- "«--hap-librin»" <<<"$refusal" ||
  fail "an unknown option gave status $status: $refusal"

# 2. As the shortcut starts it.
start_program "$target" "$folder"
wait_for 30 book_painted || fail "the book was not painted within 30 s: $(cat "$log")"
wait_for 10 main_showing || fail "the book was painted, but no main window shows"
main=$(main_window)
sleep 0.5
shot "$main" windows_main.png
check_main "$main" buttons boxes view ||
  fail "the main window is not drawn whole (see $out/windows_main.png)"
shown=$(timing_of "$log" "main window shown")
painted=$(timing_of "$log" "book painted")
echo "main window shown to book painted: $(( (painted - shown) / 1000000 )) ms"

# A pick in the number list: its arrow opens the list, End goes to the last entry, Return picks.
grab "$main" "$e2e_work/before.ppm"
x xdotool mousemove --window "$main" 66 66 click 1
sleep 0.5
x xdotool key End Return
moved() {
  grab "$main" "$e2e_work/after.ppm"
  python3 "$here/windows_screen_checks.py" "$e2e_work/after.ppm" "view-differs:$e2e_work/before.ppm"
}
wait_for 10 moved || fail "picking the last hadith did not move the view"

# The About window, photographed and closed by its button.
x xdotool mousemove --window "$main" 52 20 click 1
wait_for 10 about_showing || fail "the About window did not open"
sleep 0.5
shot "$(about_window)" windows_about.png
x xdotool mousemove --window "$(about_window)" 320 240 click 1
wait_for 10 about_gone || fail "the About window's button did not close it"

x xdotool mousemove --window "$main" 20 20 click 1
wait_exit 10
[ "$status" -eq 0 ] || fail "the exit button ended the program with status $status"
check_pictures_drawn "$target" "the installed program"

# 3. Without the book in the working folder.
mkdir "$e2e_work/elsewhere"
start_program "$target" "$e2e_work/elsewhere"
wait_for 30 box_showing || fail "no message box without the book: $(cat "$log")"
box=$(message_boxes | head -n1)
sleep 0.5
shot "$box" windows_message.png
x xdotool windowactivate --sync "$box" key Return
wait_exit 10
[ "$status" -ne 0 ] || fail "the program ended with status 0 without its book"

# 4. The zip, unpacked and started from its own folder.
unzip -q "$zip" -d "$WINEPREFIX/drive_c/unzipped"
unpacked=("$WINEPREFIX"/drive_c/unzipped/*/velmora.exe)
[ -f "${unpacked[0]}" ] || fail "the zip holds no folder with velmora.exe"
start_program "$(winepath -w "${unpacked[0]}")" "$(dirname "${unpacked[0]}")"
wait_for 30 book_painted || fail "the unzipped program painted no book within 30 s: $(cat "$log")"
wait_for 10 main_showing || fail "the unzipped program shows no main window"
check_main "$(main_window)" buttons boxes view || fail "the unzipped program's window is not drawn whole"
x xdotool mousemove --window "$(main_window)" 20 20 click 1
wait_exit 10
[ "$status" -eq 0 ] || fail "the unzipped program ended with status $status"
check_pictures_drawn "$(winepath -w "${unpacked[0]}")" "the unzipped program"

# 5. The uninstaller.
wine msiexec /x "$msi" /qn || fail "msiexec /x failed with status $?"
[ ! -e "$programs" ] || fail "left under Program Files: $(ls -R "$programs")"
left=$(find "${menus[@]}" -iname '*velmora*' 2>/dev/null)
[ -z "$left" ] || fail "left in the Start menu: $left"
echo "PASS"
