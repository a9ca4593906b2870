#!/usr/bin/env bash
# rtfdump.exe under Wine prints the same bytes as the Linux rtfdump, text and runs alike: on the
# sample book and on small books in the code pages a word processor writes, double-byte pages
# (decoded by Windows' own converter there, by iconv here) among them.
# Usage: windows_rtfdump_bytes.sh <wine_run.sh> <rtfdump.exe> <Linux rtfdump> <sample book>
# (with wine_run.sh's environment set)
set -euo pipefail
wine_run=$1 windows_rtfdump=$2 linux_rtfdump=$3 sample=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/western.rtf" <<'RTF'
{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0 Times New Roman;}{\f1\fcharset0 Arial;}}
\pard\f1\fs28 12\par\pard\f0 Pr\'ebmbledhje \'e7\'eb \u8212? \u1576?\u1587?\u1605?\par
{\*\ignored x}\pard\qc Fund.\line E fundit\par}
RTF
cat >"$work/east.rtf" <<'RTF'
{\rtf1\ansi\ansicpg1250{\fonttbl{\f0\fcharset238 Arial CE;}{\f1\fcharset204 Arial CYR;}}
\f0 \'9a\'e8\'f8\'9e\par\f1 \'cf\'f0\'e8\'e2\'e5\'f2\par}
RTF
cat >"$work/asian.rtf" <<'RTF'
{\rtf1\ansi\ansicpg1252{\fonttbl{\f0\fcharset128 MS Mincho;}{\f1\fcharset134 SimSun;}
{\f2\fcharset136 MingLiU;}{\f3\fcharset129 Gulim;}}
\f0 \'93\'fa\'96\'7b\'8c\'ea\par\f1 \'d6\'d0\'ce\'c4\par\f2 \'a4\'a4\'a4\'e5\par\f3 \'c7\'d1\'b1\'db\par}
RTF
cat >"$work/lists.rtf" <<'RTF'
{\rtf1\ansi{\fonttbl{\f0 Arial;}}{\*\listtable{\list\listtemplateid1{\listlevel
\levelnfc0\levelstartat1{\leveltext\'02\'00.;}{\levelnumbers\'01;}}\listid7}}
{\*\listoverridetable{\listoverride\listid7\ls1}}\pard\ls1 Nj\'eb\par\pard\ls1 Dy\par
\trowd\cellx2000\cellx4000\intbl A\cell B\cell\row}
RTF
cp "$sample" "$work/sample.rtf"

status=0
for rtf in "$work"/*.rtf; do
  for mode in text runs; do
    args=("$rtf")
    [ "$mode" = runs ] && args=(--runs "$rtf")
    "$linux_rtfdump" "${args[@]}" >"$work/linux.out"
    "$wine_run" "$windows_rtfdump" "${args[@]}" >"$work/windows.out"
    if cmp -s "$work/linux.out" "$work/windows.out"; then
      echo "same bytes: $(basename "$rtf") ($mode, $(stat -c %s "$work/linux.out") bytes)"
    else
      echo "FAIL: $(basename "$rtf") ($mode) differs:"
      diff <(od -c "$work/linux.out") <(od -c "$work/windows.out") | head -n 10
      status=1
    fi
  done
done
[ $status -eq 0 ] && echo PASS
exit $status
