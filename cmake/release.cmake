# SPDX-License-Identifier: GPL-2.0-or-later
# Reproducible builds. Included from CMakeLists.txt after the install rules
# and before CPack.

# The same commit builds to the same bytes in any directory, at any time and
# in every build type: no source or build path in the debug information or in
# __FILE__, no time stamp or owner in static archives, none in the Windows
# executable's header. A directory's flags are read once it has been read
# whole, so these reach every target; the quotes keep a path with a space whole.
foreach(lang C CXX)
  string(APPEND CMAKE_${lang}_FLAGS " \"-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.\""
                                    " \"-ffile-prefix-map=${PROJECT_BINARY_DIR}=.\"")
  set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()
if(WIN32)
  string(APPEND CMAKE_EXE_LINKER_FLAGS " -Wl,--no-insert-timestamp")
endif()
