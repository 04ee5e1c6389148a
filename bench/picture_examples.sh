#!/usr/bin/env bash
# Before and after, side by side, for the performance page: a few of the
# picture benchmark's samples, each as the original, as the import's levels
# made it and as the reduction for the eye makes it (both at the default
# budget), at half size.
# Usage: picture_examples.sh KUMODO-EXPORT SAMPLES-FOLDER OUT-FOLDER NAME...
set -euo pipefail
export_program=$1 samples=$2 out=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
for name in "$@"; do
  cp "$samples/$name.png" "$work/$name.png"
  (cd "$work" &&
    "$export_program" --from-picture --force --reduction=levels --png=levels.png "$name.png" >/dev/null &&
    "$export_program" --from-picture --force --png=colour.png "$name.png" >/dev/null)
  convert "$work/$name.png" "$work/levels.png" "$work/colour.png" -resize 50% +append -strip "$out/$name.png"
done
