#!/usr/bin/env bash
# However slow the editor, no input is lost: with every pass of its main loop
# made long (a delay the tests turn on), quick clicks, chords and keys typed
# while it is busy all reach it, as what they were and in the order made.
source "$(dirname "$0")/lib.sh" "$@"

export KUMODO_TEST_BUSY_MS_PER_PASS=150
begin_editor_session

keys F2                                          # a polyline of five clicks made at once
xdotool mousemove 50 50 click 1 mousemove 250 50 click 1 mousemove 250 150 click 1 \
  mousemove 50 150 click 1 mousemove 50 50 click 1 key Escape
wait_for_pixel 150 50 "$BLUE"
wait_for_pixel 250 100 "$BLUE"
wait_for_pixel 150 150 "$BLUE"
wait_for_pixel 50 100 "$BLUE"

keys F1                                          # a click, Escape, then a line: Escape ends only the first
xdotool mousemove 50 350 click 1 key Escape mousemove 200 350 click 1 mousemove 400 350 click 1
wait_for_pixel 300 350 "$BLUE"
[ "$(pixel_at 120 350)" = "$BLACK" ] || fail "Escape acted before the click made ahead of it"

xdotool mousemove 500 250
xdotool key ctrl+z                               # a chord while busy: undo, not Z alone
wait_for_pixel 300 350 "$BLACK"
xdotool key shift+F12                            # redo, not F12 alone
wait_for_pixel 300 350 "$BLUE"
xdotool key shift F12                            # Shift tapped, then F12: undo, not redo
wait_for_pixel 300 350 "$BLACK"
wait_for_pixel 150 50 "$BLUE"                    # and only the last group
echo "clicks, chords and keys made while the editor was busy all arrived, in order"
