#!/usr/bin/env bash
# In the real window, with the mouse and keys as a user has them: choose the
# line tool by its icon, draw a line with two clicks, see it, undo it by F12.
source "$(dirname "$0")/lib.sh" "$@"

begin_editor_session

xdotool key F6                         # another tool first, so the icon has something to change
wait_for_pixel 675 250 "$RAISED"
click_at 690 248                       # the line tool's icon
wait_for_pixel 675 250 "$SELECTED"
click_at 100 100
click_at 300 200
wait_for_pixel 100 100 "$BLUE"
wait_for_pixel 300 200 "$BLUE"
[ "$(pixel_at 200 150)" = "$BLUE" ] || [ "$(pixel_at 200 151)" = "$BLUE" ] || fail "no line between the ends"
xdotool mousemove 500 300
xdotool key F12
wait_for_pixel 100 100 "$BLACK"
wait_for_pixel 300 200 "$BLACK"
echo "line drawn by the icon's tool and undone by F12"
