# SPDX-License-Identifier: GPL-2.0-or-later
# Cross-builds for 32-bit x86 Linux (Debian's i386) and runs what is built
# under qemu-i386, as cmake/linux-cross.cmake says:
#   cmake -S . -B build-i686 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-linux-gnu.cmake
set(ADASKEL_TRIPLE i686-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
