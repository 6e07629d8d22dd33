# SPDX-License-Identifier: GPL-2.0-or-later
# Read by cpack for each generator in turn: the RPM also installs the
# component rpm, its licence file, and the Debian package the component deb,
# lintian's overrides, which nothing else installs; a cross
# build's Debian package takes its dependencies from the target's libraries
# (Debian's multiarch ones, as libc6:arm64), which dpkg-shlibdeps looks up
# for the host architecture it is given.
list(GET CPACK_INSTALL_CMAKE_PROJECTS 0 build)
if(CPACK_GENERATOR STREQUAL "RPM")
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${build} adaskel rpm /)
elseif(CPACK_GENERATOR STREQUAL "DEB")
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${build} adaskel deb /)
endif()
if(CPACK_GENERATOR STREQUAL "DEB" AND CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
  set(ENV{DEB_HOST_ARCH} ${CPACK_DEBIAN_PACKAGE_ARCHITECTURE})
endif()
