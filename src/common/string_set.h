// SPDX-License-Identifier: GPL-2.0-or-later
// Fixed-size tables of line texts, indexed from 1, as the run keeps the
// licence text and the unit list. Every index and every presence is checked;
// a failed check throws Failure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace adaskel {

// A line as a text file or standard input yields it, without its line end:
// 8-bit bytes, never re-encoded, possibly empty, possibly holding NUL bytes.
using Line_Text = std::string;

// The entries of a table, each absent or holding its own text. Entry k sits
// at position k - 1; entries past the last one stored are absent and take no
// memory, so a table may be sized for 2147483647 entries and filled with four.
using String_Array = std::vector<std::optional<Line_Text>>;

class String_Set {
 public:
  // A table of `size` entries (at least 1), all absent. `name` is used in
  // diagnostics only.
  String_Set(std::string name, std::int32_t size);

  std::int32_t size() const { return size_; }

  // Whether entry k is present. Fails when k is outside 1 .. size.
  bool contains(std::int32_t k) const;

  // The text of entry k. Fails when k is outside 1 .. size or entry k is absent.
  const Line_Text& at(std::int32_t k) const;
  Line_Text& at(std::int32_t k);

  // Makes entry k hold `text`. Fails when k is outside 1 .. size.
  void store(std::int32_t k, Line_Text text);

 private:
  void check_index(std::int32_t k) const;

  std::string name_;
  std::int32_t size_;
  String_Array entries_;
};

}  // namespace adaskel
