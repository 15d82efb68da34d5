#!/usr/bin/env bash
# scripts/check-package.sh DEB
# Checks the Debian package as a user's `apt install` would meet it: its control
# data, the dependencies it declares (each a package Debian has), and that it
# holds the program, its menu entry, its icons and the help page, and nothing
# outside /usr.
set -euo pipefail
deb=${1:?usage: scripts/check-package.sh DEB}
[ -f "$deb" ] || { echo "no package: $deb" >&2; exit 1; }
fail() { echo "package check: $*" >&2; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = jadlonia ] || fail "package name is '$(field Package)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture is '$(field Architecture)'"
[ -n "$(field Version)" ] || fail "no version"

depends=$(field Depends)
for want in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libsqlite3-0 libicu72 libxlsxwriter \
            qt6-qpa-plugins qt6-translations-l10n fonts-liberation2 fonts-dejavu-core fonts-dejavu-extra; do
  grep -q "\b$want" <<<"$depends" || fail "Depends lacks $want: $depends"
done
# Every declared dependency must be a package the archive has.
for dep in $(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*)//; s/^ *//; s/ *$//' | sort -u); do
  apt-cache show "$dep" >/dev/null 2>&1 || fail "Depends names '$dep', which apt does not know"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for want in ./usr/bin/jadlonia ./usr/share/applications/jadlonia.desktop \
            ./usr/share/icons/hicolor/scalable/apps/jadlonia.svg ./usr/share/doc/jadlonia/jadlonia.html; do
  grep -qx "$want" <<<"$contents" || fail "missing $want"
done
for size in 16 22 24 32 48 64 128 256; do
  grep -qx "./usr/share/icons/hicolor/${size}x${size}/apps/jadlonia.png" <<<"$contents" || fail "missing ${size}px icon"
done
outside=$(grep -v '^\./$' <<<"$contents" | grep -v '^\./usr/' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"

# The menu entry is valid and starts the installed program.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
desktop-file-validate "$tmp/usr/share/applications/jadlonia.desktop"
grep -qx 'Exec=jadlonia' "$tmp/usr/share/applications/jadlonia.desktop" || fail "the menu entry does not start jadlonia"
grep -qx 'Categories=Office;Finance;' "$tmp/usr/share/applications/jadlonia.desktop" || fail "menu categories"
[ -x "$tmp/usr/bin/jadlonia" ] || fail "the program is not executable"
echo "package check: $(basename "$deb") is sound ($(field Version), $(wc -l <<<"$contents") entries)"
