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
#
# The emulated processor offers no AVX2: Debian 12's qemu (7.2) computes some AVX2
# rows wrongly (the HSI and Lab rows differ from the portable ones under qemu, for
# 64-bit builds too, while real processors and valgrind give the portable bytes), so
# emulated runs check the portable and SSE2 rows, and the wider rows are checked
# on real processors by the 64-bit suites and the exhaustive check.
find_program(QCLR_QEMU_I386 qemu-i386)
if(QCLR_QEMU_I386)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QCLR_QEMU_I386} -L / -cpu max,-avx2)
endif()
