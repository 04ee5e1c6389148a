#!/usr/bin/env bash
# The editor opens one window titled with its name, whose client area is
# exactly 800 x 600, and closing it ends the process with exit code 0.
source "$(dirname "$0")/lib.sh" "$@"

start_display
start_editor

read -r width height < <("$XWINDOW_TOOL" size "$WINDOW")
[ "$width" = 800 ] && [ "$height" = 600 ] || fail "client area is ${width}x${height}"

"$XWINDOW_TOOL" close "$WINDOW"
wait_for_exit 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
echo "window opened at 800x600 and closed with exit code 0"
