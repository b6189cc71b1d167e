#!/usr/bin/env bash
# The file list under Wine: folders of 1,000, 8,000 and 40,000 empty pictures (the last with
# 20,000 other files beside them) opened in the real Torvane.exe's picture list dialog,
# against bare_list.exe filling a list box with the same names in the same run.
#
#   bash bench/wine/file_list_bench.sh [P1000 P8000 P40000]   (default: all three)
#
# Needs the MinGW build (cmake --build --preset mingw; another: TORVANE_MINGW_BUILD=dir). The folders are made once under the
# build folder and kept for the next run.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${TORVANE_MINGW_BUILD:-$repo/build/mingw}"
folders=("$@")
[ ${#folders[@]} -gt 0 ] || folders=(P1000 P8000 P40000)
root="$repo/build/file-list-bench"

make_folder() { # name pictures others
  local dir="$root/$1"
  [ -f "$dir/.complete" ] && return 0
  rm -rf "$dir"
  mkdir -p "$dir"
  python3 - "$dir" "$2" "$3" <<'PY'
import os, random, sys
folder, pictures, others = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(7)
stems = ["IMG", "Photo", "scan", "DSC", "holiday"]
exts = [".bmp", ".BMP", ".Bmp"]
for i in range(pictures):
    open(os.path.join(folder, f"{rng.choice(stems)}_{rng.randrange(10**6):06d}_{i}{exts[i % 3]}"), "w").close()
for i in range(others):
    open(os.path.join(folder, f"note_{i}{['.txt', '.jpg', '.bmpx'][i % 3]}"), "w").close()
PY
  touch "$dir/.complete"
}

make_folder P1000 1000 0
make_folder P8000 8000 0
make_folder P40000 40000 20000

echo "The file list under Wine, $(date -u '+%Y-%m-%d'), $(nproc) cores, $(wine --version 2>/dev/null || echo wine)"
TORVANE_WINE_EXCLUSIVE=1 exec "$repo/scripts/wine-run.sh" "$build/bench/wine/open_folder_bench.exe" \
  "--exe=$build/Torvane.exe" "--bare=$build/bench/wine/bare_list.exe" \
  "--root=$root" "${folders[@]}"
