#!/usr/bin/env bash
# Where features meet, in the real window: a trace after the editing
# resolution changed since the import, a line's first point kept through a
# replay, and keys tapped on the settings screen that must not act after it.
# The saved document must hold exactly the outline and the line.
source "$(dirname "$0")/lib.sh" "$@"

start_display
enter_working_folder
/usr/bin/convert -size 640x400 xc:black -fill white -draw 'rectangle 100,20 300,150' "$WORK/meet.gif"
start_editor_ready

settings_resolution() {  # $1: the resolution button's x
  click_at 676 13
  wait_for_pixel 245 310 "$RAISED"
  click_at "$1" 133
  wait_for_pixel "$1" 133 "$SELECTED"
  click_at 245 310
  wait_for_pixel 675 250 "$SELECTED"
}

settings_resolution 355                          # 200 lines
click_at 676 85                                  # import, in the 200-line setting
choose_file "$WORK/meet.gif"
answer_message_box "減色モードの設定" Return
settings_resolution 245                          # back to 400 lines

click_at 676 389                                 # the outline tool
click_at 300 350                                 # the black area, down to the last row
wait_for_pixel 320 399 "$BLUE"                # its outline along the picture's bottom

keys F1
click_at 100 380                                 # a line's first point
click_at 676 145                                 # no underlay: a replay
click_at 200 390                                 # its second point

keys F6                                          # the dot tool
click_at 676 13
wait_for_pixel 245 310 "$RAISED"
xdotool mousemove 245 310
sleep 0.2
keys space F12 KP_4                              # none of them may act later
click_at 245 310                                 # OK
wait_for_pixel 675 250 "$RAISED"                 # the editor's panels are back
sleep 0.5
wait_for_pixel 700 518 "$BLUE"                   # the drawing colour is still blue

click_at 676 51                                  # save
choose_file "$WORK/meet.csv"
wait_for_file "$WORK/meet.txt"
expect_bytes "$WORK/meet.csv" '1,0,350,0,0,1,0,1\r\n1,0,0,639,0,1,0,2\r\n1,639,0,639,399,1,0,3\r\n1,639,399,0,399,1,0,4\r\n1,0,399,0,350,1,0,5\r\n1,100,380,200,390,1,0,1\r\n'
echo "traced inside the 400-line picture, kept the line's first point, ignored the keys tapped on the settings screen"
