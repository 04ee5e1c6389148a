#!/usr/bin/env bash
# The keyboard alone draws a line: Enter, the Right arrow held, Enter.
source "$(dirname "$0")/lib.sh" "$@"

begin_editor_session

xdotool mousemove 100 100
sleep 0.2
keys Return
xdotool keydown Right
sleep 1
xdotool keyup Right
sleep 0.2
end_x=$(xdotool getmouselocation | sed -n 's/x:\([0-9]*\).*/\1/p')
[ "$end_x" -gt 104 ] || fail "the arrow moved the pointer only to $end_x"
keys Return
wait_for_pixel 100 100 "$BLUE"
wait_for_pixel "$end_x" 100 "$BLUE"
echo "Enter and the arrow keys drew a line to x $end_x"
