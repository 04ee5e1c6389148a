#!/usr/bin/env bash
# kumodo-export.exe under Wine against the Linux build's converter: a document
# in a folder named outside ASCII gives the same program bytes, and a PNG that
# reads to the same picture; a device named as a document fails in English,
# the other still converted.
set -euo pipefail
WINDOWS_EXPORT=$1
LINUX_EXPORT=$2
SOURCE=$(cd "$(dirname "$0")/../.." && pwd)

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[ -x "$LINUX_EXPORT" ] || fail "no Linux converter at $LINUX_EXPORT: build the Linux tree first"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

# Every kind of record: a red square painted green, a blue one tile-painted,
# a blue line, a dot and a two-colour line.
document() {
  printf '%s\r\n' 1,100,100,300,100,2,0,1 1,300,100,300,300,2,0,2 1,300,300,100,300,2,0,3 1,100,300,100,100,2,0,4 \
    3,200,200,0,0,4,2,1 1,400,100,600,100,1,0,1 1,600,100,600,300,1,0,2 1,600,300,400,300,1,0,3 \
    1,400,300,400,100,1,0,4 4,500,200,1,6,3,1,1 1,10,10,90,90,1,0,1 8,20,380,0,0,6,0,1 10,20,390,620,390,5,7,1
}
mkdir linux "絵 1"
document >linux/picture.csv
document >"絵 1/家.csv"
cp "$SOURCE/kumodo-basic-cmd.txt" .
options=(--command-file kumodo-basic-cmd.txt --output-resolution 1 --tiling 1 --editing-resolution 1)

"$LINUX_EXPORT" "${options[@]}" --png linux/picture.csv || fail "the Linux converter failed"
status=0
wine "$WINDOWS_EXPORT" "${options[@]}" --png "絵 1/家.csv" nul.csv 2>errors.txt || status=$?
[ "$status" = 1 ] || fail "kumodo-export.exe ended with status $status: $(cat errors.txt)"
grep -q "^kumodo-export: nul.csv: not a regular file (a folder, pipe or device)" errors.txt ||
  fail "the device's failure is not said in English: $(cat errors.txt)"
cmp linux/picture.txt "絵 1/家.txt" || fail "the programs differ"
pixels() { /usr/bin/convert "$1" -depth 8 rgb:-; }
cmp <(pixels linux/picture.png) <(pixels "絵 1/家.png") || fail "the pictures differ"
echo "under Wine: the same program bytes and picture as the Linux converter, through a non-ASCII path"
