// SPDX-License-Identifier: GPL-2.0-or-later
#include "driver/console.h"

#include <array>
#include <new>
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

Line_Text Console::read_line() {
  Line_Text line;
  std::array<char, 65536> input{};  // a regular file is read in blocks
  for (bool started = false;; started = true) {
    // Room for what a read may bring is made before the read, so that when
    // memory runs out, standard input is left where the line stopped.
    try {
      line.reserve(line.size() + input.size());
    } catch (const std::bad_alloc&) {
      throw_stream_failure("cannot read", "standard input", "out of memory");
    }
    const std::size_t size = platform_.read_input(input.data(), input.size());
    if (size == 0 && !started) throw_stream_failure("cannot read", "standard input", "end of file");
    const std::string_view got(input.data(), size);
    const std::size_t line_end = got.find('\n');
    line.append(got.substr(0, line_end));
    if (line_end != std::string_view::npos) {
      // What was read past the line is left for whoever reads next.
      platform_.unread_input(got.substr(line_end + 1));
      return line;
    }
    if (size == 0) return line;
  }
}

}  // namespace adaskel::driver
