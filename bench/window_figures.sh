#!/usr/bin/env bash
# Figures of the real window under Xvfb, printed as "name value unit" lines:
# start-up to the first frame, idle processor use over 10 seconds, and the
# peak memory after opening a 30,000-record document.
source "$(dirname "$0")/../tests/window/lib.sh" "$@"

clock_ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

start_display
enter_working_folder
for i in $(seq 30000); do printf '1,%d,%d,%d,%d,%d,0,1\r\n' $((i % 640)) $((i % 400)) $(((i * 7) % 640)) $(((i * 3) % 400)) $((i % 8)); done > "$WORK/big.csv"

started=$(date +%s.%N)
start_editor
wait_for_pixel 675 250 "$SELECTED" 20
ready=$(date +%s.%N)
echo "startup_to_first_frame $(echo "($ready - $started) * 1000" | bc -l | xargs printf '%.0f') ms"

xdotool mousemove 400 300
sleep 1
before=$(cpu_ticks "$KUMODO_PID")
sleep 10
after=$(cpu_ticks "$KUMODO_PID")
echo "idle_cpu $(echo "($after - $before) * 100 / $clock_ticks / 10" | bc -l | xargs printf '%.2f') percent"

click_at 676 31
choose_file "$WORK/big.csv"
for _ in $(seq 100); do [ "$(pixel_at 675 250)" = "$SELECTED" ] && [ -n "$(pixel_at 1 1)" ] && break; sleep 0.1; done
sleep 2
echo "peak_rss_after_30000_records $(awk '/VmHWM/ {printf "%.1f", $2 / 1024}' "/proc/$KUMODO_PID/status") MB"
