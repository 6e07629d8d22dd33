# SPDX-License-Identifier: GPL-2.0-or-later
# Cross-builds for IBM Z Linux, 64-bit and big-endian (Debian's s390x), and
# runs what is built under qemu-s390x, as cmake/linux-cross.cmake says:
#   cmake -S . -B build-s390x -DCMAKE_TOOLCHAIN_FILE=cmake/s390x-linux-gnu.cmake
set(ADASKEL_TRIPLE s390x-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
