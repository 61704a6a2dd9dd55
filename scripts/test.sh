#!/bin/sh
# Builds Vorlane and runs every test, headless.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
cmake --preset default
cmake --build --preset default
ctest --preset default --output-on-failure
