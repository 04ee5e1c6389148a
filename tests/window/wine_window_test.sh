#!/usr/bin/env bash
# The Windows program under Wine: started with a document of a Japanese
# name, its window appears with the editor's title and the document's,
# a line drawn with two clicks shows in a screenshot, and closing the window
# ends the program with exit code 0, leaving its recovery journal.
source "$(dirname "$0")/lib.sh" "$@"

export WINEDEBUG=-all
start_display
# A Wine server still running for this prefix (the suite's, the converter's)
# keeps the desktop it made without a display, and a window opened through
# it fails: end it, so that this session's desktop is on this display.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
enter_working_folder
# Wine sets %LOCALAPPDATA% itself, in the prefix: a journal an earlier run
# left there would be offered at the start.
journals="${WINEPREFIX:-$HOME/.wine}/drive_c/users/*/AppData/Local/kumodo"
rm -rf $journals
# A document whose name is outside the local code page, as a double click or
# a drop passes it: read from the UTF-16 command line, it opens.
printf '1,10,10,100,10,1,0,1\r\n' > "家の絵.csv"
wine "$KUMODO" "家の絵.csv" &
KUMODO_PID=$!
# Wine's first start in a fresh prefix takes a while.
WINDOW=$("$XWINDOW_TOOL" find "$TITLE - 家の絵.csv" "$HANG_SECONDS") || fail "no window titled $TITLE - 家の絵.csv"

# Without a window manager Wine draws the frame itself, inside the window
# found: the client area sits below its caption, framed by equal borders.
read -r width height < <("$XWINDOW_TOOL" size "$WINDOW")
border=$(((width - 800) / 2))
caption=$((height - 600 - border))
[ "$border" -ge 0 ] && [ "$caption" -ge 0 ] || fail "the window is ${width}x${height}, smaller than 800x600"
client() { echo "$((border + $1)) $((caption + $2))"; }

# The start-up screen: the colour indicator, the line tool chosen, the
# panels' background in the client area's last pixel.
wait_for_pixel $(client 700 518) "$BLUE"
wait_for_pixel $(client 675 250) "$SELECTED"
wait_for_pixel $(client 799 599) "239,235,219"

wait_for_pixel $(client 50 10) "$BLUE"             # the document's line
click_at $(client 100 100)
click_at $(client 300 200)
wait_for_pixel $(client 100 100) "$BLUE"
wait_for_pixel $(client 300 200) "$BLUE"
[ "$(pixel_at $(client 200 150))" = "$BLUE" ] || [ "$(pixel_at $(client 200 151))" = "$BLUE" ] ||
  fail "no line between the ends"

"$XWINDOW_TOOL" close "$WINDOW"
wait_for_exit
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
compgen -G "$journals/recovery-*.journal" >/dev/null || fail "no recovery journal left in $journals"
rm -rf $journals
wineserver -k 2>/dev/null || true
echo "under Wine: window titled, line drawn with two clicks, closed with exit code 0, journal left"
