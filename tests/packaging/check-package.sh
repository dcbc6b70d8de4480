#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks what it installs:
#   check-package.sh <build folder>
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() { # description, command...
  local what=$1
  shift
  if "$@" >/dev/null 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
  fi
}

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "0 passed, 1 failed"
  exit 1
fi
debs=("$work"/out/volumescope_*.deb)
deb=${debs[0]}
check "one package named volumescope_3.0.0_<arch>.deb" test "${#debs[@]}" -eq 1 -a -f "$deb"
check "package file name" bash -c "[[ \$(basename '$deb') == volumescope_3.0.0_*.deb ]]"

dpkg-deb -c "$deb" | awk '{ print $6 }' >"$work/files"
field() { dpkg-deb -f "$deb" "$1"; }
has_file() { grep -qxF "./$1" "$work/files"; }

echo "Files in $(basename "$deb"):"
sed 's/^/  /' "$work/files"
for f in usr/lib/volumescope/volumescope usr/lib/volumescope/help.chm usr/bin/volumescope \
         usr/share/applications/volumescope.desktop \
         usr/share/icons/hicolor/scalable/apps/volumescope.svg; do
  check "package holds /$f" has_file "$f"
done
for size in 16 22 24 32 48 64 128 256; do
  check "package holds the ${size}x${size} icon" has_file "usr/share/icons/hicolor/${size}x${size}/apps/volumescope.png"
done
check "the link in /usr/bin points at the executable beside help.chm" \
  bash -c "dpkg-deb -c '$deb' | grep -q '\./usr/bin/volumescope -> \.\./lib/volumescope/volumescope\$'"

check "Package: volumescope" test "$(field Package)" = volumescope
check "Version: 3.0.0" test "$(field Version)" = 3.0.0
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 qt6-qpa-plugins libblkid1 \
           xdg-utils qt6-translations-l10n; do
  check "Depends names $dep" bash -c "dpkg-deb -f '$deb' Depends | tr ',' '\n' | grep -q '^ *$dep\\b'"
done
# Each package once: the library scan and the fixed list must not both name one.
field Depends | tr ',' '\n' | sed 's/^ *//; s/[ (].*//' >"$work/depends"
check "Depends names no package twice" test -z "$(sort "$work/depends" | uniq -d)"
check "Recommends xchm" bash -c "dpkg-deb -f '$deb' Recommends | grep -qw xchm"
check "a maintainer is named" test -n "$(field Maintainer)"

dpkg-deb -x "$deb" "$work/root"
check "help.chm is a compiled help file (ITSF)" \
  test "$(head -c 4 "$work/root/usr/lib/volumescope/help.chm")" = ITSF
check "the executable is an ELF program" \
  bash -c "head -c 4 '$work/root/usr/lib/volumescope/volumescope' | grep -q ELF"
desktop=$work/root/usr/share/applications/volumescope.desktop
check "desktop entry starts volumescope on a folder" grep -qx 'Exec=volumescope %f' "$desktop"
check "desktop entry names the icon" grep -qx 'Icon=volumescope' "$desktop"
check "desktop entry claims no folder type" bash -c "! grep -qi 'inode/directory' '$desktop'"
if command -v desktop-file-validate >/dev/null; then
  check "desktop entry is valid" desktop-file-validate "$desktop"
fi
check "the manual page is a compressed Russian page" \
  bash -c "zcat '$work/root/usr/share/man/man1/volumescope.1.gz' | grep -q '^\.SH ОПИСАНИЕ'"
doc=$work/root/usr/share/doc/volumescope
check "copyright file in the machine-readable format" \
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright"
check "copyright names the licence" grep -qx 'License: GPL-3+' "$doc/copyright"
check "changelog.gz is gzip data without a time stamp" \
  bash -c "file '$doc/changelog.gz' | grep -q 'gzip compressed data, max compression' && ! file '$doc/changelog.gz' | grep -q 'last modified'"
check "the changelog's latest entry is this version" \
  bash -c "zcat '$doc/changelog.gz' | head -1 | grep -qx 'volumescope (3.0.0) unstable; urgency=medium'"
metainfo=$work/root/usr/share/metainfo/io.github.volumescope.volumescope.metainfo.xml
check "AppStream metadata in /usr/share/metainfo" test -f "$metainfo"
check "AppStream metadata launches the desktop entry" grep -q '<launchable type="desktop-id">volumescope.desktop</launchable>' "$metainfo"
for shot in main-scale1 main-scale2 duplicates-scale2; do
  check "AppStream metadata shows $shot.png" grep -q "/screenshots/$shot.png</image>" "$metainfo"
done
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic "$metainfo" >"$work/appstream" 2>&1 || true
  sed 's/^/  appstreamcli: /' "$work/appstream"
  check "appstreamcli validates the metadata without a remark, pedantic ones included" \
    bash -c "grep -q 'Validation was successful\.\$' '$work/appstream' && ! grep -qE '^[EWIP]: ' '$work/appstream'"
else
  echo "FAILED: appstreamcli is missing (scripts/setup.sh installs appstream)"
  failed=$((failed + 1))
fi

# lintian: no error and no warning.
if command -v lintian >/dev/null; then
  lintian --no-cfg --display-level '>=warning' "$deb" >"$work/lintian" 2>&1 || true
  sed 's/^/  lintian: /' "$work/lintian"
  grep -E '^[EW]: ' "$work/lintian" >"$work/lintian-complaints" || true
  check "lintian reports no error and no warning" test ! -s "$work/lintian-complaints"
else
  echo "FAILED: lintian is missing (scripts/setup.sh installs it)"
  failed=$((failed + 1))
fi

for size in 16 48 256; do
  check "${size}x${size} icon is a ${size}x${size} PNG" bash -c \
    "file '$work/root/usr/share/icons/hicolor/${size}x${size}/apps/volumescope.png' | grep -q 'PNG image data, $size x $size'"
done

echo "$passed passed, $failed failed"
test "$failed" -eq 0
