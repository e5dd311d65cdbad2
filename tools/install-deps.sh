#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages of the named groups, only those missing.
# Idempotent; installs as root.
#   bash tools/install-deps.sh GROUP...      (no group: every group)
#   bash tools/install-deps.sh --list GROUP...   prints the packages, one a line
# Groups:
#   run      building and running the programs (make run)
#   test     what the test suite adds (make test installs every group)
#   fuzz     the fuzz targets (the fuzz_smoke test)
#   package  the Debian packages and their checks (make package, the package test)
# debian/control's Build-Depends are the run and test groups (the package test
# checks that they agree).
set -euo pipefail

RUN=(
  # build
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-5compat-dev libqt6core5compat6
  qt6-charts-dev libqt6opengl6-dev
  libxrandr-dev libx11-dev libgl-dev libpulse-dev
  libxcb1-dev libxcb-present-dev libxcb-xfixes0-dev
  # run time: platform plugins, image formats (JPEG), French Qt texts, fonts
  qt6-qpa-plugins qt6-image-formats-plugins qt6-translations-l10n libjpeg62-turbo
  fonts-liberation fonts-wine fonts-comic-neue fonts-dejavu-core fontconfig
  # run time: printing through CUPS (lp), opening exports in the desktop's programs
  cups-client xdg-utils
)
TEST=(
  # virtual X server, input injection, null sound sink, image, sound and PDF checks
  xvfb xauth xdotool x11-utils x11-xserver-utils pulseaudio pulseaudio-utils
  libxtst-dev python3 imagemagick sox poppler-utils
  # a private print scheduler with a PDF queue
  cups printer-driver-cups-pdf ghostscript
)
FUZZ=(
  # clang with libFuzzer and the sanitizer run-times
  clang libclang-rt-14-dev
)
PACKAGE=(
  # building the packages (CPack, dpkg-buildpackage with debhelper)
  dpkg-dev debhelper fakeroot file gzip git
  # their checks: desktop entry, AppStream metadata, Debian policy, hardening,
  # manual pages
  desktop-file-utils appstream lintian devscripts man-db
)

list=0
if [ "${1:-}" = --list ]; then list=1; shift; fi
[ $# -gt 0 ] || set -- run test fuzz package
PACKAGES=()
for group in "$@"; do
  case $group in
    run) PACKAGES+=("${RUN[@]}") ;;
    test) PACKAGES+=("${TEST[@]}") ;;
    fuzz) PACKAGES+=("${FUZZ[@]}") ;;
    package) PACKAGES+=("${PACKAGE[@]}") ;;
    *) echo "install-deps.sh: unknown group '$group' (run, test, fuzz, package)" >&2; exit 2 ;;
  esac
done
if [ $list = 1 ]; then printf '%s\n' "${PACKAGES[@]}"; exit 0; fi

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
