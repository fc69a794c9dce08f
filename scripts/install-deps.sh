#!/usr/bin/env bash
# Installs the Debian packages Marrowlight needs to build, run and test.
# Idempotent: quiet when everything is present.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev
  qt6-tools-dev qt6-tools-dev-tools qt6-documentation-tools libqt6sql6-sqlite
  libqt6svg6
  libcanberra-dev libpulse-dev sound-theme-freedesktop
  libpcre2-dev
  zlib1g-dev liblzma-dev libzstd-dev gzip xz-utils zstd
  libsystemd-dev systemd systemd-journal-remote
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  xvfb xauth
  dbus
  desktop-file-utils appstream
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
