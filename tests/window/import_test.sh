#!/usr/bin/env bash
# Import a JPEG (digital colours), a GIF (grey) and a PNG with a transparent
# part (black), show both underlays, and trace an area with the outline tool.
source "$(dirname "$0")/lib.sh" "$@"

start_display
enter_working_folder
/usr/bin/convert -size 640x400 xc:black -fill white -draw 'rectangle 100,100 300,250' \
  -fill red -draw 'circle 450,200 450,300' -quality 95 "$WORK/shapes.jpg"
/usr/bin/convert "$WORK/shapes.jpg" "$WORK/shapes.gif"
/usr/bin/convert "$WORK/shapes.gif" -alpha set -region 100x50+150+150 -alpha transparent +region "PNG32:$WORK/shapes.png"
start_editor_ready

click_at 676 85                                  # import
choose_file "$WORK/shapes.jpg"
answer_message_box "減色モードの設定" Return      # OK: the digital colours
click_at 676 125                                 # underlay 2: the reduced picture
wait_for_pixel 200 180 "153,153,153"
click_at 676 105                                 # underlay 1: the picture dimmed
dimmed_picture_shown() {
  local seen
  seen=$(pixel_at 200 180)
  [ "${seen%%,*}" -ge 230 ]
}
wait_until "underlay 1 does not show the picture dimmed" dimmed_picture_shown

click_at 676 389                                 # the outline tool
click_at 200 180
wait_for_pixel 100 170 "$BLUE"                   # the rectangle's left edge, traced
area_has_colour 168 528 24 16 "$WHITE" || fail "no count of lines printed at column 21, row 33"

click_at 676 85
choose_file "$WORK/shapes.gif"
answer_message_box "減色モードの設定" Escape      # Cancel: grey levels
click_at 676 125
wait_for_pixel 200 180 "254,254,254"

click_at 676 85
choose_file "$WORK/shapes.png"
answer_message_box "減色モードの設定" Return
click_at 676 125
wait_for_pixel 120 120 "153,153,153"             # white, reduced and dimmed
wait_for_pixel 200 180 "1,1,1"                   # the transparent part: black
echo "the three pictures imported, the underlays shown and an outline traced"
