# SPDX-License-Identifier: GPL-2.0-or-later
# Cross-builds for 64-bit ARM Linux (Debian's arm64) and runs what is built
# under qemu-aarch64, as cmake/linux-cross.cmake says:
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
set(ADASKEL_TRIPLE aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
