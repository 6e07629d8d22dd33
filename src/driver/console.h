// SPDX-License-Identifier: GPL-2.0-or-later
// The console dialogue: lines and prompts on standard output, lines read
// from standard input. Standard input is read nowhere else.
#pragma once

#include <string_view>

#include "common/platform.h"
#include "common/string_set.h"

namespace adaskel::driver {

class Console {
 public:
  explicit Console(Platform& platform) : platform_(platform) {}

  // Writes `text` and a line feed. Fails when standard output cannot be written.
  void write_line(std::string_view text);
  // Writes `text` with no line end; it is visible before any input is awaited.
  void write_prompt(std::string_view text);
  // Writes a line feed if the last text written had none, so that standard
  // output always ends with a line end.
  void end_line();

  // Reads and drops one line of standard input. Fails at end of input before
  // the first character; end of input after it ends the line.
  void skip_line() { read_line(); }
  // The next line of standard input without its line feed (a carriage return
  // stays). Fails at end of input before the first character; end of input
  // after it ends the line. Standard input is left just after the line.
  Line_Text read_line();

 private:
  Platform& platform_;
  bool line_open_ = false;
};

}  // namespace adaskel::driver
