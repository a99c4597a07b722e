#!/usr/bin/env bash
# The Windows build, cross-compiled with MinGW-w64 (cmake/*-w64-mingw32.cmake):
# - 64-bit: qclr.dll and every suite, run under wine64 in a fresh Wine prefix with
#   the crash debugger off (so that a crash fails), the dialogs on a virtual
#   display; the DLL's exports, resources and dependencies are one of the tests;
# - 32-bit: qclr.dll and its import library, checked with binutils against the
#   header and the resources (running 32-bit programs needs Wine's 32-bit part);
# - the Windows build gives the bytes of the Linux build of stage 10: generated
#   resources, and the sampled exhaustive check (every kernel, every direct pair).
set -euo pipefail
scripts/install-deps.sh ci-windows
jobs=${QCLR_CI_JOBS:-2}
wine=/usr/lib/wine/wine64

cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake -DQCLR_WERROR=ON
cmake --build build-win64 -j "$jobs"
scripts/wine-prefix.sh build-win64/wineprefix
export WINEPREFIX=$PWD/build-win64/wineprefix WINEDEBUG=-all
# Wine's server goes before the display does.
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c '"$@"; status=$?; /usr/lib/wine/wineserver -k; exit $status' \
  run ctest --test-dir build-win64 --output-on-failure -j "$jobs"

cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake -DQCLR_WERROR=ON
cmake --build build-win32 -j "$jobs" --target qclr dll_import_caller
/usr/bin/python3 tests/check_windows_dll.py --binutils i686-w64-mingw32- --bits 32 \
  --dll build-win32/src/qclr.dll --import-lib build-win32/src/libqclr.dll.a \
  --header include/qclr/qclr.h --manifest resources/manifest.txt --resources build-win32/resources \
  build-win32/tests/dll_import_caller.exe

# Windows and Linux, byte for byte (Windows writes its text lines with CR LF).
for f in build/resources/*.icc build/resources/*.bin; do
  cmp "$f" "build-win64/resources/$(basename "$f")"
done
build/bench/exhaustive_check --sample 64 > build-win64/exhaustive-linux.txt
"$wine" build-win64/bench/exhaustive_check.exe --sample 64 | tr -d '\r' > build-win64/exhaustive-windows.txt
diff build-win64/exhaustive-linux.txt build-win64/exhaustive-windows.txt
echo "Windows and Linux agree: $(wc -l < build-win64/exhaustive-linux.txt) check lines"
