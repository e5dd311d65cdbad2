#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running ZOKA need,
# only when one of them is missing. Idempotent; runs as root.
set -euo pipefail

PACKAGES=(
  # build
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-5compat-dev libqt6core5compat6
  qt6-charts-dev libqt6opengl6-dev
  libxrandr-dev libx11-dev libgl-dev libpulse-dev
  libxcb1-dev libxcb-present-dev libxcb-xfixes0-dev
  # run time: platform plugins, image formats (JPEG), sound, French Qt texts, fonts
  qt6-qpa-plugins qt6-image-formats-plugins qt6-translations-l10n libjpeg62-turbo
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-pulseaudio
  fonts-liberation fonts-wine fonts-comic-neue fonts-dejavu-core fontconfig
  # run time: printing through CUPS (lp), opening exports in the desktop's programs
  cups-client xdg-utils
  # tests: virtual X server, input injection, null sound sink, image and sound checks
  xvfb xauth xdotool x11-utils x11-xserver-utils pulseaudio pulseaudio-utils
  libxtst-dev libx11-dev python3 imagemagick sox poppler-utils
  # tests: a private print scheduler with a PDF queue
  cups printer-driver-cups-pdf ghostscript
  # the Debian package (make package) and its checks: libraries the programs need,
  # desktop entry, AppStream metadata, Debian policy
  dpkg-dev file gzip desktop-file-utils appstream lintian
  # fuzz targets: clang with libFuzzer and the sanitizer run-times
  clang libclang-rt-14-dev
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

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages and not root: install them or run as root." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y --no-install-recommends "${missing[@]}"
