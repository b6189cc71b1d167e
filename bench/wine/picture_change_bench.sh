#!/usr/bin/env bash
# The show under Wine: time from a tick to the next picture on the screen, the program's
# answer time (a WM_NULL round trip) while that picture loads, and its working set while the
# show runs (after each change) and once it stopped, for pictures of the screen's
# size and for 4K ones (3840 x 2160), with the Torvane.exe of this tree against the one of an
# earlier commit in the same run.
#
#   bash bench/wine/picture_change_bench.sh [COMMIT]   (default a324bc6, before pictures were
#                                                       decoded beside the UI thread)
#
# Needs the MinGW build (cmake --build --preset mingw; another: TORVANE_MINGW_BUILD=dir). The
# earlier Torvane.exe is built from `git archive COMMIT` under build/picture-bench-before, and
# the pictures are made once under build/picture-change-bench.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${TORVANE_MINGW_BUILD:-$repo/build/mingw}"
commit="${1:-a324bc6}"
rounds="${TORVANE_BENCH_ROUNDS:-10}"   # changes per picture size and pass
passes="${TORVANE_BENCH_PASSES:-3}"
root="$repo/build/picture-change-bench"
before="$repo/build/picture-bench-before"

make_pictures() { # name width height
  local dir="$root/$1"
  [ -f "$dir/.complete" ] && return 0
  rm -rf "$dir" && mkdir -p "$dir"
  convert -size "$2x$3" 'xc:rgb(200,30,30)' -type TrueColor "BMP3:$dir/1.bmp"
  convert -size "$2x$3" 'xc:rgb(30,160,60)' -type TrueColor "BMP3:$dir/2.bmp"
  touch "$dir/.complete"
}
make_pictures screen 1024 768
make_pictures 4K 3840 2160

if [ ! -f "$before/$commit.built" ]; then
  rm -rf "$before" && mkdir -p "$before/src"
  git -C "$repo" archive "$commit" | tar -x -C "$before/src"
  cmake -S "$before/src" -B "$before/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$before/src/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$before/build" -j2 --target Torvane >/dev/null
  touch "$before/$commit.built"
fi

echo "The show under Wine, $(date -u '+%Y-%m-%d'), $(nproc) cores, $(wine --version 2>/dev/null || echo wine), $passes passes of $rounds changes"
echo
echo "| Program  | Pictures   | Tick to screen ms (median) | max | Answers | Answer ms (median) | max | MiB in show (most) | MiB stopped |"
echo "|----------|------------|---------:|---------:|-------:|----------:|----------:|--------:|--------:|"
bench="$build/bench/wine/picture_change_bench.exe"
# The two programs take turns, so that a busy moment of the machine falls on both alike.
for ((pass = 1; pass <= passes; pass++)); do
  for which in before after; do
    exe="$build/Torvane.exe"
    [ "$which" = before ] && exe="$before/build/Torvane.exe"
    TORVANE_WINE_EXCLUSIVE=1 "$repo/scripts/wine-run.sh" "$bench" "--exe=$exe" "--root=$root" \
      "--label=$which" "--rounds=$rounds" screen 4K 2>/dev/null
  done
done
