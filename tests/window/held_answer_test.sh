#!/usr/bin/env bash
# A key held to answer a prompt acts in the editor only once pressed again:
# Enter held through the save dialog past the key-repeat delay, with the dot
# tool chosen and the pointer over the picture, draws no dot there, and the
# document saved stays the one on screen.
source "$(dirname "$0")/lib.sh" "$@"

begin_editor_session
keys F6                                          # the dot tool
click_at 50 50
wait_for_pixel 50 50 "$BLUE"
click_at 676 51                                  # save
xdotool mousemove 300 200                        # over the picture when the dialog closes
wait_for_prompt_keyboard
xdotool key ctrl+l
xdotool type --delay 15 "$WORK/held.csv"
xdotool keydown Return                           # held: its repeats answer the chooser
wait_until "the file chooser did not take the path" prompt_ended
wait_for_file "$WORK/held.txt"
# Held on past the repeat delay, the window under the prompt gets repeats.
sleep 1.5
xdotool keyup Return
click_at 100 300                                 # a dot made on purpose
wait_for_pixel 100 300 "$BLUE"
[ "$(pixel_at 300 200)" = "$BLACK" ] || fail "the held Enter drew a dot under the pointer"
expect_bytes "$WORK/held.csv" '8,50,50,0,0,1,0,1\r\n'
echo "Enter held through the save dialog drew nothing"
