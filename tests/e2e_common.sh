# Shared by the end-to-end tests, which run the built program on an X server of their own.
# Sourced, not run. The sourcing script sets app_pid to the process it watches (the program, or
# the tool running it) and calls e2e_start_xvfb once, then e2e_start_openbox if it needs a window
# manager; e2e_cleanup, run on exit, ends them all.

fail() { echo "FAIL: $*"; exit 1; }

# The sanitizer build of the program reports leaks at exit as a failure status; those of system
# libraries are not the program's to fix.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan_system.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# True when the program was built with AddressSanitizer, which multiplies its time and memory.
sanitized() { grep -q -a -m1 __asan_init "$1"; }

e2e_need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || fail "$tool is missing (tools/ensure_packages.sh)"
  done
}

app_pid=""
wm_pid=""
xvfb_pid=""
e2e_work=""
# The splash window's client area, 7305 by 4455 twips as the program sets it: the one place the
# scripts and picture_checks.py take it from.
export VELMORA_SPLASH_SIZE=487x297

# Makes a scratch folder (e2e_work) and arranges for everything to be cleaned up on exit,
# also when ctest's timeout or ^C ends the script.
e2e_setup() {
  e2e_work=$(mktemp -d)
  trap e2e_cleanup EXIT
  trap 'exit 130' INT TERM HUP
}

# e2e_setup for a Windows program: a Wine prefix of the test's own, whose server is ended on
# exit. No network: no offer to download Mono or Gecko; and no menu entries written into $HOME.
e2e_setup_wine() {
  e2e_setup
  trap 'wineserver --kill 2>/dev/null || true; e2e_cleanup' EXIT
  export WINEPREFIX="$e2e_work/prefix" WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
}

# e2e_setup_wine for a test that looks at the program's windows on an X server of its own, with
# the tools that takes, and the program's timing log on its standard error (Wine hands WINEQT_
# variables to Windows programs under their QT_ names).
e2e_setup_wine_windows() {
  e2e_need_tools wine wineserver winepath Xvfb openbox xdotool xwininfo xprop import convert \
    python3 unzip
  e2e_setup_wine
  export WINEQT_LOGGING_RULES="velmora.timing.debug=true" WINEQT_FORCE_STDERR_LOGGING=1
}

e2e_cleanup() {
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
  fi
  if [ -n "$wm_pid" ]; then
    kill "$wm_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  [ -n "$e2e_work" ] && rm -rf "$e2e_work"
  return 0
}

# Starts Xvfb and points DISPLAY at it. Xvfb chooses a free display number itself and writes it
# to the given descriptor, so tests running side by side never meet. Without -noreset the server
# resets whenever its last client leaves, and refuses connections meanwhile: a window query
# that ends just as the program starts would make the program fail to connect. $1, if given,
# is the screen's size (1280x1024 otherwise).
e2e_start_xvfb() {
  Xvfb -displayfd 3 -screen 0 "${1:-1280x1024}x24" -nolisten tcp -noreset 3>"$e2e_work/display" \
    2>"$e2e_work/xvfb.log" &
  xvfb_pid=$!
  local _
  for _ in $(seq 100); do
    [ -s "$e2e_work/display" ] && break
    sleep 0.1
  done
  [ -s "$e2e_work/display" ] || fail "Xvfb did not start: $(cat "$e2e_work/xvfb.log")"
  export DISPLAY=":$(head -n1 "$e2e_work/display")"
}

