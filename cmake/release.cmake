# SPDX-License-Identifier: GPL-2.0-or-later
# Reproducible builds, the RPM, the Windows zip, the static tarballs and
# the packages of a cross build. Included from
# CMakeLists.txt after the install rules and before CPack; packaging/release
# makes every release artifact with it.

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

# The target's row of cmake/targets: a cross build's toolchain file names
# it, a native build is for the compiler's own.
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
if(NOT ADASKEL_TRIPLE)
  set(ADASKEL_TRIPLE "${CMAKE_LIBRARY_ARCHITECTURE}")
endif()
adaskel_target("${ADASKEL_TRIPLE}")

# The static program runs on any Linux: the C and C++ libraries are linked
# in, position-independent where the target's C library allows it. A call
# that a static C library can serve only by loading shared libraries at run
# time (user names, host names, character sets) is a linker warning, and
# fails the link.
if(ADASKEL_STATIC AND ADASKEL_STATIC_LINK STREQUAL "static")
  target_link_options(adaskel PRIVATE -static -Wl,--fatal-warnings)
elseif(ADASKEL_STATIC)
  target_link_options(adaskel PRIVATE -static-pie -Wl,--fatal-warnings)
endif()

# A build packages for its target, which Debian and RPM name apart.
# cmake/cpack-generator.cmake points dpkg-shlibdeps at the target's libraries.
if(ADASKEL_DEBIAN_ARCH)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${ADASKEL_DEBIAN_ARCH})
endif()
if(ADASKEL_RPM_ARCH)
  set(CPACK_RPM_PACKAGE_ARCHITECTURE ${ADASKEL_RPM_ARCH})
endif()

if(WIN32)
  # The Windows install is the zip's folder, `cpack -G ZIP` in the MinGW-w64
  # build: adaskel-VERSION-win64/ with the program, the licence as a .txt
  # that Windows opens, the README and the manual as HTML, which needs no
  # man. groff dates the HTML; that line goes, so it holds no time.
  add_custom_command(OUTPUT adaskel.html DEPENDS adaskel.1 VERBATIM
    COMMAND sh -c "groff -man -Thtml -ww < \"$0\" > \"$1.tmp\" && sed '/^<!-- CreationDate:/d' \"$1.tmp\" > \"$1\""
            ${PROJECT_SOURCE_DIR}/adaskel.1 ${PROJECT_BINARY_DIR}/adaskel.html)
  add_custom_target(html_manual ALL DEPENDS ${PROJECT_BINARY_DIR}/adaskel.html)
  unset(CPACK_PACKAGING_INSTALL_PREFIX)  # the zip's folder is the prefix
  install(TARGETS adaskel RUNTIME DESTINATION .)
  install(FILES COPYING RENAME COPYING.txt DESTINATION .)
  install(FILES README.md ${PROJECT_BINARY_DIR}/adaskel.html DESTINATION .)
elseif(ADASKEL_STATIC)
  # The tarball for any Linux, `cpack -G TGZ` in a static build:
  # adaskel-VERSION-linux-ARCH/ with the program, the man page as it is
  # (`man -l` reads it), the licence and the README.
  unset(CPACK_PACKAGING_INSTALL_PREFIX)  # the tarball's folder is the prefix
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
  install(TARGETS adaskel RUNTIME DESTINATION .)
  install(FILES adaskel.1 COPYING README.md DESTINATION .)
else()
  # The RPM, `cpack -G RPM`: adaskel-VERSION-1.ARCH.rpm, its Requires worked
  # out from the binary, CPack's generic description replaced, the summary
  # capitalised as RPM systems write it. It keeps the licence where RPM
  # systems look for it and leaves the Debian copyright file out; the Debian
  # package gains none of this (cmake/cpack-generator.cmake).
  install(FILES COPYING DESTINATION ${CMAKE_INSTALL_DATADIR}/licenses/adaskel
          COMPONENT rpm EXCLUDE_FROM_ALL)
  # The Debian package holds lintian's overrides, as the source package's
  # does (component deb).
  install(FILES ${PROJECT_SOURCE_DIR}/debian/adaskel.lintian-overrides RENAME adaskel
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT deb EXCLUDE_FROM_ALL)
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack-generator.cmake)
  set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
  string(SUBSTRING "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}" 0 1 first)
  string(SUBSTRING "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}" 1 -1 rest)
  string(TOUPPER "${first}" first)
  set(CPACK_RPM_PACKAGE_SUMMARY "${first}${rest}")
  set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
  set(CPACK_RPM_PACKAGE_LICENSE GPL-2.0-or-later)
  set(CPACK_RPM_PACKAGE_GROUP Development/Tools)
  set(CPACK_RPM_PACKAGE_AUTOREQ yes)
  set(CPACK_PACKAGE_RELOCATABLE OFF)  # only the RPM reads it
  set(CPACK_RPM_USER_FILELIST "%license /usr/share/licenses/adaskel/COPYING"
                              "%exclude /usr/share/doc/adaskel/copyright")
  # The system's packages own the standard directories.
  set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
      /usr/share/man /usr/share/man/man1 /usr/share/licenses)
  # rpmbuild's own time and host stay out: the build time and every file's
  # time are SOURCE_DATE_EPOCH. No debuginfo package is made, so no
  # /usr/lib/.build-id links either.
  set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${CPACK_PACKAGE_CONTACT}
%define _buildhost reproducible
%define source_date_epoch_from_changelog 0
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define _build_id_links none")
  # The RPM changelog is the Debian one in RPM's form: each entry's heading
  # is made from its version and its closing line, its items become "- ".
  file(STRINGS ${PROJECT_SOURCE_DIR}/debian/changelog debian_changelog)
  set(rpm_changelog "")
  foreach(line IN LISTS debian_changelog)
    if(line MATCHES "^[^ ]+ [(]([^)-]+)(-[^)]*)?[)]")
      set(version ${CMAKE_MATCH_1})
      set(items "")
    elseif(line MATCHES "^  [*] (.*)")
      string(APPEND items "- ${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^    (.*)")
      string(APPEND items "  ${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^ -- (.+)  ([A-Z][a-z]+), ([0-9]+) ([A-Z][a-z]+) ([0-9]+) ")
      string(APPEND rpm_changelog "* ${CMAKE_MATCH_2} ${CMAKE_MATCH_4} ${CMAKE_MATCH_3} "
             "${CMAKE_MATCH_5} ${CMAKE_MATCH_1} - ${version}-1\n${items}\n")
    endif()
  endforeach()
  file(WRITE ${PROJECT_BINARY_DIR}/rpm-changelog "${rpm_changelog}")
  set(CPACK_RPM_CHANGELOG_FILE ${PROJECT_BINARY_DIR}/rpm-changelog)
endif()
