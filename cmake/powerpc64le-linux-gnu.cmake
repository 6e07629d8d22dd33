# SPDX-License-Identifier: GPL-2.0-or-later
# Cross-builds for 64-bit little-endian POWER Linux (Debian's ppc64el) and
# runs what is built under qemu-ppc64le, as cmake/linux-cross.cmake says:
#   cmake -S . -B build-ppc64le -DCMAKE_TOOLCHAIN_FILE=cmake/powerpc64le-linux-gnu.cmake
set(ADASKEL_TRIPLE powerpc64le-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
