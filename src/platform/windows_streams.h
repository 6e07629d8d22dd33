// SPDX-License-Identifier: GPL-2.0-or-later
// The standard streams on Windows, taken as the POSIX build takes them:
// untranslated bytes, a console's input as a terminal gives it, and no byte
// of input read past what the run uses.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/windows_rules.h"
#include "platform/windows_system.h"

namespace adaskel::windows {

class Standard_Streams {
 public:
  // The streams, written through `calls`, which must outlive them.
  explicit Standard_Streams(const System_Calls& calls) : calls_(calls) {}

  // As Platform::write_output, write_error, read_input and unread_input.
  void write_output(std::string_view bytes);
  void write_error(std::string_view bytes);
  std::size_t read_input(char* buffer, std::size_t size);
  void unread_input(std::string_view bytes);

 private:
  const System_Calls& calls_;
  std::optional<bool> input_is_file_;  // standard input, once it is first read
  bool input_is_console_ = false;
  Console_Input console_;
  std::string given_back_;  // bytes a console gave that no line took
};

}  // namespace adaskel::windows
