// SPDX-License-Identifier: GPL-2.0-or-later
// The command line: argument 1 names the unit list file, argument 2 sets the
// capacity of the unit tables. Further arguments are ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/platform.h"

namespace adaskel::unitlist {

constexpr std::int32_t default_max_lines = 16384;

struct Command_Line {
  std::optional<std::string> list_file_name;   // List_File_Name: argument 1
  std::int32_t max_lines = default_max_lines;  // Max_Lines: argument 2
};

// The arguments after the program name.
using Arguments = std::vector<std::string>;

// Takes argument 1 into `command_line`. Returns the message that ends the
// run when there is no argument or argument 1 names no regular file (links
// followed), else nothing.
std::optional<std::string> check_arguments(Platform& platform, const Arguments& arguments,
                                           Command_Line& command_line);

// Takes argument 2, when there is one, as the capacity. Returns the message
// that ends the run when it is not a whole number from 1 to 2147483647,
// else nothing.
std::optional<std::string> read_capacity(const Arguments& arguments, Command_Line& command_line);

}  // namespace adaskel::unitlist
