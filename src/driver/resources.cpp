// SPDX-License-Identifier: GPL-2.0-or-later
#include "driver/resources.h"

#include "common/failure.h"
#include "common/line_reader.h"

namespace adaskel::driver {

void read_version_file(Platform& platform, Run_Context& context) {
  const auto file = platform.open_for_reading("Versions.lst");
  Line_Reader reader(*file);
  while (!reader.at_end()) context.version_line = reader.read_line();
}

void read_abstract_file(Platform& platform, Run_Context& context) {
  const auto file = platform.open_for_reading("Abstract.txt");
  Line_Reader reader(*file);
  context.abstract_line = reader.read_line();
}

void read_licence_file(Platform& platform, Run_Context& context) {
  const auto file = platform.open_for_reading("gpl.txt");
  Line_Reader reader(*file);
  while (!reader.at_end()) {
    if (context.licence_count == context.licence_lines.size()) {
      throw Failure("\"gpl.txt\" has more than " + std::to_string(licence_capacity) + " lines");
    }
    const std::int32_t n = context.licence_count + 1;
    context.licence_lines.store(n, reader.read_line());
    context.licence_count = n;
  }
}

}  // namespace adaskel::driver
