#!/usr/bin/env bash
# Redo and the usual shortcuts in the real window: a line undone by F12 comes
# back by Ctrl+Y, goes again by Ctrl+Z and back by Shift+F12; Ctrl+S saves it
# through the save dialog, and Ctrl+O opens it again after an undo, once
# told that the undo, not saved, goes.
source "$(dirname "$0")/lib.sh" "$@"

begin_editor_session

click_points 100,100 300,100
wait_for_pixel 200 100 "$BLUE"
xdotool mousemove 500 300
keys F12
wait_for_pixel 200 100 "$BLACK"
keys ctrl+y
wait_for_pixel 200 100 "$BLUE"
keys ctrl+z
wait_for_pixel 200 100 "$BLACK"
keys shift+F12
wait_for_pixel 200 100 "$BLUE"

keys ctrl+s
choose_file "$WORK/redo.csv"
wait_for_file "$WORK/redo.txt"
expect_bytes "$WORK/redo.csv" '1,100,100,300,100,1,0,1\r\n'

keys F12
wait_for_pixel 200 100 "$BLACK"
keys ctrl+o
choose_file "$WORK/redo.csv"
answer_message_box "開きますか？" Return
wait_for_pixel 200 100 "$BLUE"
echo "redone by Ctrl+Y and Shift+F12, undone by Ctrl+Z, saved by Ctrl+S, opened by Ctrl+O"
