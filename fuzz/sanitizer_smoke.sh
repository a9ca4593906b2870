#!/bin/sh
# Short sanitizer runs of the RTF parser for ctest, each in a build directory of its own preset:
#   sanitizer_smoke.sh fuzz SOURCE_DIR SECONDS  libFuzzer on the seed corpus (build-fuzz)
#   sanitizer_smoke.sh asan SOURCE_DIR          the parser's tests, address+undefined (build-asan)
# New corpus entries go to a temporary directory, never into the source tree; a crashing input is
# kept in build-fuzz/ for a regression test.
set -eu
mode=$1
src=$2
cd "$src"
log=$(mktemp)
work=$(mktemp -d)
trap 'rm -rf "$log" "$work"' EXIT

# Builds quietly; the compiler's output is shown only when the build fails.
build() {
    if ! "$@" >"$log" 2>&1; then
        cat "$log"
        exit 1
    fi
}

case $mode in
fuzz)
    build cmake --preset fuzz
    build cmake --build --preset fuzz -j2
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 build-fuzz/bin/fuzz_rtf_parser \
        -dict=fuzz/rtf.dict -max_len=65536 -rss_limit_mb=512 -timeout=5 \
        -max_total_time="$3" -print_final_stats=1 -artifact_prefix=build-fuzz/ \
        "$work" fuzz/corpus
    ;;
asan)
    build cmake --preset asan
    build cmake --build --preset asan --target tst_rtf_parser -j2
    QT_QPA_PLATFORM=offscreen build-asan/bin/tst_rtf_parser
    ;;
*)
    echo "usage: sanitizer_smoke.sh fuzz SOURCE_DIR SECONDS | asan SOURCE_DIR" >&2
    exit 2
    ;;
esac
