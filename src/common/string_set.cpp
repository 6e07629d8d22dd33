// SPDX-License-Identifier: GPL-2.0-or-later
#include "common/string_set.h"

#include <utility>

#include "common/failure.h"

namespace adaskel {

String_Set::String_Set(std::string name, std::int32_t size) : name_(std::move(name)), size_(size) {
  if (size_ < 1) throw Failure(name_ + ": a table needs at least one entry");
}

void String_Set::check_index(std::int32_t k) const {
  if (k < 1 || k > size_) {
    throw Failure(name_ + ": entry " + std::to_string(k) + " is outside 1 .. " +
                  std::to_string(size_));
  }
}

bool String_Set::contains(std::int32_t k) const {
  check_index(k);
  const auto position = static_cast<std::size_t>(k - 1);
  return position < entries_.size() && entries_[position].has_value();
}

const Line_Text& String_Set::at(std::int32_t k) const {
  if (!contains(k)) throw Failure(name_ + ": entry " + std::to_string(k) + " is absent");
  return *entries_[static_cast<std::size_t>(k - 1)];
}

Line_Text& String_Set::at(std::int32_t k) {
  return const_cast<Line_Text&>(std::as_const(*this).at(k));
}

void String_Set::store(std::int32_t k, Line_Text text) {
  check_index(k);
  const auto position = static_cast<std::size_t>(k - 1);
  if (position >= entries_.size()) entries_.resize(position + 1);
  entries_[position] = std::move(text);
}

}  // namespace adaskel
