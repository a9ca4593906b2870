#!/usr/bin/env bash
# The built program on books that fail and on books that only look risky, each run in a
# temporary folder on an X server of its own:
#  - no book, a folder in its place, a link to itself, an empty file, a file that is no RTF:
#    the splash runs its 3 s, the main window shows, then exactly one modal box "Velmora 2.0";
#    Enter dismisses it and the program ends within seconds with a failure status, not a signal;
#  - the sample book cut in half, and the big book: shown in the main window with no box, the
#    big one painted within 3 s of the main window and in at most 600 MB of resident memory;
#    the exit button ends the program with status 0.
# The failing books run side by side (their time is mostly the splash pause), the shown ones
# after them, one at a time, so that the big book's time is its own.
# Usage: e2e_bad_books.sh <velmora> <sample Velmora.rtf> <big book>
set -euo pipefail

velmora=$(realpath "$1")
book=$(realpath "$2")
big_book=$(realpath "$3")
source "$(dirname "$0")/e2e_common.sh"
e2e_need_tools Xvfb xwininfo xdotool xprop
[ -f "$book" ] || fail "no sample book at $book"
[ -f "$big_book" ] || fail "no big book at $big_book"

readonly kMaxShowMillis=3000  # main window shown to the big book painted
readonly kMaxResidentKib=$(( 600 * 1024 ))

# Lays out the working folder of one case.
make_book() {
  local kind=$1 folder=$2
  case $kind in
    missing) ;;
    folder) mkdir "$folder/Velmora.rtf" ;;
    self-link) ln -s Velmora.rtf "$folder/Velmora.rtf" ;;
    empty) : >"$folder/Velmora.rtf" ;;
    not-rtf) head -c 4096 "$velmora" >"$folder/Velmora.rtf" ;; # the start of an executable
    truncated) head -c $(( $(stat -c %s "$book") / 2 )) "$book" >"$folder/Velmora.rtf" ;;
    big) cp "$big_book" "$folder/Velmora.rtf" ;;
    *) fail "unknown case $kind" ;;
  esac
}

# One run of the program; prints what it saw, exits non-zero on the first fault.
run_case() {
  local kind=$1 expect=$2
  e2e_setup
  e2e_start_xvfb
  local folder="$e2e_work/run" log="$e2e_work/stderr.log"
  mkdir "$folder"
  make_book "$kind" "$folder"
  # This case runs in a subshell of its own: its failures also tell what the program said.
  fail() {
    echo "FAIL: $*"
    [ -s "$log" ] && sed 's/^/  stderr: /' "$log"
    kill -0 "$xvfb_pid" 2>/dev/null || echo "  Xvfb on $DISPLAY is gone"
    sed 's/^/  Xvfb: /' "$e2e_work/xvfb.log"
    exit 1
  }

  (cd "$folder" && QT_LOGGING_RULES="velmora.timing.debug=true" exec "$velmora") 2>"$log" &
  app_pid=$!
  wait_for 15 splash_showing || fail "no splash within 15 s"
  main_showing && fail "the main window shows together with the splash"
  wait_for 15 main_showing || fail "no main window within 15 s of the splash"
  local splash_ns shown_ns
  splash_ns=$(timing_of "$log" "splash painted")
  shown_ns=$(timing_of "$log" "main window shown")
  [ -n "$splash_ns" ] && [ -n "$shown_ns" ] || fail "no start-up times in the log"
  # The pause starts just before the splash is painted: a tenth of slack.
  local splash_ms=$(( (shown_ns - splash_ns) / 1000000 ))
  (( splash_ms >= 2900 )) || fail "the main window came $splash_ms ms after the splash"

  if [ "$expect" = message ]; then
    wait_for 10 box_showing || fail "no message box within 10 s of the main window"
    sleep 0.3 # a second box, if any, would be on its way
    local boxes
    boxes=$(message_boxes)
    [ "$(wc -w <<<"$boxes")" -eq 1 ] || fail "$(wc -w <<<"$boxes") message boxes at once"
    main_showing || fail "the main window is gone while the box shows"
    x xdotool windowfocus --sync "$boxes" key Return
    wait_exit 5
    (( status != 0 )) || fail "the program ended with status 0 after the failure"
    (( status < 128 )) || fail "the program was killed by signal $(( status - 128 ))"
    echo "message box after ${splash_ms} ms of splash; exit status $status"
  else
    book_painted() { [ -n "$(timing_of "$log" "book painted")" ]; }
    wait_for 20 book_painted || fail "the book was not painted within 20 s"
    local painted_ns
    painted_ns=$(timing_of "$log" "book painted")
    local show_ms=$(( (painted_ns - shown_ns) / 1000000 ))
    sleep 0.5 # a late message box would show by now
    box_showing && fail "a message box shows over the book"
    local hwm_kib
    hwm_kib=$(awk '/^VmHWM:/ {print $2}' "/proc/$app_pid/status")
    echo "book of $(stat -c %s "$folder/Velmora.rtf") bytes painted $show_ms ms after the" \
      "main window; peak resident memory $(( hwm_kib / 1024 )) MB"
    if [ "$kind" = big ] && sanitized "$velmora"; then
      echo "limits not applied: the sanitizer build is slower and larger"
    elif [ "$kind" = big ]; then
      (( show_ms <= kMaxShowMillis )) || fail "the big book took $show_ms ms to show"
      (( hwm_kib <= kMaxResidentKib )) || fail "the big book took $(( hwm_kib / 1024 )) MB"
    fi
    click_exit
    wait_exit 5
    (( status == 0 )) || fail "the exit button ended the program with status $status"
  fi
  grep -v -e '^velmora\.timing: ' -e '^QStandardPaths: ' "$log" || true
}

e2e_setup
case_pids=()
stop_cases() {
  local pid
  for pid in "${case_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${case_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  e2e_cleanup
}
trap stop_cases EXIT

failures=0
report() { # name, exit status of its case, output file
  if [ "$2" -eq 0 ]; then
    echo "ok   $1: $(tr '\n' ' ' <"$3")"
  else
    echo "FAIL $1: $(tr '\n' ' ' <"$3")"
    failures=$((failures + 1))
  fi
}

start=$(micros)
failing=(missing folder self-link empty not-rtf)
for kind in "${failing[@]}"; do
  (run_case "$kind" message) >"$e2e_work/$kind.out" 2>&1 &
  case_pids+=($!)
done
for i in "${!failing[@]}"; do
  result=0
  wait "${case_pids[$i]}" || result=$?
  report "${failing[$i]}" "$result" "$e2e_work/${failing[$i]}.out"
done
case_pids=()

for kind in truncated big; do
  # In the background, then waited for: a subshell on the left of || would run without set -e.
  (run_case "$kind" shown) >"$e2e_work/$kind.out" 2>&1 &
  case_pids=($!)
  result=0
  wait "${case_pids[0]}" || result=$?
  report "$kind" "$result" "$e2e_work/$kind.out"
done
echo "all cases: $(( ($(micros) - start) / 1000 )) ms"

(( failures == 0 )) || fail "$failures of 7 cases failed"
echo "PASS"
