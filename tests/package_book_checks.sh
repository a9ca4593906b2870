#!/bin/sh
# A book to package that is missing or is no RTF file stops the configuration, naming the file.
# Usage: package_book_checks.sh <source folder>
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'Velmora\n' >"$work/plain.rtf"
for book in "$work/missing.rtf" "$work/plain.rtf"; do
  if cmake -S "$1" -B "$work/build" -DVELMORA_BOOK="$book" >"$work/log" 2>&1; then
    echo "FAIL: configured with VELMORA_BOOK=$book"
    exit 1
  fi
  grep -q "VELMORA_BOOK: .*$book" "$work/log" || { cat "$work/log"; echo "FAIL: $book not named"; exit 1; }
done
echo PASS
