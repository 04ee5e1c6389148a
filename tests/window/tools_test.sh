#!/usr/bin/env bash
# Every drawing tool in the real window: polyline and Escape, paint, tile
# paint from a palette entry, dot, two-colour line, undo by icon and by F12.
source "$(dirname "$0")/lib.sh" "$@"

begin_editor_session

keys F2                                               # polyline: a triangle and a box, each ended by Escape
click_points 50,50 250,50 150,200 50,50
keys Escape
click_points 300,50 500,50 500,150 300,150 300,50
keys Escape
wait_for_pixel 150 50 "$BLUE"
wait_for_pixel 500 100 "$BLUE"
click_at 600 300                                      # after Escape a click only starts a new polyline
keys Escape

keys 1 KP_4 F3                                        # paint green up to the blue border
click_at 150 100
wait_for_pixel 150 100 "$GREEN"
wait_for_pixel 40 100 "$BLACK"

click_at 292 515                                      # tile palette: half red (first) on cyan (second)
keys F4
click_at 400 100
wait_for_pixel 401 100 "$RED"                         # odd x + y: the first colour
wait_for_pixel 400 100 "$CYAN"

keys KP_6 F6                                          # a yellow dot
click_at 420 350
wait_for_pixel 420 350 "$YELLOW"

keys KP_3 F5                                          # the triangle becomes magenta dots on cyan
click_at 150 50
wait_for_pixel 151 50 "$MAGENTA"
wait_for_pixel 150 50 "$CYAN"

xdotool mousemove 600 300
click_at 676 213                                      # undo by the icon: the conversion goes
wait_for_pixel 151 50 "$BLUE"
keys F12                                              # and F12 takes the dot
wait_for_pixel 420 350 "$BLACK"
wait_for_pixel 400 100 "$CYAN"
echo "every tool drew as expected and undo took back the last groups"
