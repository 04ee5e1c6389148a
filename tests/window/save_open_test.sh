#!/usr/bin/env bash
# Save to a new name (both files, the title), save over it (Cancel, then OK),
# and open it again in a new editor: the same picture.
source "$(dirname "$0")/lib.sh" "$@"

begin_editor_session

click_points 10,10 100,10                        # a line
wait_for_pixel 50 10 "$BLUE"
click_at 676 51                                  # save
choose_file "$WORK/pic"
wait_for_file "$WORK/pic.txt"
expect_bytes "$WORK/pic.csv" '1,10,10,100,10,1,0,1\r\n'
head -c 28 "$WORK/pic.txt" | cmp -s - <(printf '10000 LINE(10,10)-(100,10),1') || fail "pic.txt: $(head -c 60 "$WORK/pic.txt")"
grep -q '^59999 END' "$WORK/pic.txt" || fail "pic.txt has no END"
[ "$("$XWINDOW_TOOL" title "$WINDOW")" = "$TITLE - pic" ] || fail "title is $("$XWINDOW_TOOL" title "$WINDOW")"
# The window of a document is found by the editor's title as well, however
# soon the document's name is shown.
[ "$("$XWINDOW_TOOL" find "$TITLE" 5)" = "$WINDOW" ] || fail "the window of a document is not found by the editor's title"

click_points 10,30 100,30                        # a second line
click_at 676 51
choose_file "$WORK/pic.csv"
expect_warning_picture "上書きしますか？"
answer_message_box "上書きしますか？" Escape       # Cancel: nothing changes
expect_bytes "$WORK/pic.csv" '1,10,10,100,10,1,0,1\r\n'
click_at 676 51
choose_file "$WORK/pic.csv"
answer_message_box "上書きしますか？" Return       # OK
two_records() { [ "$(wc -l < "$WORK/pic.csv")" = 2 ]; }
wait_until "the document was not saved again" two_records
expect_bytes "$WORK/pic.csv" '1,10,10,100,10,1,0,1\r\n1,10,30,100,30,1,0,1\r\n'

"$XWINDOW_TOOL" close "$WINDOW"
wait_for_exit
start_editor_ready
click_at 676 31                                  # open
choose_file "$WORK/pic.csv"
wait_for_pixel 50 10 "$BLUE"
wait_for_pixel 50 30 "$BLUE"
echo "saved, asked before replacing, and opened the same picture"