# Starts openbox on that server, which frames, places and resizes the windows as a desktop's
# window manager does; its configuration and cache stay in the scratch folder.
e2e_start_openbox() {
  XDG_CONFIG_HOME="$e2e_work/wm" XDG_CACHE_HOME="$e2e_work/wm" \
    openbox --sm-disable >"$e2e_work/openbox.log" 2>&1 &
  wm_pid=$!
  local _
  for _ in $(seq 100); do
    wm_managing && return
    sleep 0.1
  done
  fail "openbox did not start: $(cat "$e2e_work/openbox.log")"
}
wm_managing() { x xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# X queries are bounded: a tool stuck on a dead server must not hang the test.
x() { timeout 10 "$@"; }

# Ids of the viewable windows whose name matches the pattern.
viewable() { x xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }
size_of() { x xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
program_windows() { x xdotool search --onlyvisible --class '^velmora$' 2>/dev/null || true; }
splash_showing() {
  local id
  for id in $(program_windows); do
    [ "$(size_of "$id")" = "$VELMORA_SPLASH_SIZE" ] && return 0
  done
  return 1
}
splash_gone() { ! splash_showing; }
# The main window, told from a message box (which bears the same caption) by not being modal.
main_window() {
  local id
  for id in $(viewable '^Velmora 2\.0$'); do
    x xprop -id "$id" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL || { echo "$id"; return; }
  done
}
main_showing() { [ -n "$(main_window)" ]; }
# Ids of the modal boxes captioned with the program's title.
message_boxes() {
  local id
  for id in $(viewable '^Velmora 2\.0$'); do
    x xprop -id "$id" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL && echo "$id"
  done
  return 0
}
box_showing() { [ -n "$(message_boxes)" ]; }

alive() { kill -0 "$app_pid" 2>/dev/null; }
micros() { echo "${EPOCHREALTIME//[.,]/}"; }

# Waits up to $1 seconds for the command to succeed; the time it did so (microseconds) goes to
# $when. Fails at once if the watched process ends meanwhile.
when=0
wait_for() {
  local limit=$(( $1 * 1000000 ))
  shift
  local start
  start=$(micros)
  while ! "$@"; do
    alive || fail "the program ended early while waiting for: $*"
    (( $(micros) - start > limit )) && return 1
    sleep 0.02
  done
  when=$(micros)
}

# Waits up to $1 seconds for the watched process to end; its exit status goes to $status.
status=0
wait_exit() {
  local _
  for _ in $(seq $(( $1 * 20 ))); do
    alive || break
    sleep 0.05
  done
  alive && fail "the program is still running $1 s later"
  status=0
  wait "$app_pid" || status=$?
  app_pid=""
}

# Clicks the exit button cmdFund (at 8,8 in the main window's client area, 25 pixels square).
# Placed relative to the window itself: under a window manager's frame, getwindowgeometry
# counts the frame's offset twice.
click_exit() {
  local id
  id=$(main_window)
  [ -n "$id" ] || fail "no main window to click the exit button on"
  x xdotool mousemove --window "$id" 20 20 click 1
}

# Logical pixels of a window to device pixels at the screen's scale ($scale), a half rounded up
# as Qt rounds (resources/scales.txt).
at() { python3 -c "import sys; print(*(int(float(v) * $scale + 0.5) for v in sys.argv[1:]))" "$@"; }

# The screenshots a scaled run leaves in $1 (splash.ppm, main.ppm, icon.txt, about.ppm) against
# the drawings in the resources folder $2 at $scale (tests/picture_checks.py).
check_scaled_shots() {
  python3 "$(dirname "${BASH_SOURCE[0]}")/picture_checks.py" "$2" "$scale" "splash:$1/splash.ppm" \
    "buttons:$1/main.ppm" "icon:$1/icon.txt" "tick:$1/about.ppm" "about:$1/about.ppm"
}

# The program's start-up timestamps (nanoseconds on the steady clock) from its timing log.
timing_of() { [ -f "$1" ] && awk -v event="$2" '$0 ~ "velmora.timing: " event " [0-9]+$" {print $NF; exit}' "$1"; }

# Starts the program ($1) in a folder of its own holding a copy of the book ($2) as Velmora.rtf,
# with its timing log in $log, and waits up to $3 seconds for the book to be painted; the main
# window's id goes to $id.
log=""
id=""
e2e_start_on_book() {
  mkdir -p "$e2e_work/book"
  cp "$2" "$e2e_work/book/Velmora.rtf"
  log="$e2e_work/run-$RANDOM.log"
  (cd "$e2e_work/book" && QT_LOGGING_RULES="velmora.timing.debug=true" exec "$1") 2>"$log" &
  app_pid=$!
  wait_for "$3" e2e_book_painted || fail "the book was not painted within $3 s: $(cat "$log")"
  id=$(main_window)
}
e2e_book_painted() { [ -n "$(timing_of "$log" "book painted")" ]; }
