#!/usr/bin/env bash
# The 64-bit and 32-bit builds agree byte for byte: the generated resources
# (built-in profiles, emulation tables) and the results of every kernel over a
# sample of inputs must not depend on the platform.
set -euo pipefail
for f in build/resources/*.icc build/resources/*.bin; do
  cmp "$f" "build-32/resources/$(basename "$f")"
done
emulator=""  # 32-bit programs run natively where the kernel can, else through qemu
build-32/bench/exhaustive_check --sample 65536 > /dev/null 2>&1 || emulator="qemu-i386 -L / -cpu max,-avx2"  # see cmake/i686-linux-gnu.cmake
build/bench/exhaustive_check --sample 64 > build/exhaustive-64.txt
$emulator build-32/bench/exhaustive_check --sample 64 > build-32/exhaustive-32.txt
diff build/exhaustive-64.txt build-32/exhaustive-32.txt
