#!/usr/bin/env bash
# rtfdump writes its text a piece at a time and gives back the file's pages while reading; what
# it prints must be what the whole text converted at once gives:
#  - a surrogate pair where the output is cut into pieces stays one character, never two U+FFFD;
#  - the last line ends with a newline whether or not the text ends with a paragraph;
#  - the LibreOffice-like sample book (several megabytes: pages are given back while reading) reads
#    as it does through a pipe (read into memory, nothing given back), and holds the same text as
#    the sample book, its runs of a few words each put together;
#  - a file cut short by another program while it is being read makes rtfdump fail with a message,
#    not die of SIGBUS.
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
    fail "giving back the file's pages changed the text"
cmp -s <("$rtfdump" "$dir/lo.rtf") <("$rtfdump" "$book") ||
    fail "the LibreOffice-like book's text differs from the sample book's"
# Cut the file to nothing once rtfdump has mapped it; 30 MB keep the parser busy long after that.
# Should rtfdump finish before the cut lands on a loaded machine, it is tried again.
shrinking="$dir/shrinking.rtf"
caught=
for attempt in 1 2 3; do
    { printf '{\\rtf1 '; head -c 30000000 < <(yes 'Lorem ipsum dolor sit amet\par'); printf '}'; } \
        >"$shrinking"
    "$rtfdump" "$shrinking" >/dev/null 2>"$dir/shrinking.err" &
    pid=$!
    until grep -qs shrinking.rtf "/proc/$pid/maps" || ! kill -0 "$pid" 2>/dev/null; do :; done
    truncate -s 0 "$shrinking"
    status=0
    wait "$pid" || status=$?
    [ "$status" -le 128 ] || fail "rtfdump died of signal $((status - 128)) on a file cut short"
    if [ "$status" = 1 ] && grep -q 'changed or failed while being read' "$dir/shrinking.err"; then
        caught=1
        break
    fi
done
[ -n "$caught" ] || fail "rtfdump never saw its file cut short in $attempt tries"
echo "PASS: rtfdump output in pieces, pages given back, LibreOffice-like book, file cut short"
