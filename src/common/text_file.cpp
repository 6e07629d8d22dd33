#include "common/text_file.h"

#include <utility>

namespace adaskel {
namespace {
// Large enough for any file but a main procedure with thousands of packages.
constexpr std::size_t flush_size = 64 * 1024;
}  // namespace

Text_File::Text_File(std::unique_ptr<Output_File> file) : file_(std::move(file)) {}

Text_File::~Text_File() {
  if (closed_ || pending_.empty()) return;
  try {
    file_->write(pending_);
  } catch (...) {
    // The failure that is unwinding is the one to report.
  }
}

void Text_File::write_line(std::initializer_list<std::string_view> pieces) {
  for (const std::string_view piece : pieces) pending_ += piece;
  pending_ += '\n';
  if (pending_.size() >= flush_size) flush();
}

void Text_File::flush() {
  // Taken out first, so that a failed write is not tried again on unwinding.
  const std::string text = std::exchange(pending_, {});
  file_->write(text);
}

void Text_File::close() {
  closed_ = true;
  if (!pending_.empty()) flush();
  file_->close();
}

}  // namespace adaskel
