#!/bin/sh
# Short sanitizer runs of the reading code for ctest, each in a build directory of its own preset:
#   sanitizer_smoke.sh fuzz SOURCE_DIR SECONDS  libFuzzer on the seed corpora (build-fuzz): the
#                                               parser for SECONDS, the pictures and the whole
#                                               load path for half as long each
#   sanitizer_smoke.sh asan SOURCE_DIR          the parser's tests, address+undefined (build-asan)
#   sanitizer_smoke.sh scalar SOURCE_DIR SECONDS the same tests and libFuzzer with the loops that
#                                               processors without SSE2 run (build-scalar,
#                                               build-fuzz-scalar)
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
fuzz | fuzz-scalar)
    build cmake --preset "$mode"
    build cmake --build --preset "$mode" -j2
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    "build-$mode/bin/fuzz_rtf_parser" \
        -dict=fuzz/rtf.dict -max_len=65536 -rss_limit_mb=512 -timeout=5 \
        -max_total_time="$3" -print_final_stats=1 -artifact_prefix="build-$mode/" \
        "$work" fuzz/corpus
    # Qt and fontconfig keep their caches to the end: no leak check at exit there.
    mkdir "$work/pictures" "$work/load"
    ASAN_OPTIONS=detect_leaks=0 "build-$mode/bin/fuzz_pictures" \
        -dict=fuzz/pictures.dict -max_len=16384 -rss_limit_mb=2048 -timeout=10 \
        -max_total_time=$(($3 / 2)) -print_final_stats=1 -artifact_prefix="build-$mode/" \
        "$work/pictures" fuzz/corpus-pictures
    ASAN_OPTIONS=detect_leaks=0 "build-$mode/bin/fuzz_book_load" \
        -dict=fuzz/rtf.dict -max_len=16384 -rss_limit_mb=2048 -timeout=20 \
        -max_total_time=$(($3 / 2)) -print_final_stats=1 -artifact_prefix="build-$mode/" \
        "$work/load" fuzz/corpus
    ;;
asan | scalar)
    build cmake --preset "$mode"
    build cmake --build --preset "$mode" --target tst_rtf_parser tst_text_finder -j2
    QT_QPA_PLATFORM=offscreen "build-$mode/bin/tst_rtf_parser"
    QT_QPA_PLATFORM=offscreen "build-$mode/bin/tst_text_finder"
    if [ "$mode" = scalar ]; then
        sh "$0" fuzz-scalar "$src" "$3"
    fi
    ;;
*)
    echo "usage: sanitizer_smoke.sh fuzz SOURCE_DIR SECONDS | asan SOURCE_DIR |" \
        "scalar SOURCE_DIR SECONDS" >&2
    exit 2
    ;;
esac
