# 32-bit x86 build on a 64-bit Debian host (g++-multilib). Programs are run through
# qemu's user-mode emulator when the host kernel cannot run 32-bit binaries itself.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_ASM_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")
find_program(QCLR_QEMU_I386 qemu-i386)
if(QCLR_QEMU_I386)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QCLR_QEMU_I386} -L /)
endif()
