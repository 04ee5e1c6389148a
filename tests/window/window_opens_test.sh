#!/usr/bin/env bash
# The editor opens one window titled with its name, whose client area is
# exactly 800 x 600, and closing it ends the process with exit code 0.
source "$(dirname "$0")/lib.sh" "$@"

start_display
enter_working_folder
start_editor_ready

read -r width height < <("$XWINDOW_TOOL" size "$WINDOW")
[ "$width" = 800 ] && [ "$height" = 600 ] || fail "client area is ${width}x${height}"
# The start-up screen: the panels' background, a colour selector, a tile
# palette swatch, the line tool chosen and the empty black picture.
wait_for_pixel 799 599 "239,235,219"
wait_for_pixel 684 452 "$RED"
wait_for_pixel 257 432 "$BLACK"
wait_for_pixel 272 432 "$BLUE"
wait_for_pixel 320 200 "$BLACK"

"$XWINDOW_TOOL" close "$WINDOW"
wait_for_exit
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"

# Started from a folder without res/, the build's editor finds its data
# beside itself, as an installed one does.
mkdir "$WORK/elsewhere"
cd "$WORK/elsewhere"
start_editor_ready
"$XWINDOW_TOOL" close "$WINDOW"
wait_for_exit

# A copy alone, with its data nowhere: the panels keep their colour and the
# status line says, readably, that res/ is missing.
mkdir "$WORK/alone"
cp "$KUMODO" "$WORK/alone/kumodo"
KUMODO="$WORK/alone/kumodo"
start_editor
wait_for_pixel 700 518 "$BLUE"
wait_for_pixel 799 599 "239,235,219"
wait_until "no word on the status line that res/ is missing" area_has_colour 8 576 500 16 "$BLACK"
"$XWINDOW_TOOL" close "$WINDOW"
wait_for_exit
echo "window opened at 800x600 and closed with exit code 0; started elsewhere it found its data, alone it said so"
