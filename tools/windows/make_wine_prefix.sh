#!/usr/bin/env bash
# Makes the Wine prefix $WINEPREFIX look like a Windows machine to the program:
#  - Wine's own fonts (Tahoma, the face behind Windows' dialog font "MS Shell Dlg"; MS Sans Serif)
#    in C:\windows\Fonts, where Windows keeps its fonts: Debian's Wine 8 does not load them from
#    its data folder, and every family then falls back to the first installed face (Amiri,
#    whose line height hides the text of a one-line box);
#  - Windows' core fonts drawn by their metric twins from Debian (fonts-liberation), and the
#    Arabic book face by a Naskh face (fonts-hosny-amiri), as a Windows machine would have them.
# Usage: make_wine_prefix.sh (with WINEPREFIX set)
set -euo pipefail
: "${WINEPREFIX:?the prefix to make}"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}

wine wineboot --init >/dev/null 2>&1
wineserver --wait
cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$WINEPREFIX/drive_c/windows/Fonts/"
registry=$(mktemp --suffix=.reg)
trap 'rm -f "$registry"' EXIT
cat >"$registry" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Arial Narrow"="Liberation Sans Narrow"
"Times New Roman"="Liberation Serif"
"Courier New"="Liberation Mono"
"Traditional Arabic"="Amiri"
REG
wine regedit /S "$(winepath -w "$registry")" >/dev/null 2>&1
wineserver --wait
touch "$WINEPREFIX/velmora-prefix.stamp"
