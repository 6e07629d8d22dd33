// to_whole_number: any input must obey the character, case and '#'/':' rules;
// numerals built from the input are checked against values worked out here.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "unitlist/whole_number.h"

namespace {

using adaskel::unitlist::to_whole_number;
using Result = std::optional<std::int32_t>;

constexpr std::uint64_t cap = std::uint64_t{1} << 40;  // above every 32-bit magnitude
constexpr std::string_view hex = "0123456789abcdef";

void check(bool ok) {
  if (!ok) __builtin_trap();
}

std::string digits_of(const std::string& bytes, unsigned base) {
  std::string out;
  for (const char c : bytes) out += hex[static_cast<unsigned char>(c) % base];
  return out;
}

std::string stripped(const std::string& d) {
  return d.substr(std::min(d.find_first_not_of('0'), d.size()));
}

// A signed decimal numeral, by comparing its digits with the range's limits.
Result decimal_value(const std::string& digits, bool negative) {
  const std::string m = stripped(digits), limit = negative ? "2147483648" : "2147483647";
  if (m.size() > limit.size() || (m.size() == limit.size() && m > limit)) return std::nullopt;
  const std::int64_t value = m.empty() ? 0 : std::stoll(m);
  return static_cast<std::int32_t>(negative ? -value : value);
}

// magnitude * base^n with its sign; magnitudes stop growing at the cap.
Result scaled_value(std::uint64_t magnitude, std::uint64_t base, std::uint64_t n, bool negative) {
  for (; n > 0 && magnitude != 0 && magnitude < cap; --n) magnitude *= base;
  if (magnitude > (negative ? 2147483648u : 2147483647u)) return std::nullopt;
  const auto value = static_cast<std::int64_t>(magnitude);
  return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string raw(reinterpret_cast<const char*>(data), size);
  const Result result = to_whole_number(raw);
  if (raw.find_first_not_of("0123456789abcdefABCDEF#:_+- ") != std::string::npos) check(!result);
  std::string changed = raw;
  for (char& c : changed) c = c >= 'a' && c <= 'f' ? static_cast<char>(c - 32) : c;
  check(to_whole_number(changed) == result);
  if (raw.find(':') == std::string::npos) {
    changed = raw;
    std::replace(changed.begin(), changed.end(), '#', ':');
    check(to_whole_number(changed) == result);
  }

  // Decimal numerals with blanks, a sign and single underscores between digits.
  FuzzedDataProvider in(data, size);
  const std::string before(in.ConsumeIntegralInRange<std::size_t>(0, 2), ' '), after = " ";
  const std::string sign = in.PickValueInArray({"", "+", "-"});
  const bool negative = sign == "-";
  const std::string digits = digits_of(in.ConsumeRandomLengthString(40), 10);
  const Result value = digits.empty() ? std::nullopt : decimal_value(digits, negative);
  check(to_whole_number(before + sign + digits + after) == value);
  std::string underscored;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    underscored += digits[i];
    if (i + 1 < digits.size() && in.ConsumeBool()) underscored += '_';
  }
  check(to_whole_number(sign + underscored) == value);
  if (!digits.empty()) check(!to_whole_number(digits + "_") && !to_whole_number("_" + digits));
  if (digits.size() > 1) check(!to_whole_number(digits.substr(0, 1) + "__" + digits.substr(1)));

  // Exponents: the value times 10^n, for any digit count and any exponent.
  const std::string exponent = digits_of(in.ConsumeRandomLengthString(24), 10);
  const std::string e = in.PickValueInArray({"E", "e", "E+", "e+"});
  Result expected;
  if (!digits.empty() && !exponent.empty()) {
    const std::string m = stripped(digits), n = stripped(exponent);
    expected = scaled_value(m.size() > 12 ? cap : std::stoull("0" + m), 10,
                            n.size() > 4 ? 99999 : std::stoull("0" + n), negative);
  }
  check(to_whole_number(sign + digits + e + exponent + after) == expected);

  // Based numerals, with a small exponent.
  const auto base = in.ConsumeIntegralInRange<std::uint64_t>(2, 16);
  const auto based = digits_of(in.ConsumeRandomLengthString(40), static_cast<unsigned>(base));
  const auto power = in.ConsumeIntegralInRange<std::uint64_t>(0, 40);
  const std::string mark = in.ConsumeBool() ? "#" : ":";
  std::uint64_t magnitude = 0;
  for (const char c : based) magnitude = std::min(magnitude * base + hex.find(c), cap);
  expected = based.empty() ? std::nullopt : scaled_value(magnitude, base, power, negative);
  const std::string numeral = std::to_string(base) + mark + based + mark;
  check(to_whole_number(before + sign + numeral + "E" + std::to_string(power)) == expected);
  return 0;
}
