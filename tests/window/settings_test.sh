#!/usr/bin/env bash
# The settings screen: 200 lines and OK writes the settings file.
source "$(dirname "$0")/lib.sh" "$@"

begin_editor_session

click_at 676 13                      # the settings icon
wait_for_pixel 245 310 "$RAISED"     # the settings screen's OK
click_at 355 133                     # 200 lines
wait_for_pixel 355 133 "$SELECTED"
click_at 245 310                     # OK
wait_for_file kumodo-setup.ini
expect_bytes kumodo-setup.ini '1\r\n1\r\n2\r\n'
wait_for_pixel 675 250 "$SELECTED"   # the editor's panels are back
echo "the settings screen wrote 1, 1, 2"
