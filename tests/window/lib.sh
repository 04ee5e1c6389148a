# Shared by the window tests: a private X server and helpers to wait on the
# program. Sourced; expects KUMODO and XWINDOW_TOOL to be set.
set -euo pipefail

TITLE="Kumodo BASICジェネレータ"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Starts Xvfb on a free display number and exports DISPLAY.
start_display() {
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" 2>/dev/null &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$fd_file" ] && break
    sleep 0.05
  done
  [ -s "$fd_file" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
  trap stop_all EXIT
}

stop_all() {
  if [ -n "${KUMODO_PID:-}" ]; then
    kill "$KUMODO_PID" 2>/dev/null || true
    wait "$KUMODO_PID" 2>/dev/null || true
  fi
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  [ -n "${WORK:-}" ] && rm -rf "$WORK"
  return 0
}

# "r,g,b" of a pixel of the editor's window, from a screenshot.
pixel_at() {
  import -window "$WINDOW" -crop "1x1+$1+$2" +repage -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\)).*/\1,\2,\3/p' | head -n1
}

# Waits up to $4 (default 5) seconds for pixel ($1, $2) to read "$3".
wait_for_pixel() {
  local deadline=$((SECONDS + ${4:-5})) seen
  while :; do
    seen=$(pixel_at "$1" "$2")
    [ "$seen" = "$3" ] && return 0
    [ $SECONDS -lt $deadline ] || fail "pixel ($1, $2) is $seen, not $3"
    sleep 0.1
  done
}

# Moves the pointer, lets the editor see it, then clicks.
click_at() {
  xdotool mousemove "$1" "$2"
  sleep 0.1
  xdotool click 1
  sleep 0.1
}

# A fresh working folder holding res/ and the command file, as the editor
# finds them in the repository; the settings it writes stay there.
enter_working_folder() {
  local source
  source=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  WORK=$(mktemp -d)
  ln -s "$source/res" "$WORK/res"
  ln -s "$source/kumodo-basic-cmd.txt" "$WORK/kumodo-basic-cmd.txt"
  cd "$WORK"
}

# Starts the editor in the current directory and waits for its window.
start_editor() {
  "$KUMODO" &
  KUMODO_PID=$!
  WINDOW=$("$XWINDOW_TOOL" find "$TITLE" 20) || fail "no window titled $TITLE"
}

# Waits up to $1 seconds for the editor to end; sets EXIT_CODE.
wait_for_exit() {
  local deadline=$((SECONDS + $1))
  while kill -0 "$KUMODO_PID" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || fail "the editor did not end"
    sleep 0.05
  done
  EXIT_CODE=0
  wait "$KUMODO_PID" || EXIT_CODE=$?
  KUMODO_PID=""
}
