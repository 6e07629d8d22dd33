// SPDX-License-Identifier: GPL-2.0-or-later
// A text file being written: its lines are composed in memory and reach the
// file in one write when it is closed.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "common/platform.h"

namespace adaskel {

class Text_File {
 public:
  explicit Text_File(std::unique_ptr<Output_File> file) : file_(std::move(file)) {}
  // When close() was not reached (a failure is on its way to the entry
  // point), the lines composed so far are still written, as far as the file
  // takes them, so the file holds every line written before the failure.
  ~Text_File();
  Text_File(const Text_File&) = delete;
  Text_File& operator=(const Text_File&) = delete;

  // Adds the pieces, joined with nothing between them, and one line feed.
  // Fails, having added nothing, when memory runs out.
  void write_line(std::initializer_list<std::string_view> pieces);
  void write_empty_line() { write_line({}); }

  // Writes the lines and closes the file. Fails when either fails.
  void close();

  const std::string& path() const { return file_->path(); }

 private:
  std::unique_ptr<Output_File> file_;
  std::string pending_;
  bool closed_ = false;
};

}  // namespace adaskel
