// SPDX-License-Identifier: GPL-2.0-or-later
#include "unitlist/whole_number.h"

#include <algorithm>

namespace adaskel::unitlist {
namespace {

// Magnitudes are kept saturated at a bound that no 32-bit value of either
// sign reaches, so long digit strings and large exponents cannot overflow.
constexpr std::uint64_t too_big = std::uint64_t{1} << 32;

std::uint64_t saturated(std::uint64_t value) { return std::min(value, too_big); }

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  bool at_end() const { return next_ == text_.size(); }
  char peek() const { return at_end() ? '\0' : text_[next_]; }
  bool take(char wanted) {
    if (at_end() || text_[next_] != wanted) return false;
    ++next_;
    return true;
  }
  void skip_spaces() {
    while (take(' ')) {
    }
  }

  // Digits below `base` with single underscores between them (rules 2, 3).
  std::optional<std::uint64_t> numeral(unsigned base) {
    std::uint64_t value = 0;
    do {
      // A digit starts the numeral and follows every underscore.
      if (digit_value(peek()) >= base) return std::nullopt;
      while (digit_value(peek()) < base) {
        value = saturated(value * base + digit_value(text_[next_++]));
      }
    } while (take('_'));
    return value;
  }

 private:
  static unsigned digit_value(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return 16;
  }

  std::string_view text_;
  std::size_t next_ = 0;
};

std::uint64_t scaled(std::uint64_t value, std::uint64_t base, std::uint64_t exponent) {
  // A non-zero value passes the bound within 33 steps, whatever the exponent.
  for (std::uint64_t i = 0; i < exponent && value != 0 && value < too_big; ++i) {
    value = saturated(value * base);
  }
  return value;
}

}  // namespace

std::optional<std::int32_t> to_whole_number(std::string_view text) {
  Scanner scan(text);
  scan.skip_spaces();
  const bool negative = scan.take('-');
  if (!negative) scan.take('+');

  auto value = scan.numeral(10);
  if (!value) return std::nullopt;
  std::uint64_t base = 10;
  const char delimiter = scan.peek();
  if (delimiter == '#' || delimiter == ':') {
    scan.take(delimiter);
    base = *value;
    if (base < 2 || base > 16) return std::nullopt;
    value = scan.numeral(static_cast<unsigned>(base));
    if (!value || !scan.take(delimiter)) return std::nullopt;
  }
  if (scan.take('E') || scan.take('e')) {
    scan.take('+');
    const auto exponent = scan.numeral(10);
    if (!exponent) return std::nullopt;
    value = scaled(*value, base, *exponent);
  }
  scan.skip_spaces();
  if (!scan.at_end()) return std::nullopt;

  constexpr std::uint64_t most_negative = std::uint64_t{1} << 31;
  if (negative) {
    if (*value > most_negative) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(*value));
  }
  if (*value >= most_negative) return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

}  // namespace adaskel::unitlist
