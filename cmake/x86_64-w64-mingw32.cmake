# 64-bit Windows build with MinGW-w64 (cmake/mingw-w64-common.cmake); programs run
# through wine64 when it is installed (Debian puts it outside PATH).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QCLR_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
find_program(QCLR_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CACHE)
if(QCLR_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QCLR_WINE64})
endif()
