#!/usr/bin/env bash
# The program writes no file: run on the sample book under strace, from its start through the
# book shown to the exit button, it opens nothing for writing and creates, renames or removes
# nothing, outside the device and process trees and the caches that fontconfig, Mesa and Qt keep
# for themselves. One untraced run first warms those caches, so the traced run finds them ready.
# Usage: e2e_no_writes.sh <velmora> <sample Velmora.rtf>
set -euo pipefail

velmora=$(realpath "$1")
book=$(realpath "$2")
source "$(dirname "$0")/e2e_common.sh"
e2e_need_tools Xvfb xwininfo xdotool xprop strace
[ -f "$book" ] || fail "no sample book at $book"

e2e_setup
e2e_start_xvfb
folder="$e2e_work/book"
mkdir "$folder"
cp "$book" "$folder/Velmora.rtf"
# The timing log tells when the book has been painted; it goes to stderr, a descriptor the
# program inherits, so it opens nothing.
export QT_LOGGING_RULES="velmora.timing.debug=true"
# LeakSanitizer cannot run under ptrace and would fail the sanitizer build at exit.
if sanitized "$velmora"; then
  export ASAN_OPTIONS="detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
fi

book_painted() { [ -n "$(timing_of "$1" "book painted")" ]; }

# Runs the program (under the given command prefix) until the book is painted, then ends it
# with the exit button.
run_once() {
  local log=$1
  shift
  (cd "$folder" && exec "$@" "$velmora") 2>"$log" &
  app_pid=$!
  wait_for 20 book_painted "$log" || fail "the book was not painted within 20 s: $(cat "$log")"
  click_exit
  wait_exit 10
  [ "$status" -eq 0 ] || fail "the program ended with status $status: $(cat "$log")"
}

run_once "$e2e_work/warm.log"

trace="$e2e_work/strace.log"
start=$(micros)
run_once "$e2e_work/traced.log" \
  strace -f -qq -y -o "$trace" -e trace=open,openat,creat,truncate,rename,renameat,renameat2,link,linkat,symlink,symlinkat,unlink,unlinkat,mkdir,mkdirat,rmdir,mknod,mknodat
echo "traced run: $(( ($(micros) - start) / 1000 )) ms"

# The trace must have seen the program read its book, or it proves nothing.
grep -q '"Velmora.rtf", O_RDONLY' "$trace" || fail "the trace does not show the book being read"

cache_home=${XDG_CACHE_HOME:-$HOME/.cache}
# Where the program's libraries may write. Each entry is a folder; writes anywhere beneath it
# are allowed.
allowed=(
  # Device nodes are no files: Qt opens /dev/null read-write to fill closed standard
  # descriptors, Mesa its render nodes in /dev/dri. (/dev/shm holds real files: not allowed.)
  /dev
  # The kernel's process interface, no files either.
  /proc
  # fontconfig's cache of the font folders, refreshed when fonts change: per user, and the
  # system's own, which fontconfig rewrites when it runs as root.
  "$cache_home/fontconfig"
  /var/cache/fontconfig
  # Mesa's shader cache, written when Qt draws through OpenGL (older and newer layouts).
  "$cache_home/mesa_shader_cache"
  "$cache_home/mesa_shader_cache_db"
  # Qt creates its runtime folder (mode 0700) when XDG_RUNTIME_DIR is not set.
  "${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -un)}"
)
canonical_allowed=()
for folder_allowed in "${allowed[@]}"; do
  canonical_allowed+=("$(realpath -m -- "$folder_allowed")")
done

is_allowed() {
  local path=$1 folder_allowed
  [[ $path == /dev/shm || $path == /dev/shm/* ]] && return 1
  for folder_allowed in "${canonical_allowed[@]}"; do
    [[ $path == "$folder_allowed" || $path == "$folder_allowed"/* ]] && return 0
  done
  return 1
}

# Each traced call that writes, with every path it names made absolute: a path relative to a
# descriptor is taken from the folder strace shows beside it (-y), any other relative path
# from the program's working folder. A failed attempt counts as much as one that succeeded.
quoted='"((\\.|[^"\\])*)"'
beside_descriptor='<([^>]*)>,[[:space:]]*$'
violations=0
while IFS= read -r line; do
  [[ $line =~ ^[0-9]+\ +([a-z0-9_]+)\((.*)$ ]] || continue # signals, exits, resumed calls
  call=${BASH_REMATCH[1]}
  args=${BASH_REMATCH[2]}
  unquoted=$(sed -E "s/$quoted//g" <<<"$args")
  case $call in
    open|openat) [[ $unquoted =~ O_WRONLY|O_RDWR|O_CREAT|O_TRUNC ]] || continue ;;
  esac
  rest=$args
  while [[ $rest =~ ^([^\"]*)$quoted(.*)$ ]]; do
    before=${BASH_REMATCH[1]}
    path=${BASH_REMATCH[2]}
    rest=${BASH_REMATCH[4]}
    if [[ $path != /* ]]; then
      base=$folder
      [[ $before =~ $beside_descriptor ]] && base=${BASH_REMATCH[1]}
      path="$base/$path"
    fi
    path=$(realpath -m -- "$path")
    if ! is_allowed "$path"; then
      echo "writes $path: $line"
      violations=$((violations + 1))
    fi
  done
done <"$trace"

echo "$(wc -l <"$trace") traced calls, $violations outside the allowed folders"
(( violations == 0 )) || fail "the program wrote outside the allowed folders"
echo "PASS"
