#!/usr/bin/env bash
# The README's user story, walked against an installed prefix with the README's
# commands and environment: a JPEG photo with an embedded version 4 profile into a
# CMYK TIFF through the built-in press profile and back to PNG, a folder of PNGs
# with the progress bar of a terminal, a raw YUY2 frame into PNG, a profile
# described by qclr info, and the README's C, CMake and Python snippets. Files are
# made on the spot (.ci/story_files.py); every result is checked: pixels within
# their tolerance, the profiles in the files, exit statuses.
#   .ci/user-story.sh PREFIX BUILD WORK   (BUILD: the build folder, for the built-in profiles)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
prefix=$1 resources=$(cd "$2" && pwd)/resources work=$3
files() { /usr/bin/python3 "$src/.ci/story_files.py" "$@"; }
colord=/usr/share/color/icc/colord
press=$resources/profile_cmyk_press.icc display=$resources/profile_display_rgb.icc
rm -rf "$work" && mkdir -p "$work/pictures" && cd "$work"

# As the README's Install section tells a person with a prefix of their own.
export PATH=$prefix/bin:$PATH
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
export LD_LIBRARY_PATH=$prefix/lib
export PYTHONPATH=$(echo $prefix/lib/python3*/dist-packages)
test "$(command -v qclr)" = "$prefix/bin/qclr"

echo "-- a JPEG photo with an embedded version 4 profile (sRGB of colord-data)"
files pattern 96 64 chart.raw
qclr convert --from RGB --size 96x64 --to RGB --dst-profile $colord/sRGB.icc chart.raw photo.jpg
files profile photo.jpg $colord/sRGB.icc

echo "-- into a CMYK TIFF through the built-in press profile, and back to PNG"
qclr convert --to CMYK --src-profile embedded photo.jpg photo.tif
qclr convert --to RGB --src-profile embedded photo.tif photo.png
files profile photo.tif "$press"
files profile photo.png "$display"
# The inks are the library's own conversion of the photo's pixels through both
# profiles; the PNG is the chart again within the losses of JPEG and of the
# press profile's grid.
qclr convert --to RGB photo.jpg photo-pixels.raw
qclr convert --to CMYK photo.tif photo-inks.raw
/usr/bin/python3 -c "
import numpy as np, qclr
rgb = np.fromfile('photo-pixels.raw', np.uint8).reshape(64, 96, 3)
qclr.convert(rgb, 'RGB', 'CMYK', 'custom-icc', profiles=('$colord/sRGB.icc', '$press')).tofile('expected-inks.raw')"
files compare expected-inks.raw photo-inks.raw 0 0
qclr convert --to RGB photo.png photo-again.raw
files compare chart.raw photo-again.raw 24 1.5  # measured: 20 at most, 1.01 on average

echo "-- a profile the engine cannot use is refused with its reason (exit 4)"
status=0
qclr convert --to CMYK --src-profile $colord/x11-colors.icc photo.png refused.tif 2> refused.txt || status=$?
cat refused.txt
test $status -eq 4 -a ! -e refused.tif
grep -q "named colour profile (Lab, PCS Lab): its data colour space is Lab, the pixels are RGB" refused.txt

echo "-- a folder of PNGs, on every core, with a progress bar on a terminal"
files pngs 160 120 pictures 8
(cd pictures && script -qefc "qclr convert --to CMYK --method icc --format tiff -o out/ *.png" ../progress.txt > /dev/null)
grep -q '\[#\{30\}\] 8/8 files' progress.txt
/usr/bin/python3 -c "
import numpy as np, qclr
for n in range(8):
    rgb = np.fromfile('pictures/photo%d.rgb' % n, np.uint8).reshape(120, 160, 3)
    qclr.convert(rgb, 'RGB', 'CMYK', method='icc').tofile('pictures/photo%d.cmyk' % n)"
for n in 0 1 2 3 4 5 6 7; do
  qclr convert --to CMYK pictures/out/photo$n.tif pictures/out/photo$n.raw
  files compare pictures/photo$n.cmyk pictures/out/photo$n.raw 0 0 > /dev/null
  files profile pictures/out/photo$n.tif "$press" > /dev/null
done
echo "8 TIFF files with the inks of the ICC method and the press profile"

echo "-- a raw YUY2 frame into PNG"
files yuy2 640 480 frame.yuy2 frame-bt601.raw
qclr convert --from YUY2 --size 640x480 --to RGB frame.yuy2 frame.png
qclr convert --to RGB frame.png frame.raw
files compare frame-bt601.raw frame.raw 1 0.5

echo "-- qclr info on a profile"
cp $colord/sRGB.icc profile.icc
qclr info profile.icc > info.txt && sed -n 1,15p info.txt
grep -q '^  version      4\.4\.0$' info.txt
grep -q '^  source       RGB: usable as a source, through its colorants and tone curves$' info.txt
grep -q '^  destination  RGB: usable as a destination' info.txt
grep -q '^    rTRC  para .* parametric, function 3$' info.txt

echo "-- the README's snippets: C through pkg-config, CMake through find_package, Python with numpy"
snippet() { sed -n "/^## Install/,/^## Windows/p" "$src/README.md" | sed -n "/^\`\`\`$1\$/,/^\`\`\`\$/p" | sed '1d;$d'; }
cp "$src/docs/examples/convert_pixels.c" app.c
cc app.c $(pkg-config --cflags --libs qclr) -o app
./app > /dev/null
mkdir cmake-app && cp app.c cmake-app/
{ echo "cmake_minimum_required(VERSION 3.16)"; echo "project(app C)"; echo "add_executable(app app.c)"; snippet cmake; } \
  > cmake-app/CMakeLists.txt
cmake -S cmake-app -B cmake-app/build -G Ninja -DCMAKE_PREFIX_PATH="$prefix" > cmake-app.log
cmake --build cmake-app/build >> cmake-app.log
cmake-app/build/app > /dev/null
snippet python > snippet.py
test -s snippet.py && /usr/bin/python3 snippet.py
echo "the user story holds"
