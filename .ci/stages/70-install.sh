#!/usr/bin/env bash
# Installs stage 10's build into a prefix and uses it as a person would: the
# installed layout (soname, static library, run path, manual page), the tool
# started from a moved copy of the prefix, the C and C++ examples of docs/examples
# built through pkg-config and through find_package (shared and static), the
# Python examples, and the Python module's tests against the installed module and
# library; then the README's user story with files made on the spot
# (.ci/user-story.sh). The user guide's excerpts of the examples are checked
# against the files.
set -euo pipefail
scripts/install-deps.sh ci-install
src=$PWD
work=$PWD/build/install-check
prefix=$work/prefix
rm -rf "$work" && mkdir -p "$work"

cmake --build build -j "${QCLR_CI_JOBS:-2}"  # nothing to do after stage 10
cmake --install build --prefix "$prefix" > "$work/install.log"

echo "-- the user guide quotes the examples as they are"
/usr/bin/python3 scripts/check_doc_excerpts.py docs/user-guide.md

echo "-- installed layout"
lib=$prefix/lib
test -f "$prefix/include/qclr/qclr.h" -a -f "$lib/libqclr.a" -a -f "$lib/pkgconfig/qclr.pc"
test -f "$lib/cmake/qclr/qclrConfig.cmake" -a -f "$lib/cmake/qclr/qclrConfigVersion.cmake"
test -f "$prefix/share/doc/qclr/README.md"
readelf -d "$lib/libqclr.so" | grep -q 'SONAME.*\[libqclr\.so\.0\]'
cmake -DLIBRARY="$lib/libqclr.so" -DNM=nm -DHEADER="$prefix/include/qclr/qclr.h" -P tests/check_exports.cmake
readelf -d "$prefix/bin/qclr" | grep -q 'R.*PATH.*\[\$ORIGIN/\.\./lib\]'
test -f "$prefix/share/man/man1/qclr.1" -a -f "$prefix/share/doc/qclr/tool.md"

echo "-- the tool from the prefix moved elsewhere"
mv "$prefix" "$work/moved"
env -u LD_LIBRARY_PATH "$work/moved/bin/qclr" --help > /dev/null
mv "$work/moved" "$prefix"

echo "-- C and C++ through pkg-config"
export PKG_CONFIG_PATH=$lib/pkgconfig
test "$(pkg-config --modversion qclr)" = "$(sed -n 's/^#define QCLR_VERSION_\(MAJOR\|MINOR\|PATCH\) //p' include/qclr/qclr.h | paste -sd.)"
cc -Wall -Werror docs/examples/convert_pixels.c $(pkg-config --cflags --libs qclr) -Wl,-rpath,"$lib" -o "$work/convert_pixels"
c++ -std=c++17 -Wall -Werror docs/examples/press_proof.cpp $(pkg-config --cflags --libs qclr) -Wl,-rpath,"$lib" -o "$work/press_proof"
cc -Wall -Werror docs/examples/convert_pixels.c $(pkg-config --cflags qclr) \
  "$(pkg-config --variable=libdir qclr)/libqclr.a" -lstdc++ -lm -o "$work/convert_pixels_static"
"$work/convert_pixels" && "$work/press_proof" && "$work/convert_pixels_static"
if readelf -d "$work/convert_pixels_static" | grep -q 'NEEDED.*libqclr'; then
  echo "the static example needs libqclr.so" >&2; exit 1
fi

echo "-- C and C++ through find_package"
cmake -S docs/examples -B "$work/examples" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" > "$work/examples.log"
cmake --build "$work/examples" >> "$work/examples.log"
for program in convert_pixels press_proof convert_pixels_static; do "$work/examples/$program" > /dev/null; done

echo "-- Python, from outside the source tree"
pydir=$(dirname "$(find "$prefix" -path '*/qclr/__init__.py')")
export PYTHONPATH=$(dirname "$pydir")
cd "$work"
/usr/bin/python3 -c "import qclr, sys; sys.exit(not qclr.__file__.startswith('$prefix'))"
/usr/bin/python3 "$src/docs/examples/convert_image.py"
/usr/bin/python3 "$src/docs/examples/round_trips.py"
QCLR_TEST_RESOURCES=$src/build/resources /usr/bin/python3 -m pytest -q -p no:cacheprovider "$src/python/tests"

echo "-- the README's user story"
bash "$src/.ci/user-story.sh" "$prefix" "$src/build" "$work/story"
