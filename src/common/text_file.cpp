// SPDX-License-Identifier: GPL-2.0-or-later
#include "common/text_file.h"

#include <new>
#include <numeric>

#include "common/failure.h"

namespace adaskel {

Text_File::~Text_File() {
  if (closed_) return;
  try {
    file_->write(pending_);
  } catch (...) {
    // The failure that is unwinding is the one to report.
  }
}

void Text_File::write_line(std::initializer_list<std::string_view> pieces) {
  const std::size_t size =
      std::accumulate(pieces.begin(), pieces.end(), pending_.size() + 1,
                      [](std::size_t sum, std::string_view piece) { return sum + piece.size(); });
  // All the memory first, so that a line is added whole or not at all.
  try {
    pending_.reserve(size);
  } catch (const std::bad_alloc&) {
    throw_failure("cannot complete", path(), "out of memory");
  }
  for (const std::string_view piece : pieces) pending_ += piece;
  pending_ += '\n';
}

void Text_File::close() {
  // Marked first, so that a failed write is not tried again on unwinding.
  closed_ = true;
  file_->write(pending_);
  file_->close();
}

}  // namespace adaskel
