// SPDX-License-Identifier: GPL-2.0-or-later
// Reads a text file line by line, under the same rules for every file the
// program reads, in time linear in the file's size and with lines of any length.
#pragma once

#include <cstddef>
#include <string>

#include "common/platform.h"
#include "common/string_set.h"

namespace adaskel {

// The rules:
// 1. A line ends at a line feed, which is not part of it. A carriage return
//    before the line feed stays in the line. The last line needs no line feed.
// 2. A form feed right after a line feed belongs to no line and is skipped.
// 3. The file is at its end when nothing remains, or nothing but one line
//    feed, optionally followed by one form feed. So a file ending in two line
//    feeds has no empty last line, and a lone line feed is no line at all.
// 4. Reading a line when nothing at all remains fails: end of input.
// Every other byte, NUL included, is an ordinary byte of its line.
class Line_Reader {
 public:
  explicit Line_Reader(Input_File& file) : file_(file) {}

  // Whether the file is at its end (rule 3). Fails when the file cannot be read.
  bool at_end();

  // The next line (rules 1 and 2). Fails at end of input (rule 4) or when the
  // file cannot be read.
  Line_Text read_line();

 private:
  // Makes `count` unread bytes available, or as many as the file still has.
  // Returns how many are available.
  std::size_t fill(std::size_t count);

  Input_File& file_;
  std::string buffer_;  // read from the file: unread bytes from next_ to end_
  std::size_t next_ = 0;
  std::size_t end_ = 0;
  bool file_ended_ = false;
};

}  // namespace adaskel
