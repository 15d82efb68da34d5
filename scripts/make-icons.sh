#!/usr/bin/env bash
# Renders the program's icon (packaging/icons/jadlonia.svg) into the PNG sizes
# of the hicolor theme; run it after changing the SVG and commit the PNGs.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing: apt install librsvg2-bin" >&2; exit 1; }
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" packaging/icons/jadlonia.svg -o "packaging/icons/jadlonia-$size.png"
done
