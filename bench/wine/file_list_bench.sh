#!/usr/bin/env bash
# The file list under Wine: folders of 1,000, 8,000 and 40,000 empty pictures (the last with
# 20,000 other files beside them) opened in the real Torvane.exe's picture list dialog,
# against bare_list.exe filling a list box with the same names in the same run.
#
#   bash bench/wine/file_list_bench.sh [P1000 P8000 P40000]   (default: all three)
#
# Needs the MinGW build (cmake --build --preset mingw; another: TORVANE_MINGW_BUILD=dir).
# The folders are made once under the build folder and kept for the next run.
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
  # Names that do not arrive sorted, with the extension in several spellings.
  local stems=(IMG Photo scan DSC holiday) exts=(.bmp .BMP .Bmp) others_ext=(.txt .jpg .bmpx) i
  RANDOM=7
  (
    for ((i = 0; i < $2; i++)); do
      printf '%s_%06d_%d%s\n' "${stems[RANDOM % 5]}" $(((RANDOM * 32768 + RANDOM) % 1000000)) "$i" "${exts[i % 3]}"
    done
    for ((i = 0; i < $3; i++)); do printf 'note_%d%s\n' "$i" "${others_ext[i % 3]}"; done
  ) | (cd "$dir" && xargs -d '\n' touch)
  touch "$dir/.complete"
}

make_folder P1000 1000 0
make_folder P8000 8000 0
make_folder P40000 40000 20000

echo "The file list under Wine, $(date -u '+%Y-%m-%d'), $(nproc) cores, $(wine --version 2>/dev/null || echo wine)"
TORVANE_WINE_EXCLUSIVE=1 exec "$repo/scripts/wine-run.sh" "$build/bench/wine/open_folder_bench.exe" \
  "--exe=$build/Torvane.exe" "--bare=$build/bench/wine/bare_list.exe" \
  "--root=$root" "${folders[@]}"
