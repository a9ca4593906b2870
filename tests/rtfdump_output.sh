#!/usr/bin/env bash
# rtfdump writes its text a piece at a time; what it prints must be what the whole text converted
# at once gives:
#  - a surrogate pair where the output is cut into pieces stays one character, never two U+FFFD;
#  - the last line ends with a newline whether or not the text ends with a paragraph;
#  - the LibreOffice-like sample book reads as it does through a pipe, and holds the same text as
#    the sample book, its runs of a few words each put together.
# Usage: rtfdump_output.sh <rtfdump> <make_book> <sample Velmora.rtf>
set -euo pipefail
rtfdump=$1
make_book=$2
book=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# U+1F600 as \u escapes, 30000 times: the pieces cut the text at every few thousand units, and
# with an even count before them one cut lands between the two halves of a pair.
pairs=$(printf '\\u-10179?\\u-8704?%.0s' $(seq 30000))
printf '{\\rtf1\\uc1 %s\\line x}' "$pairs" >"$dir/pairs.rtf"
"$rtfdump" "$dir/pairs.rtf" >"$dir/pairs.txt"
expected=$({ printf '\xf0\x9f\x98\x80%.0s' $(seq 30000); printf '\nx\n'; } | od -An -tx1 | md5sum)
[ "$(od -An -tx1 <"$dir/pairs.txt" | md5sum)" = "$expected" ] ||
    fail "surrogate pairs across pieces or the last newline changed"

"$make_book" "$dir/lo.rtf" --libreoffice
cmp -s <("$rtfdump" "$dir/lo.rtf") <(cat "$dir/lo.rtf" | "$rtfdump" /dev/stdin) ||
    fail "the book read through a pipe gives another text"
cmp -s <("$rtfdump" "$dir/lo.rtf") <("$rtfdump" "$book") ||
    fail "the LibreOffice-like book's text differs from the sample book's"
echo "PASS: rtfdump output in pieces, LibreOffice-like book"
