#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's prefix and display, and returns
# its exit code. The MinGW build uses it as CMAKE_CROSSCOMPILING_EMULATOR, so ctest runs
# the test programs through it:
#   scripts/wine-run.sh build/mingw/tests/e2e/e2e_windows.exe --gtest_filter=...
#
# With TORVANE_WINE_EXCLUSIVE set (the e2e tests set it), runs only while no other such
# program runs in the same prefix: tests of two test runs in one tree would otherwise share
# one desktop and end each other's programs.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
torvane_wine_ensure || exit 125
if [ -n "${TORVANE_WINE_EXCLUSIVE:-}" ]; then
  # -o: the lock stays with flock itself, not with the programs the test starts.
  exec flock -o -w 900 "$TORVANE_WINE_STATE/desktop.lock" wine "$@"
fi
exec wine "$@"
