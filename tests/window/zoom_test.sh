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
thumb=$(pixel_at 10 412)             # the thumb's left end, before the drag
xdotool mousemove 80 412 mousedown 1
# The thumb follows the pointer from wherever the editor first sees the
# button held: the pointer goes to and fro until the thumb has moved, and
# ends at the far end, 100 pixels on (100 picture columns).
thumb_follows() {
  xdotool mousemove 180 412
  sleep 0.1
  [ "$(pixel_at 10 412)" != "$thumb" ] && return 0
  xdotool mousemove 85 412
  return 1
}
wait_until "the thumb did not move" thumb_follows
xdotool mouseup 1
wait_for_pixel 40 40 "$BLACK"
echo "zoom, scroll bar and magnifier work"
