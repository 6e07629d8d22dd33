// SPDX-License-Identifier: GPL-2.0-or-later
#include "driver/console.h"

#include <string>

#include "common/failure.h"

namespace adaskel::driver {

void Console::write_line(std::string_view text) {
  std::string line(text);
  line += '\n';
  platform_.write_output(line);
  line_open_ = false;
}

void Console::write_prompt(std::string_view text) {
  platform_.write_output(text);
  if (!text.empty()) line_open_ = true;
}

void Console::end_line() {
  if (line_open_) write_line({});
}

bool Console::next_byte(char& byte) {
  if (input_next_ == input_size_) {
    input_size_ = platform_.read_input(input_.data(), input_.size());
    input_next_ = 0;
    if (input_size_ == 0) return false;
  }
  byte = input_[input_next_++];
  return true;
}

Line_Text Console::read_line() {
  Line_Text line;
  char byte = 0;
  if (!next_byte(byte)) throw Failure("cannot read standard input: end of file");
  while (byte != '\n') {
    line += byte;
    if (!next_byte(byte)) break;
  }
  return line;
}

}  // namespace adaskel::driver
