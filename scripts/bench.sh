#!/bin/sh
# Installs the benchmark references (OpenCV), builds vorlane-bench and runs it.
# The game never links OpenCV: it only judges the speed of region fills.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
if ! dpkg-query -W -f='${Status}' libopencv-dev 2>/dev/null | grep -q "install ok installed"; then
  if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends libopencv-dev
fi
cmake --preset bench
cmake --build --preset bench
build-bench/bench/vorlane-bench "$@"
