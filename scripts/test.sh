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
# Left out under ASan only: an exception unwinding out of a button's click
# through Qt's widget code leaks a 34-byte Qt string per click, inside Qt.
ctest --preset asan --output-on-failure \
  -E '^TApplicationTest\.ErrorLeavingAButtonHandlerIsShownAndTheButtonWorksAgain$'
