#!/usr/bin/env bash
# Saving a document whose program is too large for the machine: the status
# line says so once the files are written, and was empty before.
source "$(dirname "$0")/lib.sh" "$@"

begin_editor_session
for n in $(seq 0 2999); do printf '1,%d,10,600,390,7,0,1\r\n' $((n % 600)); done > "$WORK/large.csv"
status_has_text() { area_has_colour 8 576 500 16 "$BLACK"; }
status_has_text && fail "the status line holds text already"
click_at 676 31                                  # open
choose_file "$WORK/large.csv"
wait_for_pixel 599 10 "$WHITE"
click_at 676 51                                  # save
choose_file "$WORK/saved"
wait_for_file "$WORK/saved.txt"
wait_until "no word on the status line that the program does not fit" status_has_text
echo "a program too large for the machine is said so after the save"
