# Shared by the window tests: a private X server and helpers to wait on the
# program. Sourced with the test's arguments: the editor and xwindow_tool.
set -euo pipefail
KUMODO=$1
XWINDOW_TOOL=$2

TITLE="Kumodo BASICジェネレータ"
# Every wait for the editor ends at this deadline: long enough to mean "hung",
# never merely "slow" (a sanitized build beside a busy machine takes minutes
# where a plain one takes a blink).
HANG_SECONDS=${KUMODO_HANG_SECONDS:-300}
BLACK="0,0,0"
BLUE="0,0,255"
RED="255,0,0"
MAGENTA="255,0,255"
GREEN="0,255,0"
CYAN="0,255,255"
YELLOW="255,255,0"
WHITE="255,255,255"
SELECTED="0,64,128"  # the face of a selected icon
RAISED="200,200,200" # the face of the others

# Fails the test, keeping screenshots of the window and of the whole screen
# (where a dialog may be) to look at.
fail() {
  echo "FAIL: $*" >&2
  local shot="${TMPDIR:-/tmp}/kumodo-window-failure-$$"
  if [ -n "${WINDOW:-}" ]; then
    import -window "$WINDOW" "$shot.png" 2>/dev/null && echo "screenshot: $shot.png" >&2
  fi
  if [ -n "${DISPLAY:-}" ]; then
    import -window root "$shot-screen.png" 2>/dev/null && echo "screen: $shot-screen.png" >&2
  fi
  exit 1
}

# True once the command succeeds, tried until $1 seconds have passed.
succeeds_within() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
}

# Waits until the command succeeds; fails with $1 if it hangs.
wait_until() {
  local what=$1
  shift
  succeeds_within "$HANG_SECONDS" "$@" || fail "$what"
}

