// SPDX-License-Identifier: GPL-2.0-or-later
#include "common/failure.h"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <span>
#include <utility>

#include "common/character_tables.h"

namespace adaskel {
namespace {

using Ranges = std::span<const std::pair<char32_t, char32_t>>;

// Whether `point` lies in one of the sorted, disjoint `ranges`.
bool listed(Ranges ranges, char32_t point) {
  // The first range that starts after `point`; only the one before it can hold it.
  const auto after =
      std::upper_bound(ranges.begin(), ranges.end(), point,
                       [](char32_t p, const auto& range) { return p < range.first; });
  return after != ranges.begin() && point <= std::prev(after)->second;
}

// The length of the character that `rest` starts with when it is a valid
// UTF-8 sequence of a character shown as it is; 0 when its first byte has to
// be escaped. A mark that joins the character before it is escaped as the
// `first` character of a text, where it would sit on the opening quote.
std::size_t character_length(std::string_view rest, bool first) {
  const auto byte = [rest](std::size_t i) { return static_cast<unsigned char>(rest[i]); };
  const unsigned lead = byte(0);
  if (lead < 0x80) return listed(hidden_characters, lead) ? 0 : 1;
  // The second byte's range narrows after some leads, which keeps out
  // overlong forms, surrogates and code points above U+10FFFF.
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xbf;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;
    if (lead == 0xed) high = 0x9f;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;
    if (lead == 0xf4) high = 0x8f;
  }
  if (length == 0 || rest.size() < length || byte(1) < low || byte(1) > high) return 0;
  auto point = static_cast<char32_t>(lead & (0x7fU >> length));
  for (std::size_t i = 1; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xbf) return 0;
    point = point << 6 | (byte(i) & 0x3fU);
  }
  if (listed(hidden_characters, point)) return 0;
  return first && listed(grapheme_extenders, point) ? 0 : length;
}

// Appends the shown form of the character or byte that `rest` starts with,
// the `first` of its text or not; returns how many bytes of `rest` it took.
std::size_t show(std::string& shown, std::string_view rest, bool first) {
  const std::size_t length = character_length(rest, first);
  const char c = rest[0];
  if (length > 0) {
    if (c == '\\' || c == '"') shown += '\\';
    shown.append(rest.substr(0, length));
    return length;
  }
  constexpr char hex[] = "0123456789abcdef";
  const auto byte = static_cast<unsigned char>(c);
  shown += '\\';
  switch (c) {
    case '\0': shown += '0'; break;
    case '\t': shown += 't'; break;
    case '\n': shown += 'n'; break;
    case '\r': shown += 'r'; break;
    default: shown += {'x', hex[byte >> 4], hex[byte & 15]};
  }
  return 1;
}

constexpr std::size_t most = 1024, part = 500;

// The value of `size` bytes whose first min(size, most) bytes are `front` and
// whose last min(size, part) are `back`, quoted. Only what is shown is
// escaped, so the cost is bounded whatever the size.
std::string quoted_ends(std::string_view front, std::string_view back, std::size_t size) {
  if (size <= most) {
    const std::string whole = escaped(front);
    if (whole.size() <= most) return '"' + whole + '"';
  }
  // The first characters whose shown form fits in `part` bytes...
  std::string head;
  std::size_t first_end = 0;
  while (first_end < front.size()) {
    std::string next;
    const std::size_t taken = show(next, front.substr(first_end), first_end == 0);
    if (head.size() + next.size() > part) break;
    head += next;
    first_end += taken;
  }
  // ...and the last ones: from `part` bytes before the end, less characters
  // (or stray bytes of one cut there) from the front while they show longer.
  // They follow a quote too, so they are escaped as a text of their own.
  std::size_t start = back.size() - std::min(back.size(), size - first_end);
  std::string tail = escaped(back.substr(start));
  while (tail.size() > part) {
    std::string dropped;
    start += show(dropped, back.substr(start), false);
    tail = escaped(back.substr(start));
  }
  const std::size_t left_out = size - first_end - (back.size() - start);
  return '"' + head + "\"...(" + std::to_string(left_out) + " bytes)...\"" + tail + '"';
}

}  // namespace

std::string escaped(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) i += show(shown, text.substr(i), i == 0);
  return shown;
}

std::string quoted(std::string_view value) {
  const std::size_t size = value.size();
  return quoted_ends(value.substr(0, most), value.substr(size - std::min(size, part)), size);
}

std::string quoted_joined(std::initializer_list<std::string_view> pieces) {
  const std::size_t size =
      std::accumulate(pieces.begin(), pieces.end(), std::size_t{0},
                      [](std::size_t sum, std::string_view piece) { return sum + piece.size(); });
  // The first `count` bytes of the pieces joined, or the last.
  const auto ends = [pieces](std::size_t count, bool last) {
    std::string bytes;
    for (std::size_t i = 0; i < pieces.size() && bytes.size() < count; ++i) {
      const std::string_view piece = pieces.begin()[last ? pieces.size() - 1 - i : i];
      const std::size_t taken = std::min(piece.size(), count - bytes.size());
      if (last) {
        bytes.insert(0, piece.substr(piece.size() - taken));
      } else {
        bytes.append(piece.substr(0, taken));
      }
    }
    return bytes;
  };
  return quoted_ends(ends(most, false), ends(part, true), size);
}

std::string file_before_line(std::string_view file) {
  const bool plain = file.size() <= most && file.find(':') == std::string_view::npos &&
                     !file.starts_with(' ') && !file.ends_with(' ') && escaped(file) == file;
  return plain ? std::string(file) : quoted(file);
}

void throw_failure(std::string_view what, std::string_view value, std::string_view reason) {
  throw Failure(std::string(what) + ' ' + quoted(value) + ": " + escaped(reason));
}

void throw_stream_failure(std::string_view what, std::string_view stream, std::string_view reason) {
  throw Failure(std::string(what) + ' ' + std::string(stream) + ": " + escaped(reason));
}

}  // namespace adaskel
