#!/usr/bin/env bash
# Installed into a DESTDIR and started from an empty folder, as a desktop
# launcher starts it: the editor finds its bitmaps and command file beside
# its own file, keeps its settings under XDG_CONFIG_HOME, opens the document
# it is given, and a save writes a full program. The installed menu entry and
# AppStream metadata validate, and the manual page names the installed folders.
#   install_test.sh BUILD_DIR XWINDOW_TOOL
set -euo pipefail
BUILD=$1

# A build of the editor alone, as scripts/run makes it, holds all that the
# install takes from the build folder (the icons made at build time).
editor_only=$(mktemp -d)
cmake -S "$(dirname "$0")/../.." -B "$editor_only" -G Ninja -DBUILD_TESTING=OFF >/dev/null
plan=$(ninja -C "$editor_only" -n kumodo kumodo-export)
rm -rf "$editor_only"
grep -q 'icons/128x128/apps/kumodo.png' <<<"$plan" || { echo "FAIL: building the editor makes no icons" >&2; exit 1; }

root=$(mktemp -d)
DESTDIR="$root" cmake --install "$BUILD" --prefix /usr >/dev/null
source "$(dirname "$0")/../window/lib.sh" "$root/usr/bin/kumodo" "$2"
trap 'stop_all; rm -rf "$root"' EXIT

desktop-file-validate "$root/usr/share/applications/kumodo.desktop" || fail "the menu entry does not validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.kumodo.Kumodo.metainfo.xml" >/dev/null ||
  fail "the AppStream metadata do not validate"
"$KUMODO" --version | grep -q '^kumodo [0-9]' || fail "kumodo --version: $("$KUMODO" --version)"
"$root/usr/bin/kumodo-export" --version | grep -q '^kumodo-export [0-9]' || fail "kumodo-export --version"
# The manual page names the folders of the prefix installed under, not the one configured.
named=$(zcat "$root/usr/share/man/man1/kumodo.1.gz" | grep -oE '^\.IR? /[^ ]+' | cut -d' ' -f2 || true)
[ "$(wc -l <<<"$named")" -eq 2 ] || fail "the manual page names other folders than the data folder and the helper: $named"
for path in $named; do
  [ -e "$root$path" ] || fail "the manual page names $path, which is not installed"
done

start_display
WORK=$(mktemp -d)
cd "$WORK"
export XDG_CONFIG_HOME="$WORK/config"
use_own_user_folders
printf '1,10,10,100,10,1,0,1\r\n' > given.csv
start_editor_ready given.csv                     # the icons are drawn: found in the data folder
wait_for_pixel 50 10 "$BLUE"
[ "$("$XWINDOW_TOOL" title "$WINDOW")" = "$TITLE - given.csv" ] || fail "title is $("$XWINDOW_TOOL" title "$WINDOW")"

click_at 676 13                                  # settings, OK: written in the user's configuration
wait_for_pixel 245 310 "$RAISED"
click_at 245 310
wait_for_file "$XDG_CONFIG_HOME/kumodo/kumodo-setup.ini"
[ ! -e kumodo-setup.ini ] || fail "settings written into the working folder"

keys ctrl+s
choose_file "$WORK/saved.csv"
wait_for_file "$WORK/saved.txt"
grep -q '^10000 LINE(10,10)-(100,10),1' "$WORK/saved.txt" || fail "saved.txt: $(head -c 80 "$WORK/saved.txt")"
grep -q '^60000 ' "$WORK/saved.txt" || fail "the program has no subroutines: the command file was not found"
echo "installed: started from an empty folder with its data, settings and a document; saved a full program"
