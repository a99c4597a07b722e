#!/usr/bin/env bash
# Pictures of the two colour settings dialogs, as the Windows build shows them:
# builds the 64-bit Windows tree (build-win64, made with
# -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake if missing), runs its
# dialog_screenshots program under wine64 on a virtual display and writes
# docs/dialog-cmyk.png and docs/dialog-lab.png.
#   scripts/dialog-screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win64}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake
fi
cmake --build "$build" -j 2 --target dialog_screenshots
prefix=$build/wineprefix-pictures
scripts/wine-prefix.sh "$prefix"
pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT
export WINEPREFIX=$(realpath "$prefix") WINEDEBUG=-all
# Wine's server goes before the display does.
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c '"$@"; status=$?; /usr/lib/wine/wineserver -k; exit $status' \
  run /usr/lib/wine/wine64 "$build/tests/dialog_screenshots.exe" "Z:${pictures//\//\\}"
mkdir -p docs
for name in cmyk lab; do
  /usr/bin/python3 scripts/bmp_to_png.py "$pictures/dialog-$name.bmp" "docs/dialog-$name.png"
done
echo "docs/dialog-cmyk.png docs/dialog-lab.png written"
