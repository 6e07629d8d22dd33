// SPDX-License-Identifier: GPL-2.0-or-later
#include "common/failure.h"

namespace adaskel {

std::string quoted(std::string_view path) {
  std::string text;
  text.reserve(path.size() + 2);
  text += '"';
  text += path;
  text += '"';
  return text;
}

std::string escaped(std::string_view text) {
  constexpr char hex[] = "0123456789abcdef";
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte != 127 && c != '\\') {
      shown += c;
      continue;
    }
    shown += '\\';
    switch (c) {
      case '\\': shown += '\\'; break;
      case '\0': shown += '0'; break;
      case '\t': shown += 't'; break;
      case '\n': shown += 'n'; break;
      case '\r': shown += 'r'; break;
      default: shown += {'x', hex[byte >> 4], hex[byte & 15]};
    }
  }
  return shown;
}

void throw_failure(std::string_view what, std::string_view path, std::string_view reason) {
  std::string message(what);
  message += ' ';
  message += quoted(path);
  message += ": ";
  message += reason;
  throw Failure(message);
}

}  // namespace adaskel
