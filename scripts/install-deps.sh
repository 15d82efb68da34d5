#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, only when missing.
set -euo pipefail
PKGS=(build-essential cmake pkg-config qt6-base-dev qt6-translations-l10n libqt6opengl6-dev libgl-dev
      libsqlite3-dev libsqlitecpp-dev libssl-dev qtkeychain-qt6-dev libicu-dev libpq-dev postgresql libbenchmark-dev libxlsxwriter-dev sqlite3
      fonts-liberation2 fonts-dejavu-core fonts-dejavu-extra
      qt6-qpa-plugins     # the desktop's platform plugin (xcb) for `make run`
      libqt6svg6          # the scalable glyphs of the main window's buttons
      qt6-charts-dev qt6-svg-dev  # the purchase charts, and their pictures saved as SVG
      python3-openpyxl    # the sheet tests read XLSX files back with openpyxl
      openssl curl        # the KSeF stand-in's CA and key; the plain client its benchmark compares with
      clang-format        # the style check of CI (scripts/check-format.sh)
      dpkg-dev file desktop-file-utils  # `make package`: dependencies (CPack needs `file`) and the menu entry's check
      xvfb)               # scripts/screenshot.sh takes the README's screenshot on a virtual display
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
