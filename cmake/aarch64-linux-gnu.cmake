# SPDX-License-Identifier: GPL-2.0-or-later
# Cross-builds for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu and
# runs what is built (the tests, and through them the program) under
# qemu-user, on Debian's multiarch arm64 libraries (libc6:arm64,
# libstdc++6:arm64, libfaketime:arm64 for the tests' clock):
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
find_program(QEMU_AARCH64_EXECUTABLE qemu-aarch64)
# Not `-L /usr/aarch64-linux-gnu`: with the cross compiler's loader as the
# interpreter, qemu 7.2's child of a fork() spins and never runs, and the
# tests fork to signal the program and to give it a terminal. The multiarch
# loader is the one an arm64 Debian system runs, and where the package's
# dependencies lead.
if(QEMU_AARCH64_EXECUTABLE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_AARCH64_EXECUTABLE})
endif()
