#!/usr/bin/env bash
# Installs what is missing, builds Torvane.exe and starts it under Wine.
# - With a working display: Torvane runs from build/run/ (beside it help.htm and the
#   settings file TorVan.ini, which stays there between runs) until you close it.
# - Without one: Xvfb stands in, the test of the program's windows clicks through the intro,
#   the main window and the settings dialog, and leaves screenshots of them in
#   build/run/screenshots/*.png.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo" || exit 1

bash scripts/setup.sh || exit 1
cmake --preset mingw >/dev/null && cmake --build --preset mingw -j2 || {
  echo "run: the build failed" >&2
  exit 1
}
if [ ! -f build/mingw/torvane-paths.sh ]; then
  echo "run: the build has no Torvane.exe yet" >&2
  exit 1
fi
. build/mingw/torvane-paths.sh

run_dir="$repo/build/run"
mkdir -p "$run_dir"
cp -f "$TORVANE_EXE" "$run_dir/Torvane.exe"
help="$(dirname "$TORVANE_EXE")/help.htm"
[ -f "$help" ] || help="$repo/help.htm"
[ -f "$help" ] && cp -f "$help" "$run_dir/help.htm"

had_display=no
if [ -n "${DISPLAY:-}" ] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
  had_display=yes
fi

. scripts/wine-env.sh
torvane_wine_ensure || exit 1
trap 'torvane_wine_stop' EXIT

if [ "$had_display" = yes ]; then
  echo "run: starting Torvane on $DISPLAY (close it to end)"
  cd "$run_dir" && wine Torvane.exe
  exit $?
fi

shots="$run_dir/screenshots"
rm -rf "$shots"
mkdir -p "$shots"
echo "run: no display; walking through Torvane inside Xvfb ($DISPLAY)"
# The test keeps its screenshots in artifacts/ of the folder it runs in, as
# <suite>.<test>-<window>.bmp.
(cd "$shots" && wine "$TORVANE_WINDOWS_TEST" --exe="$run_dir/Torvane.exe") ||
  echo "run: the windows did not all look as designed; the screenshots show what they were"
for bmp in "$shots"/artifacts/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "$shots/$(basename "${bmp##*-}" .bmp).png"
done
rm -rf "$shots/artifacts"
echo "run: screenshots:"
ls -1 "$shots"/*.png 2>/dev/null | sed 's/^/  /'
exit 0
