#!/usr/bin/env bash
# The clipboard as other programs read it (xclip), from the real program under openbox on an X
# server of its own:
#  1. the copy button with nothing selected leaves what another program put on the clipboard;
#  2. a selection copied by Ctrl+C, by the copy button and by the view's menu opened from the
#     keyboard (the menu key), and the primary selection a middle click would paste, give the
#     same bytes: the book's own characters, paragraph ends as line feeds.
# Then, at QT_SCALE_FACTOR=2, a screenshot with the focus on the exit button, for a person to
# look at, goes to the given folder.
# Usage: e2e_clipboard.sh <velmora> <sample Velmora.rtf> <folder for the screenshot>
set -euo pipefail

velmora=$(realpath "$1")
book=$(realpath "$2")
out=$3
source "$(dirname "$0")/e2e_common.sh"
e2e_need_tools Xvfb xdotool xprop xclip openbox import
[ -f "$book" ] || fail "no sample book at $book"

e2e_setup
e2e_start_xvfb
e2e_start_openbox
e2e_start_on_book "$velmora" "$book" 20
clipboard() { x xclip -o -selection "$1" 2>/dev/null; }

# 1. Another program's text, then the copy button (twips 840, 2280) with only a caret.
printf 'e vjetra' | x xclip -i -selection clipboard
x xdotool mousemove --window "$id" 300 200 click 1 # a caret in the view, nothing selected
x xdotool mousemove --window "$id" 68 164 click 1
sleep 0.5
[ "$(clipboard clipboard)" = "e vjetra" ] || fail "the copy button emptied the clipboard: '$(clipboard clipboard)'"

# 2. The book's first lines, selected from its start with Shift+Down.
x xdotool mousemove --window "$id" 300 200 click 1
x xdotool key ctrl+Home shift+Down shift+Down shift+Down
sleep 0.3
x xdotool key ctrl+c
sleep 0.3
by_keys=$(clipboard clipboard)
primary=$(clipboard primary)
[ -n "$by_keys" ] || fail "Ctrl+C put nothing on the clipboard"
x xdotool mousemove --window "$id" 68 164 click 1
sleep 0.3
by_button=$(clipboard clipboard)
x xdotool mousemove --window "$id" 300 200 # the view keeps the focus and the selection
x xdotool key Menu
sleep 0.5
x xdotool key Down Down Return # the menu's second item: copy
sleep 0.3
by_menu=$(clipboard clipboard)
[ "$by_keys" = "$primary" ] || fail "Ctrl+C and the primary selection differ"
[ "$by_keys" = "$by_button" ] || fail "Ctrl+C and the copy button differ"
[ "$by_keys" = "$by_menu" ] || fail "Ctrl+C and the menu's copy differ"
echo "every copy: $(printf '%s' "$by_keys" | wc -c) bytes, $(printf '%s\n' "$by_keys" | wc -l) lines"
click_exit
wait_exit 10

# 3. The focus on the exit button, at 200 %.
(cd "$e2e_work/book" && QT_SCALE_FACTOR=2 exec "$velmora") 2>/dev/null &
app_pid=$!
wait_for 20 main_showing || fail "no main window at 200 %"
id=$(main_window)
x xdotool key --window "$id" Tab Tab # from the search box past the view to the exit button
sleep 0.5
import -window "$id" "$out/e2e_focus_at_200.png"
echo "screenshot: $out/e2e_focus_at_200.png"
x xdotool key --window "$id" Return # Enter presses the focused exit button
wait_exit 10
[ "$status" -eq 0 ] || fail "Enter on the focused exit button ended the program with status $status"
echo "PASS"
