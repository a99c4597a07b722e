# Shared part of the Windows cross toolchains (Debian's MinGW-w64 compilers of the
# posix thread model, which have std::mutex and std::thread). The including file
# sets QCLR_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR first.
#
# Programs and the DLL link the C++ runtime, libgcc and winpthread statically, so
# they depend on system DLLs only. Programs built here run through Wine when it is
# installed for the target (CMAKE_CROSSCOMPILING_EMULATOR); the resource
# generators are built for the build machine (see resources/CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QCLR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QCLR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QCLR_MINGW_TRIPLE}-windres)
set(QCLR_DLLTOOL ${QCLR_MINGW_TRIPLE}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${QCLR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
