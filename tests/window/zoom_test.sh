#!/usr/bin/env bash
# Zoom x4 replicates the dots, the scroll bar drags the view, the magnifier
# shows the dot under the pointer.
source "$(dirname "$0")/lib.sh" "$@"

begin_editor_session

keys KP_7 F6
click_at 10 10                       # a white dot at picture (10, 10)
wait_for_pixel 10 10 "$WHITE"
click_at 717 549                     # x4
wait_for_pixel 40 40 "$WHITE"
wait_for_pixel 43 43 "$WHITE"
wait_for_pixel 44 44 "$BLACK"
xdotool mousemove 41 42
wait_for_pixel 83 499 "$WHITE"       # the magnifier's centre cell
xdotool mousemove 80 412 mousedown 1
sleep 0.2
xdotool mousemove 180 412
sleep 0.2
xdotool mouseup 1                    # the thumb moved 100 pixels: 100 picture columns
wait_for_pixel 40 40 "$BLACK"
[ "$(pixel_at 100 412)" != "$(pixel_at 10 412)" ] || fail "the thumb did not move"
echo "zoom, scroll bar and magnifier work"
