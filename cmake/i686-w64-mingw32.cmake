# 32-bit Windows build with MinGW-w64 (cmake/mingw-w64-common.cmake): SSE2
# arithmetic as in every 32-bit build. Programs run only where Wine's 32-bit part
# is installed (the `wine` loader of Debian's wine32 package).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QCLR_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
find_program(QCLR_WINE32 NAMES wine PATHS /usr/lib/wine NO_CACHE)
if(QCLR_WINE32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QCLR_WINE32})
endif()
