# SPDX-License-Identifier: GPL-2.0-or-later
# What every cross build for Linux shares: each toolchain file
# cmake/TRIPLE.cmake sets ADASKEL_TRIPLE and includes this. It builds with
# Debian's g++-TRIPLE and runs what is built (the tests, and through them the
# program) under the qemu-user that cmake/targets names for TRIPLE, on
# Debian's multiarch libraries (libc6:ARCH and libstdc++6:ARCH, ARCH the
# row's Debian architecture).
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
adaskel_target(${ADASKEL_TRIPLE})
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${ADASKEL_MACHINE})  # names the tarball
set(CMAKE_C_COMPILER ${ADASKEL_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ADASKEL_TRIPLE}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${ADASKEL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
find_program(QEMU_EXECUTABLE ${ADASKEL_QEMU})
# The multiarch loader and libraries, not `-L /usr/TRIPLE`: with the cross
# compiler's loader as the interpreter, qemu 7.2's child of a fork() spins
# and never runs on aarch64, and the tests fork to signal the program and to
# give it a terminal. The multiarch loader is the one a Debian system of that
# architecture runs, and where the package's dependencies lead. Where Debian
# 12 has no such libraries (riscv64), the cross compiler's serve, whose
# loader forks well.
if(QEMU_EXECUTABLE AND ADASKEL_DEBIAN_ARCH)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_EXECUTABLE})
elseif(QEMU_EXECUTABLE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_EXECUTABLE} -L ${CMAKE_FIND_ROOT_PATH})
endif()
