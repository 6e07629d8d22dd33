// SPDX-License-Identifier: GPL-2.0-or-later
// The generated source files: the main procedure body and one package
// spec per package of the unit list. A file is written only where
// no regular file is; no directory is ever created.
#pragma once

#include <cstdint>
#include <string>

#include "common/platform.h"
#include "generate/header.h"
#include "unitlist/unit_tables.h"

namespace adaskel::generate {

// top/top/src/top.adb, with top the unit list's line 1, byte for byte.
// Fails when the list has no line 1, or when the path would be longer than
// `limit`, having built nothing.
std::string main_file_path(const unitlist::Unit_Tables& units, const Path_Limit& limit);

// top/stem/src/lib/stem.ads, with stem the unit list's line k, byte for byte.
// Fails as main_file_path does.
std::string package_file_path(const unitlist::Unit_Tables& units, std::int32_t k,
                              const Path_Limit& limit);

// Writes the main procedure body unless a regular file is at its path:
// the header, "with <name> ; " for each package in list order,
// "procedure <main> is", "", "begin", "", "   null;", "end <main> ; ".
void write_main_file(Platform& platform, const Header_Values& header,
                     const unitlist::Unit_Tables& units);

// Writes, for list lines 3 onward in order, the package spec unless
// a regular file is at its path: the header, "package <name> is", "",
// "end <name> ; ".
void write_package_files(Platform& platform, const Header_Values& header,
                         const unitlist::Unit_Tables& units);

}  // namespace adaskel::generate
