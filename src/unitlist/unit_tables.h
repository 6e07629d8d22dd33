// SPDX-License-Identifier: GPL-2.0-or-later
// The unit list file held as two tables: its lines as read, and the unit
// names derived from lines 2 onward. Line 1 names the tree's top directory,
// line 2 the main procedure, every further line one package.
#pragma once

#include <cstdint>
#include <string>

#include "common/platform.h"
#include "common/string_set.h"

namespace adaskel::unitlist {

struct Unit_Tables {
  // Both tables sized `max_lines`, every entry absent; no memory is taken for
  // the entries until lines are stored.
  explicit Unit_Tables(std::int32_t max_lines)
      : unit_lines("the unit list", max_lines), unit_names("the unit names", max_lines) {}

  String_Set unit_lines;        // Unit_Lines: entry k is line k, unchanged
  String_Set unit_names;        // Unit_Names: entry k, from 2, is the name derived from line k
  std::int32_t line_count = 0;  // Line_Count
};

// Reads every line of the file into `tables.unit_lines` and sets the line
// count. Fails when the file cannot be read or has more lines than the
// table holds; the test comes before the extra line is read.
void read_unit_list(Platform& platform, const std::string& file_name, Unit_Tables& tables);

// Copies lines 2 .. line count into `tables.unit_names`.
void copy_unit_names(Unit_Tables& tables);

// Applies to_filename to unit names 2 .. line count; fails as it does, its
// diagnostic naming the line as `file_name:k`, in the form compilers use and
// editors jump to (file_before_line). Fails first, naming the file, when the
// list has no line at all: it names no top directory.
void derive_unit_names(Unit_Tables& tables, const std::string& file_name);

}  // namespace adaskel::unitlist
