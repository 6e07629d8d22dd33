#include "common/line_reader.h"

#include <string_view>

#include "common/failure.h"

namespace adaskel {
namespace {
constexpr std::size_t chunk_size = 64 * 1024;
}  // namespace

std::size_t Line_Reader::fill(std::size_t count) {
  while (buffer_.size() - next_ < count && !file_ended_) {
    buffer_.erase(0, next_);
    next_ = 0;
    const std::size_t kept = buffer_.size();
    buffer_.resize(kept + chunk_size);
    const std::size_t got = file_.read(buffer_.data() + kept, chunk_size);
    buffer_.resize(kept + got);
    file_ended_ = got == 0;
  }
  return buffer_.size() - next_;
}

bool Line_Reader::at_end() {
  const std::size_t available = fill(3);
  const char* rest = buffer_.data() + next_;
  switch (available) {
    case 0:
      return true;
    case 1:
      return rest[0] == '\n';
    case 2:
      return rest[0] == '\n' && rest[1] == '\f';
    default:
      return false;
  }
}

Line_Text Line_Reader::read_line() {
  if (fill(1) == 0) throw Failure("cannot read " + quoted(file_.path()) + ": end of file");
  Line_Text line;
  for (;;) {
    const std::string_view rest = std::string_view(buffer_).substr(next_);
    const std::size_t end = rest.find('\n');
    if (end != std::string_view::npos) {
      line.append(rest.substr(0, end));
      next_ += end + 1;
      if (fill(1) > 0 && buffer_[next_] == '\f') ++next_;
      return line;
    }
    line.append(rest);
    next_ = buffer_.size();
    if (fill(1) == 0) return line;
  }
}

}  // namespace adaskel
