// SPDX-License-Identifier: GPL-2.0-or-later
// In-memory files. The one for reading hands out its text in reads of the
// given sizes, in turn: reads of one byte meet every buffer boundary.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "common/platform.h"

namespace adaskel::testing {

class Memory_Input final : public Input_File {
 public:
  Memory_Input(std::string text, std::vector<std::size_t> chunks)
      : text_(std::move(text)), chunks_(std::move(chunks)) {}
  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t chunk = chunks_[reads_++ % chunks_.size()];
    const std::size_t count = text_.copy(buffer, std::min(size, chunk), next_);
    next_ += count;
    return count;
  }
  const std::string& path() const override { return path_; }

 private:
  std::string text_, path_ = "memory";
  std::vector<std::size_t> chunks_;
  std::size_t next_ = 0, reads_ = 0;
};

// A file for writing whose bytes go to `text`.
class Memory_Output final : public Output_File {
 public:
  explicit Memory_Output(std::string& text) : text_(text) {}
  void write(std::string_view bytes) override { text_ += bytes; }
  void close() override {}
  const std::string& path() const override { return path_; }

 private:
  std::string& text_;
  std::string path_ = "memory";
};

}  // namespace adaskel::testing
