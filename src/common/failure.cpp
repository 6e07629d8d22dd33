// SPDX-License-Identifier: GPL-2.0-or-later
#include "common/failure.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace adaskel {
namespace {

// The characters that change how a line is shown without being ASCII
// controls: the C1 controls, the line and paragraph separators, and every
// invisible format character (Unicode's category Cf and the other default
// ignorables), among them the bidirectional controls, which would show a
// value in an order other than its bytes. Shown as their bytes, they can
// neither rearrange a diagnostic nor make two values look the same.
constexpr std::pair<char32_t, char32_t> hidden[] = {
    {0x80, 0x9f},       {0xad, 0xad},       {0x34f, 0x34f},     {0x600, 0x605},
    {0x61c, 0x61c},     {0x6dd, 0x6dd},     {0x70f, 0x70f},     {0x890, 0x891},
    {0x8e2, 0x8e2},     {0x115f, 0x1160},   {0x17b4, 0x17b5},   {0x180b, 0x180f},
    {0x200b, 0x200f},   {0x2028, 0x202e},   {0x2060, 0x206f},   {0x3164, 0x3164},
    {0xfe00, 0xfe0f},   {0xfeff, 0xfeff},   {0xffa0, 0xffa0},   {0xfff0, 0xfffb},
    {0x110bd, 0x110bd}, {0x110cd, 0x110cd}, {0x13430, 0x1343f}, {0x1bca0, 0x1bca3},
    {0x1d173, 0x1d17a}, {0xe0000, 0xe0fff},
};

// The length of the character that `rest` starts with when it is printable
// ASCII or a valid UTF-8 sequence of a character not hidden; 0 when its
// first byte has to be escaped.
std::size_t character_length(std::string_view rest) {
  const auto byte = [rest](std::size_t i) { return static_cast<unsigned char>(rest[i]); };
  const unsigned lead = byte(0);
  if (lead < 0x80) return lead >= 0x20 && lead != 0x7f ? 1 : 0;
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
  const bool is_hidden = std::any_of(std::begin(hidden), std::end(hidden), [point](auto range) {
    return point >= range.first && point <= range.second;
  });
  return is_hidden ? 0 : length;
}

// Appends the shown form of the character or byte that `rest` starts with;
// returns how many bytes of `rest` it took.
std::size_t show(std::string& shown, std::string_view rest) {
  const std::size_t length = character_length(rest);
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

}  // namespace

std::string escaped(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) i += show(shown, text.substr(i));
  return shown;
}

std::string quoted(std::string_view value) {
  constexpr std::size_t most = 1024, part = 500;
  const std::string whole = escaped(value);
  if (whole.size() <= most) return '"' + whole + '"';
  // The first characters whose shown form fits in `part` bytes...
  std::string head;
  std::size_t first_end = 0;
  for (;;) {
    std::string next;
    const std::size_t taken = show(next, value.substr(first_end));
    if (head.size() + next.size() > part) break;
    head += next;
    first_end += taken;
  }
  // ...and the last ones: from `part` bytes before the end, less characters
  // (or stray bytes of one cut there) from the front while they show longer.
  std::size_t last_start = std::max(first_end, value.size() - std::min(value.size(), part));
  std::string tail = escaped(value.substr(last_start));
  while (tail.size() > part) {
    std::string dropped;
    last_start += show(dropped, value.substr(last_start));
    tail.erase(0, dropped.size());
  }
  return '"' + head + "\"...(" + std::to_string(last_start - first_end) + " bytes)...\"" + tail +
         '"';
}

void throw_failure(std::string_view what, std::string_view value, std::string_view reason) {
  throw Failure(std::string(what) + ' ' + quoted(value) + ": " + escaped(reason));
}

void throw_stream_failure(std::string_view what, std::string_view stream, std::string_view reason) {
  throw Failure(std::string(what) + ' ' + std::string(stream) + ": " + escaped(reason));
}

}  // namespace adaskel
