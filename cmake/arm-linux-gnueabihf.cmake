# SPDX-License-Identifier: GPL-2.0-or-later
# Cross-builds for 32-bit ARM Linux: ARMv7 with hardware floating point,
# Debian's armhf, as on a Raspberry Pi 2 or later running a 32-bit system.
# Runs what is built under qemu-arm, as cmake/linux-cross.cmake says:
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabihf.cmake
set(ADASKEL_TRIPLE arm-linux-gnueabihf)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
