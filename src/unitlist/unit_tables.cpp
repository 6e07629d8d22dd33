// SPDX-License-Identifier: GPL-2.0-or-later
#include "unitlist/unit_tables.h"

#include <new>
#include <utility>

#include "common/failure.h"
#include "common/line_reader.h"
#include "unitlist/unit_name.h"

namespace adaskel::unitlist {

void read_unit_list(Platform& platform, const std::string& file_name, Unit_Tables& tables) {
  const auto file = platform.open_for_reading(file_name);
  Line_Reader reader(*file);
  while (!reader.at_end()) {
    if (tables.line_count == tables.unit_lines.size()) {
      const std::int32_t capacity = tables.unit_lines.size();
      throw Failure(quoted(file_name) + " has more than " + std::to_string(capacity) +
                    (capacity == 1 ? " line" : " lines") + ", the capacity");
    }
    const std::int32_t k = tables.line_count + 1;
    Line_Text line = reader.read_line();
    try {
      tables.unit_lines.store(k, std::move(line));
    } catch (const std::bad_alloc&) {
      throw_failure("cannot read", file_name, "out of memory");
    }
    tables.line_count = k;
  }
}

void copy_unit_names(Unit_Tables& tables) {
  try {
    for (std::int32_t k = 2; k <= tables.line_count; ++k) {
      tables.unit_names.store(k, tables.unit_lines.at(k));
    }
  } catch (const std::bad_alloc&) {
    throw Failure("cannot copy the unit list to derive the unit names: out of memory");
  }
}

void derive_unit_names(Unit_Tables& tables, const std::string& file_name) {
  const std::string file = file_before_line(file_name);
  if (tables.line_count == 0)
    throw Failure(file + ": the unit list is empty: it names no top directory");
  for (std::int32_t k = 2; k <= tables.line_count; ++k) {
    to_filename(tables.unit_names.at(k), file, k);
  }
}

}  // namespace adaskel::unitlist
