# SPDX-License-Identifier: GPL-2.0-or-later
# Read by cpack for each generator in turn: the RPM also installs the
# component rpm, its licence file, which nothing else installs.
if(CPACK_GENERATOR STREQUAL "RPM")
  list(GET CPACK_INSTALL_CMAKE_PROJECTS 0 build)
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${build} adaskel rpm /)
endif()
