#!/usr/bin/env bash
# rtfdump.exe under Wine prints the same bytes as the Linux rtfdump on the sample book, text and
# runs alike. The small books in the code pages a word processor writes, double-byte pages among
# them (decoded by Windows' own converter there, by iconv here), are the parser's cases, which
# windows_rtf_cases runs.
# Usage: windows_rtfdump_bytes.sh <wine_run.sh> <rtfdump.exe> <Linux rtfdump> <sample book>
# (with wine_run.sh's environment set)
set -euo pipefail
wine_run=$1 windows_rtfdump=$2 linux_rtfdump=$3 sample=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

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
