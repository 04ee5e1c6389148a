#!/usr/bin/env bash
# Closing the window while a long document replays ends the editor with 0.
source "$(dirname "$0")/lib.sh" "$@"

start_display
enter_working_folder
# 2,000 fills over the whole picture: a replay of a second or more.
for i in $(seq 1000); do printf '3,%d,5,0,0,1,7,1\r\n3,%d,6,0,0,2,7,1\r\n' $((i % 600)) $((i % 600)); done > "$WORK/fills.csv"
start_editor_ready
click_at 676 31
choose_file "$WORK/fills.csv"
sleep 0.3
"$XWINDOW_TOOL" close "$WINDOW"
wait_for_exit
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
echo "closed during the replay with exit code 0"
