#!/usr/bin/env bash
# The keyboard alone draws a line: Enter, the Right arrow held, Enter.
source "$(dirname "$0")/lib.sh" "$@"

begin_editor_session

xdotool mousemove 100 100
sleep 0.2
keys Return
pointer_x() { xdotool getmouselocation | sed -n 's/x:\([0-9]*\).*/\1/p'; }
moved_on() { [ "$(pointer_x)" -gt 104 ]; }
xdotool keydown Right                            # held until the pointer has moved on, however slow the editor
wait_until "the arrow did not move the pointer past x 104" moved_on
xdotool keyup Right
# Keys reach the editor in order: once the red drawing colour shows, the
# arrow's release and the Enter before it have been seen, and the pointer stays.
keys Return KP_2
wait_for_pixel 700 518 "$RED"
end_x=$(pointer_x)
wait_for_pixel 100 100 "$BLUE"
wait_for_pixel "$end_x" 100 "$BLUE"
echo "Enter and the arrow keys drew a line to x $end_x"
