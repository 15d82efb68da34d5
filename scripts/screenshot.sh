#!/usr/bin/env bash
# scripts/screenshot.sh [OUT.png [CHARTS.png]]
# Takes the README's screenshots (docs/screenshot.png, docs/charts.png: the
# window "WYKRESY ZAKUPÓW" on "Historia ceny towaru"): the program on a generated
# register of 50,000 purchase lines, on a virtual display (Xvfb). Run it again
# whenever the windows change.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build}
OUT=$(realpath -m "${1:-$ROOT/docs/screenshot.png}")
CHARTS=$(realpath -m "${2:-$ROOT/docs/charts.png}")
command -v xvfb-run >/dev/null || bash "$ROOT/scripts/install-deps.sh"
cmake --build "$BUILD" --target jadl_screenshot gen_data -j"$(nproc)"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$BUILD/bench/gen_data" "$tmp/Jadl/Dane_bar" --lines 50000 >/dev/null
mkdir -p "$(dirname "$OUT")"
HOME="$tmp" JADL_DRIVES="C=$tmp" JADL_TODAY=2026-12-06 QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1300x1100x24" "$BUILD/tools/jadl_screenshot" "$OUT"
HOME="$tmp" JADL_DRIVES="C=$tmp" JADL_TODAY=2026-12-06 QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1300x1100x24" "$BUILD/tools/jadl_screenshot" "$CHARTS" --wykres
