# SPDX-License-Identifier: GPL-2.0-or-later
# adaskel_target(TRIPLE): the row of cmake/targets for TRIPLE, as
# ADASKEL_DEBIAN_ARCH, ADASKEL_RPM_ARCH, ADASKEL_MACHINE, ADASKEL_QEMU and
# ADASKEL_STATIC_LINK, each empty where the row has "-" or where the table
# has no such row.
function(adaskel_target triple)
  file(STRINGS ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/targets row REGEX "^${triple} ")
  string(REGEX REPLACE " +" ";" fields "${row}")
  set(index 1)
  foreach(name DEBIAN_ARCH RPM_ARCH MACHINE QEMU STATIC_LINK)
    set(value "")
    if(row)
      list(GET fields ${index} value)
    endif()
    if(value STREQUAL "-")
      set(value "")
    endif()
    set(ADASKEL_${name} "${value}" PARENT_SCOPE)
    math(EXPR index "${index} + 1")
  endforeach()
endfunction()
