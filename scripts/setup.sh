#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Volumescope
# needs. Safe to run again: packages already present are left alone.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libblkid-dev libxxhash-dev liburing-dev
  libgtest-dev libgmock-dev
  fp-utils
  xvfb xauth imagemagick openbox xdotool
  dbus at-spi2-core bc
  poppler-utils
  fonts-dejavu-core
  qt6-translations-l10n
  dpkg-dev file desktop-file-utils lintian appstream
  clang-format
  clang libclang-rt-14-dev
  squashfs-tools squashfuse fuse3
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run:"
  echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}"
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# The package lists may be empty on a fresh machine; refresh them only when a
# package cannot be found in them.
if ! apt-cache show "${missing[@]}" >/dev/null 2>&1; then
  apt-get update
fi
apt-get install -y --no-install-recommends "${missing[@]}"
