#!/usr/bin/env bash
# Nothing drawn is lost when the editor ends without a save: killed with
# SIGKILL in the middle of drawing, or closed, it leaves its recovery
# journal; the next start asks, and once accepted the drawing is back
# exactly, as the document saved then shows byte for byte.
source "$(dirname "$0")/lib.sh" "$@"

# Drawn once a later pass has run: F1 chosen after the drawing shows the
# line tool selected, and each pass journals what the one before drew.
line_tool_shown() { [ "$(pixel_at 675 250)" = "$SELECTED" ]; }
dot_tool_chosen() { ! line_tool_shown; }
journals() { compgen -G "$XDG_STATE_HOME/kumodo/recovery-*.journal" || true; }
one_journal() { [ "$(journals | wc -l)" = 1 ]; }

begin_editor_session
click_points 10,10 100,10                        # two lines
click_points 100,50 200,80
keys F6                                          # and a dot
wait_until "the dot tool was not chosen" dot_tool_chosen
click_at 300 300
wait_for_pixel 300 300 "$BLUE"
keys F1
wait_for_pixel 675 250 "$SELECTED"
kill -KILL "$KUMODO_PID"
wait_for_exit
one_journal || fail "no journal left by the killed editor: $(ls -la "$XDG_STATE_HOME/kumodo" 2>&1)"

start_editor
answer_message_box "復元しますか？" Return
wait_for_pixel 50 10 "$BLUE"
wait_for_pixel 100 50 "$BLUE"
wait_for_pixel 300 300 "$BLUE"
click_at 676 51                                  # save
choose_file "$WORK/restored"
wait_for_file "$WORK/restored.txt"
expect_bytes "$WORK/restored.csv" '1,10,10,100,10,1,0,1\r\n1,100,50,200,80,1,0,1\r\n8,300,300,0,0,1,0,1\r\n'
no_journal() { [ -z "$(journals)" ]; }
wait_until "the journal stayed after the save" no_journal

# Closed with a dot more: the close ends the editor at once, and the journal stays.
keys F6
wait_until "the dot tool was not chosen" dot_tool_chosen
click_at 320 320
wait_for_pixel 320 320 "$BLUE"
keys F1
wait_for_pixel 675 250 "$SELECTED"
"$XWINDOW_TOOL" close "$WINDOW"
wait_for_exit
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
one_journal || fail "no journal left by the closed editor"

start_editor
answer_message_box "復元しますか？" Return
titled_restored() { [ "$("$XWINDOW_TOOL" title "$WINDOW")" = "$TITLE - restored" ]; }
wait_until "the title does not name the document" titled_restored
wait_for_pixel 320 320 "$BLUE"
click_at 676 51
choose_file "$WORK/restored.csv"
answer_message_box "上書きしますか？" Return
four_records() { [ "$(wc -l < "$WORK/restored.csv")" = 4 ]; }
wait_until "the restored drawing was not saved" four_records
expect_bytes "$WORK/restored.csv" \
  '1,10,10,100,10,1,0,1\r\n1,100,50,200,80,1,0,1\r\n8,300,300,0,0,1,0,1\r\n8,320,320,0,0,1,0,1\r\n'
echo "killed and closed mid-drawing, restored exactly"
