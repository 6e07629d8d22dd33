// SPDX-License-Identifier: GPL-2.0-or-later
#include "generate/header.h"

#include <string>

#include "common/failure.h"

namespace adaskel::generate {

void write_header(Text_File& file, const Header_Values& values, Clock& clock) {
  file.write_line({"-- ", values.abstract_line});

  if (values.unit_names.size() < 2 || !values.unit_names.contains(2)) {
    throw Failure("cannot complete " + quoted(file.path()) +
                  ": the unit list has no line 2 to name the main unit");
  }
  // The year as an integer image: a blank where a sign would stand.
  const int local_year = clock.local_year(clock.now());
  if (local_year < first_year || local_year > last_year) throw Failure(std::string(unshown_year));
  const std::string year = ' ' + std::to_string(local_year);
  file.write_line(
      {"-- ", values.unit_names.at(2), " is Copyright (C)", year, " ", values.author_name, " ; "});

  for (std::int32_t i = licence_excerpt_first; i <= licence_excerpt_last; ++i) {
    if (!values.licence_lines.contains(i)) {
      throw Failure("cannot complete " + quoted(file.path()) + ": \"gpl.txt\" has no line " +
                    std::to_string(i));
    }
    const std::string_view line = values.licence_lines.at(i);
    file.write_line({"--", line.empty() ? line : line.substr(1)});
  }

  file.write_line({"-- Date := \"", values.start_image, "\""});
  file.write_line({"-- Version := \"", values.version_line, "\""});
}

}  // namespace adaskel::generate
