// SPDX-License-Identifier: GPL-2.0-or-later
// Every value of one run. The run creates it at its start; later steps read
// what earlier ones stored, and nothing is released before the run ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/string_set.h"
#include "unitlist/command_line.h"
#include "unitlist/unit_tables.h"

namespace adaskel::driver {

constexpr std::int32_t licence_capacity = 4096;

struct Run_Context {
  std::string start_image;                // Start_Image: UTC, 19 characters
  std::optional<Line_Text> version_line;  // Version_Line
  Line_Text abstract_line;                // Abstract_Line
  String_Set licence_lines{"the licence text", licence_capacity};  // Licence_Lines
  std::int32_t licence_count = 0;                                  // Licence_Count
  unitlist::Command_Line command_line;                             // List_File_Name, Max_Lines
  Line_Text author_name;                                           // Author_Name
  std::optional<unitlist::Unit_Tables> units;  // Unit_Lines, Unit_Names, Line_Count
};

}  // namespace adaskel::driver
