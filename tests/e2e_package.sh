#!/usr/bin/env bash
# The Debian package as a desktop uses it, unpacked with dpkg -x into a root of its own (nothing
# is installed), on an X server of its own:
#  1. the unpacked files are exactly those the package lists: the program, the book, the entry,
#     the icon at every size, the AppStream data, and no developer tool;
#  2. started as the menu entry says (Exec= in the folder Path=), the main window shows and the
#     book is painted; the exit button ends it with status 0, and no file in the unpacked tree
#     has been written, added or removed;
#  3. started from another folder, as from a terminal, it shows its message and fails.
# Usage: e2e_package.sh <folder holding the one velmora_*.deb>
set -euo pipefail

debs=("$1"/velmora_*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single package in $1"; exit 1; }
deb=$(realpath "${debs[0]}")
source "$(dirname "$0")/e2e_common.sh"
e2e_need_tools dpkg Xvfb xwininfo xdotool xprop

e2e_setup
root="$e2e_work/root"
dpkg -x "$deb" "$root"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

# 1. What the package lists, against what was unpacked.
listed=$(dpkg -c "$deb" | awk '{print $6}' | sed -e 's|^\./||' -e 's|/$||' | grep -v '^$' | sort)
unpacked=$(cd "$root" && find . -mindepth 1 | sed 's|^\./||' | sort)
[ "$listed" = "$unpacked" ] ||
  fail "the unpacked files differ from the package's list: $(diff <(echo "$listed") <(echo "$unpacked"))"
for want in usr/bin/velmora usr/share/velmora/Velmora.rtf \
    usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/velmora.png \
    usr/share/icons/hicolor/scalable/apps/velmora.svg; do
  grep -qx "$want" <<<"$listed" || fail "the package lacks $want"
done
grep -Eq '(^|/)(rtfdump|make_book|bench_[a-z_]*|tst_[a-z_]*)$' <<<"$listed" &&
  fail "the package holds a developer tool: $(grep -E '(rtfdump|make_book|bench_|tst_)' <<<"$listed")"

# 2. As the menu entry starts it.
entries=("$root"/usr/share/applications/*.desktop)
[ -f "${entries[0]}" ] || fail "no menu entry in the package"
entry=${entries[0]}
command=$(sed -n 's/^Exec=//p' "$entry")
command=${command//\"/}
command=${command%% %*}  # no field codes are expected, but a desktop would drop them
folder=$(sed -n 's/^Path=//p' "$entry")
[[ $command == /* && $folder == /* ]] || fail "Exec=$command and Path=$folder are not absolute"
[ -x "$root$command" ] || fail "Exec= names $command, which the package does not hold"
[ -f "$root$folder/Velmora.rtf" ] || fail "Path= names $folder, where the package has no Velmora.rtf"

snapshot() { (cd "$root" && find . -printf '%p %y %s %m %T@\n' | sort); }
before=$(snapshot)
e2e_start_xvfb
export QT_LOGGING_RULES="velmora.timing.debug=true"
log="$e2e_work/run.log"
(cd "$root$folder" && exec "$root$command") 2>"$log" &
app_pid=$!
book_painted() { [ -n "$(timing_of "$log" "book painted")" ]; }
wait_for 20 book_painted || fail "the book was not painted within 20 s: $(cat "$log")"
main_showing || fail "the book was painted, but no main window shows"
click_exit
wait_exit 10
[ "$status" -eq 0 ] || fail "the exit button ended the program with status $status: $(cat "$log")"
[ "$(snapshot)" = "$before" ] ||
  fail "the run changed the unpacked tree: $(diff <(echo "$before") <(snapshot))"

# 3. From a folder without the book.
mkdir "$e2e_work/elsewhere"
(cd "$e2e_work/elsewhere" && exec "$root$command") 2>/dev/null &
app_pid=$!
wait_for 20 box_showing || fail "no message box without the book"
x xdotool windowfocus --sync "$(message_boxes | head -n1)" key Return
wait_exit 5
[ "$status" -ne 0 ] || fail "the program ended with status 0 without its book"
echo "PASS"
