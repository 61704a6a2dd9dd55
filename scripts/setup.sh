#!/bin/sh
# Installs the Debian 12 packages Vorlane needs to build, run and test.
# Runs apt-get only when something is missing; uses sudo when not root.
set -eu

PACKAGES="build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-svg-dev qt6-image-formats-plugins libopencv-imgproc-dev
  libsdl2-dev libzip-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core fonts-sil-andika espeak-ng
  xvfb xauth xdotool x11-utils imagemagick python3 python3-pil unzip sox
  cups printer-driver-cups-pdf poppler-utils
  dpkg-dev file fakeroot appstream desktop-file-utils lintian
  openclipart-svg qt6-translations-l10n"

missing=""
for package in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $package"
  fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
echo "Installation des paquets :$missing"
$sudo apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
