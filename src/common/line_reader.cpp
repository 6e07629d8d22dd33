// SPDX-License-Identifier: GPL-2.0-or-later
#include "common/line_reader.h"

#include <cstring>
#include <new>
#include <string_view>

#include "common/failure.h"

namespace adaskel {
namespace {
constexpr std::size_t chunk_size = std::size_t{64} * 1024;
}  // namespace

std::size_t Line_Reader::fill(std::size_t count) {
  if (buffer_.empty()) buffer_.resize(chunk_size);
  while (end_ - next_ < count && !file_ended_) {
    // Callers ask for a few bytes at most, so moving the rest to the front
    // always leaves room for a read.
    std::memmove(buffer_.data(), buffer_.data() + next_, end_ - next_);
    end_ -= next_;
    next_ = 0;
    const std::size_t got = file_.read(buffer_.data() + end_, buffer_.size() - end_);
    end_ += got;
    file_ended_ = got == 0;
  }
  return end_ - next_;
}

bool Line_Reader::at_end() {
  const std::size_t available = fill(3);
  const char* rest = buffer_.data() + next_;
  switch (available) {
    case 0: return true;
    case 1: return rest[0] == '\n';
    case 2: return rest[0] == '\n' && rest[1] == '\f';
    default: return false;
  }
}

Line_Text Line_Reader::read_line() {
  if (fill(1) == 0) throw_failure("cannot read", file_.path(), "end of file");
  try {
    Line_Text line;
    for (;;) {
      const std::string_view rest(buffer_.data() + next_, end_ - next_);
      const std::size_t end = rest.find('\n');
      if (end != std::string_view::npos) {
        line.append(rest.substr(0, end));
        next_ += end + 1;
        if (fill(1) > 0 && buffer_[next_] == '\f') ++next_;
        return line;
      }
      line.append(rest);
      next_ = end_;
      if (fill(1) == 0) return line;
    }
  } catch (const std::bad_alloc&) {
    throw_failure("cannot read", file_.path(), "out of memory");
  }
}

}  // namespace adaskel
