#!/usr/bin/env bash
# The installer as Windows Installer takes it, under Wine in a prefix of the test's own, with two
# MSIs of the build: an older version carrying a book of its own, and the build's own.
#  1. the older installs: one entry in the list of installed programs;
#  2. the newer over it replaces it: still one entry, now the newer, its files in place (its
#     book, not the older one's), and Apps & features knows the folder (InstallLocation);
#  3. the same MSI again changes nothing: one entry;
#  4. the older again is refused, the newer staying;
#  5. uninstalling leaves nothing.
# Usage: e2e_windows_upgrade.sh <older .msi> <older book> <newer .msi> <newer book>
set -euo pipefail

older=$(realpath "$1")
older_book=$(realpath "$2")
newer=$(realpath "$3")
newer_book=$(realpath "$4")
source "$(dirname "$0")/e2e_common.sh"
e2e_need_tools wine wineserver

e2e_setup_wine
wine wineboot --init >/dev/null 2>&1
wineserver --wait

programs="$WINEPREFIX/drive_c/Program Files/Velmora"
entries() { wine uninstaller --list 2>/dev/null | tr -d '\r' | grep 'Velmora' || true; }
installed_as() {
  local list
  list=$(entries)
  [ "$(grep -c . <<<"$list")" -eq 1 ] || fail "not one installed Velmora: '$list'"
  grep -q "|Velmora $1\$" <<<"$list" || fail "installed is not Velmora $1: $list"
  echo "installed: $list"
}
install() { wine msiexec /i "$1" /qn; }

# 1. The older version.
install "$older" || fail "the older MSI did not install"
installed_as 1.9
cmp -s "$programs/Velmora.rtf" "$older_book" || fail "the older book is not in place"

# 2. The newer over it.
install "$newer" || fail "the newer MSI did not install over the older"
installed_as 2.0
cmp -s "$programs/Velmora.rtf" "$newer_book" || fail "the newer book did not replace the older"
[ -f "$programs/velmora.exe" ] || fail "no velmora.exe after the upgrade"
product=$(entries | cut -d'|' -f1)
location=$(wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product" \
  /v InstallLocation 2>/dev/null | tr -d '\r' | awk '/InstallLocation/ {sub(/.*REG_SZ +/, ""); print}')
[ "$location" = 'C:\Program Files\Velmora\' ] || fail "InstallLocation is '$location'"

# 3. The same again.
install "$newer" || fail "the same MSI a second time failed"
installed_as 2.0

# 4. The older again: Windows Installer refuses a downgrade.
install "$older" && fail "the older MSI installed over the newer"
installed_as 2.0
cmp -s "$programs/Velmora.rtf" "$newer_book" || fail "the refused downgrade changed the files"

# 5. Uninstalling.
wine msiexec /x "$newer" /qn || fail "msiexec /x failed"
[ -z "$(entries)" ] || fail "still listed after uninstalling: $(entries)"
[ ! -e "$programs" ] || fail "left under Program Files: $(ls -R "$programs")"
echo "PASS"