# Starts Xvfb on a free display number and exports DISPLAY.
start_display() {
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" 2>/dev/null &
  XVFB_PID=$!
  wait_until "Xvfb did not start" test -s "$fd_file"
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

# True when the window's w x h area at (x, y) holds a pixel of colour $5.
area_has_colour() {
  local pixels
  pixels=$(import -window "$WINDOW" -crop "$3x$4+$1+$2" +repage -depth 8 txt:- 2>/dev/null)
  [[ "$pixels" == *"($5)"* ]]
}

# Waits for pixel ($1, $2) to read "$3".
wait_for_pixel() {
  local deadline=$((SECONDS + HANG_SECONDS)) seen
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

# The editor's recovery journals (in state/kumodo/) and the file chooser's
# list of recent files (in data/) kept in $WORK, never in the real home
# folder: that list grew with every run and slowed every chooser after.
use_own_user_folders() {
  export XDG_STATE_HOME="$WORK/state"
  export XDG_DATA_HOME="$WORK/data"
}

# A fresh working folder holding res/ and the command file, as the editor
# finds them in the repository; the settings it writes stay there, and its
# user folders are there too.
enter_working_folder() {
  local source
  source=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  WORK=$(mktemp -d)
  ln -s "$source/res" "$WORK/res"
  ln -s "$source/kumodo-basic-cmd.txt" "$WORK/kumodo-basic-cmd.txt"
  use_own_user_folders
  cd "$WORK"
}

# Starts the editor in the current directory (with any arguments given) and
# waits for its window.
start_editor() {
  "$KUMODO" "$@" &
  KUMODO_PID=$!
  WINDOW=$("$XWINDOW_TOOL" find "$TITLE" "$HANG_SECONDS") || fail "no window titled $TITLE"
}

editor_ended() { ! kill -0 "$KUMODO_PID" 2>/dev/null; }

# Waits for the editor to end; sets EXIT_CODE.
wait_for_exit() {
  wait_until "the editor did not end" editor_ended
  EXIT_CODE=0
  wait "$KUMODO_PID" || EXIT_CODE=$?
  KUMODO_PID=""
}

# True when a prompt helper's window has the keyboard; sets PROMPT_PID.
prompt_has_keyboard() {
  local pid
  pid=$(xdotool getwindowfocus getwindowpid 2>/dev/null || true)
  [ -n "$pid" ] && [ "$(ps -o comm= -p "$pid" 2>/dev/null)" = kumodo-prompt ] && PROMPT_PID=$pid
}

# What a failed wait for a prompt saw: the helpers running and the window
# that had the keyboard.
prompt_state() {
  local focus
  focus=$(xdotool getwindowfocus getwindowpid 2>/dev/null || echo none)
  echo "helpers: $(pgrep -d, -x kumodo-prompt || echo none); keyboard with pid $focus ($(ps -o comm= -p "$focus" 2>/dev/null))"
}

wait_for_prompt_keyboard() {
  succeeds_within "$HANG_SECONDS" prompt_has_keyboard || fail "no prompt took the keyboard; $(prompt_state)"
}

prompt_ended() { ! kill -0 "$PROMPT_PID" 2>/dev/null; }

# Waits for the file chooser to take the keyboard, types the path $1 into its
# location field, $2 ms between keys (15 unless given), and presses Return
# until the chooser is gone: the first Return may only complete the typed
# name. Ctrl+L and the path go in one burst, as a quick typist makes them.
choose_file() {
  wait_for_prompt_keyboard
  xdotool key --delay 0 ctrl+l type --delay "${2:-15}" "$1"
  local deadline=$((SECONDS + HANG_SECONDS))
  while [ $SECONDS -lt $deadline ]; do
    [ "$(xdotool getwindowfocus getwindowpid 2>/dev/null)" = "$PROMPT_PID" ] && xdotool key Return
    succeeds_within 1 prompt_ended && return 0
  done
  fail "the file chooser did not take $1"
}

# Waits for the message box with the caption $1 to take the keyboard,
# answers it with key $2 and waits until it is gone.
answer_message_box() {
  "$XWINDOW_TOOL" find "$1" "$HANG_SECONDS" >/dev/null || fail "no message box \"$1\""
  wait_for_prompt_keyboard
  xdotool key "$2"
  wait_until "the message box \"$1\" did not take $2" prompt_ended
}

# True when window $1 shows the theme's warning picture (its amber triangle).
shows_warning_picture() {
  import -window "$1" -depth 8 txt:- 2>/dev/null |
    awk -F'[(),]' '/srgb|rgb/ { if ($2 > 220 && $3 > 140 && $3 < 210 && $4 < 130) found = 1 } END { exit !found }'
}

# Fails unless the message box with the caption $1 shows the warning picture.
expect_warning_picture() {
  local box
  box=$("$XWINDOW_TOOL" find "$1" "$HANG_SECONDS") || fail "no message box \"$1\""
  wait_until "the message box \"$1\" shows no warning picture" shows_warning_picture "$box"
}

# Waits for file $1 to exist (saves rename a complete file into place, so it
# is whole once it is there).
wait_for_file() { wait_until "$1 was not written" test -e "$1"; }

# Fails unless file $1 holds exactly the bytes printf makes of $2.
expect_bytes() {
  cmp -s "$1" <(printf "$2") || fail "$1 is not as expected: $(od -c "$1" | head -3)"
}

# Starts the editor and waits until its start-up screen is drawn: the colour
# indicator comes last, right before the main loop starts taking input.
start_editor_ready() {
  start_editor "$@"
  wait_for_pixel 700 518 "$BLUE"
  wait_for_pixel 675 250 "$SELECTED"
  xdotool mousemove 400 300
  sleep 0.2
}

# Clicks the points given as "x,y" in turn.
click_points() {
  local point
  for point in "$@"; do click_at "${point%,*}" "${point#*,}"; done
}

# Presses keys one at a time, giving the editor a moment for each.
keys() {
  local key
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.1
  done
}

# The usual beginning: a display, a working folder and a ready editor.
begin_editor_session() {
  start_display
  enter_working_folder
  start_editor_ready
}
