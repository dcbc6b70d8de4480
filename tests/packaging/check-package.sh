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
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 qt6-qpa-plugins libblkid1; do
  check "Depends names $dep" bash -c "dpkg-deb -f '$deb' Depends | tr ',' '\n' | grep -q '^ *$dep\\b'"
done
check "Recommends xchm" bash -c "dpkg-deb -f '$deb' Recommends | grep -qw xchm"
check "Recommends xdg-utils" bash -c "dpkg-deb -f '$deb' Recommends | grep -qw xdg-utils"
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
for size in 16 48 256; do
  check "${size}x${size} icon is a ${size}x${size} PNG" bash -c \
    "file '$work/root/usr/share/icons/hicolor/${size}x${size}/apps/volumescope.png' | grep -q 'PNG image data, $size x $size'"
done

echo "$passed passed, $failed failed"
test "$failed" -eq 0
