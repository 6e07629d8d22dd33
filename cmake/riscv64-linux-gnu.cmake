# SPDX-License-Identifier: GPL-2.0-or-later
# Cross-builds for 64-bit RISC-V Linux and runs what is built under
# qemu-riscv64, on the cross compiler's own libraries since Debian 12 has
# none for riscv64, as cmake/linux-cross.cmake says:
#   cmake -S . -B build-riscv64 -DCMAKE_TOOLCHAIN_FILE=cmake/riscv64-linux-gnu.cmake
set(ADASKEL_TRIPLE riscv64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
