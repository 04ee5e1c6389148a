#!/usr/bin/env bash
# The prompt helper never outlives the editor: closing the editor while its
# file chooser is open ends the helper too. Without the helper beside the
# program, a file command says so in the editor's own window. A path typed
# with no pause after Ctrl+L reaches the chooser whole.
source "$(dirname "$0")/lib.sh" "$@"

begin_editor_session
printf '1,10,10,100,10,1,0,1\r\n' > "$WORK/typed.csv"
click_at 676 31                                  # open
choose_file "$WORK/typed.csv" 0
wait_for_pixel 50 10 "$BLUE"

click_at 676 31                                  # open: the file chooser appears
file_chooser_shown() { xwininfo -root -tree | grep -Eq '\("kumodo-prompt" "Kumodo-prompt"\)  [0-9]{3,}x'; }
wait_until "no file chooser appeared" file_chooser_shown
pgrep -x kumodo-prompt >/dev/null || fail "no prompt helper is running"
"$XWINDOW_TOOL" close "$WINDOW"
wait_for_exit
no_prompt_running() { ! pgrep -x kumodo-prompt >/dev/null; }
wait_until "the prompt helper outlived the editor" no_prompt_running

mkdir "$WORK/alone"
cp "$KUMODO" "$WORK/alone/kumodo"
KUMODO="$WORK/alone/kumodo"
start_editor_ready
area_has_colour 8 576 500 16 "$BLACK" && fail "the status line holds text already"
click_at 676 31
wait_until "no word on screen that the dialogs are missing" area_has_colour 8 576 500 16 "$BLACK"
echo "a quickly typed path opened; the helper ended with the editor; without it the editor says so"
