#!/bin/sh
# Builds Vorlane with its demo content in build/ and starts it.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec ./build/vorlane "$@"
