#!/usr/bin/env bash
# Regenerates data/globe.dat, the chart's 1-degree land mask, from the GSHHG
# shorelines (low resolution) through GMT's grdlandmask.
#
#   apt-get install gmt gmt-gshhg-low python3
#   scripts/make_globe.sh [output]          (default: data/globe.dat)
#
# The mask has 180 rows of 360 one-degree cells, row 0 the northernmost
# (latitude 90..89), column 0 the cell east of Greenwich (0..1 E). Cell n =
# column + 360 * row is bit n of the file, most significant bit first; a set
# bit is land. A cell counts as land when its centre lies on land; lakes are
# water, islands in them land.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-data/globe.dat}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# GMT keeps a history file in the working folder: run it in the scratch one.
(
  cd "$work"
  gmt grdlandmask -R0/360/-90/90 -I1 -r -Dl -N0/1/0/1/0 -Gland.nc
  # One byte (0 or 1) per cell centre, rows from the north, columns from 0.5 E.
  gmt grd2xyz land.nc -ZTLu > mask.bin
)

python3 - "$work/mask.bin" "$out" <<'PY'
import sys
cells = open(sys.argv[1], "rb").read()
if len(cells) != 64800:
    sys.exit(f"expected 64800 cells, got {len(cells)}")
bits = bytearray(8100)
for n, land in enumerate(cells):
    if land:
        bits[n // 8] |= 0x80 >> (n % 8)
open(sys.argv[2], "wb").write(bits)
print(f"{sys.argv[2]}: {sum(1 for c in cells if c)} land cells of 64800")
PY
