// In-memory files and a settable clock for testing code in-process.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/platform.h"

namespace adaskel::testing {

// Hands out its text three bytes at a time, so readers meet every boundary.
class Memory_Input final : public Input_File {
 public:
  explicit Memory_Input(std::string text) : text_(std::move(text)) {}
  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min({size, text_.size() - next_, std::size_t{3}});
    std::memcpy(buffer, text_.data() + next_, count);
    next_ += count;
    return count;
  }
  const std::string& path() const override { return path_; }

 private:
  std::string text_, path_ = "memory";
  std::size_t next_ = 0;
};

struct Memory_Output final : Output_File {
  std::string& text;
  std::string name = "memory";
  explicit Memory_Output(std::string& to) : text(to) {}
  void write(std::string_view bytes) override { text += bytes; }
  void close() override {}
  const std::string& path() const override { return name; }
};

// Each reading takes the next time; the local zone is `offset` seconds east of UTC.
struct Fake_Clock final : Clock {
  std::vector<std::time_t> times;
  std::time_t offset = 0;
  std::time_t now() override { return times.at(readings++); }
  int local_year(std::time_t time) override {
    const std::time_t local = time + offset;
    std::tm fields{};
    return ::gmtime_r(&local, &fields)->tm_year + 1900;
  }
  std::size_t readings = 0;
};

}  // namespace adaskel::testing
