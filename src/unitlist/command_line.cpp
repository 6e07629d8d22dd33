// SPDX-License-Identifier: GPL-2.0-or-later
#include "unitlist/command_line.h"

#include "unitlist/whole_number.h"

namespace adaskel::unitlist {

std::optional<std::string> check_arguments(Platform& platform, const Arguments& arguments,
                                           Command_Line& command_line) {
  if (arguments.empty()) return "Project name requiered.";
  const std::string& name = command_line.list_file_name.emplace(arguments[0]);
  if (!platform.is_regular_file(name)) return "File name : \"" + name + "\" is not regulary file.";
  return std::nullopt;
}

std::optional<std::string> read_capacity(const Arguments& arguments, Command_Line& command_line) {
  if (arguments.size() < 2) return std::nullopt;
  const std::optional<std::int32_t> value = to_whole_number(arguments[1]);
  if (!value || *value < 1) return "Max lines is not a positive.";
  command_line.max_lines = *value;
  return std::nullopt;
}

}  // namespace adaskel::unitlist
