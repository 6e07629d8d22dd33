// SPDX-License-Identifier: GPL-2.0-or-later
#include "unitlist/unit_name.h"

#include "common/failure.h"

namespace adaskel::unitlist {
namespace {

char latin1_upper(char c) {
  const auto byte = static_cast<unsigned char>(c);
  const bool lower = (byte >= 'a' && byte <= 'z') || (byte >= 224 && byte <= 254 && byte != 247);
  return lower ? static_cast<char>(byte - 32) : c;
}

}  // namespace

void to_filename(Line_Text& text, std::string_view file, std::int32_t line) {
  if (text.empty() || text.back() == '-') {
    const std::string where = std::string(file) + ':' + std::to_string(line) + ": ";
    if (text.empty()) throw Failure(where + "the unit list has an empty line after its first line");
    throw Failure(where + "the unit list line " + quoted(text) + " ends in '-'");
  }
  text.front() = latin1_upper(text.front());
  // One pass, left to right: upper-casing never makes a '-', so each '-' is
  // met in the order a search from the start would find it.
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '-') {
      text[i] = '.';
      text[i + 1] = latin1_upper(text[i + 1]);
    }
  }
}

}  // namespace adaskel::unitlist
