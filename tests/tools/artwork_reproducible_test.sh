#!/usr/bin/env bash
# The bitmaps in res/ are exactly what the artwork tool draws.
set -euo pipefail
MAKE_ARTWORK=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$MAKE_ARTWORK" "$out"
diff -r "$out" res && echo "res/ matches the artwork tool's output"
