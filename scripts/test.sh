#!/bin/sh
# Builds Vorlane and runs every test, headless: first the normal build, then
# the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/, where any report fails its test.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
cmake --preset default
cmake --build --preset default
ctest --preset default --output-on-failure
cmake --preset asan
cmake --build --preset asan
ctest --preset asan --output-on-failure
