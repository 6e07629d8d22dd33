#include "unitlist/whole_number.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace adaskel::unitlist {
namespace {

TEST(WholeNumber, ReadsTheSyntax) {
  constexpr std::optional<std::int32_t> invalid;
  const struct {
    std::string text;
    std::optional<std::int32_t> value;
  } cases[] = {
      // Decimal numerals, signs and blanks.
      {"1", 1}, {"+5", 5}, {"-3", -3}, {"-0", 0}, {"0", 0}, {"007", 7},
      {"  42  ", 42}, {" +1", 1}, {"1_000", 1000}, {"1_2_3", 123},
      {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
      {"2147483648", invalid}, {"-2147483649", invalid},
      {"99999999999999999999999999999999", invalid},
      {"", invalid}, {"   ", invalid}, {"+", invalid}, {"-", invalid}, {"+-1", invalid},
      {"- 1", invalid}, {"1 0", invalid}, {"\t1", invalid}, {"1\t", invalid}, {"1\n", invalid},
      {"_1", invalid}, {"1_", invalid}, {"1__0", invalid}, {"abc", invalid}, {"5x", invalid},
      {"1.5", invalid}, {"1.0", invalid}, {"0x10", invalid}, {"１", invalid},
      // Based numerals.
      {"16#FF#", 255}, {"16#ff#", 255}, {"16:FF:", 255}, {"2#1010#", 10}, {"8#777#", 511},
      {"1_6#F_F#", 255}, {"016#10#", 16}, {"16#7FFF_FFFF#", 2147483647},
      {"-16#8000_0000#", -2147483647 - 1}, {"16#8000_0000#", invalid},
      {"16#FF:", invalid}, {"16:FF#", invalid}, {"16#FF", invalid}, {"16##", invalid},
      {"1#0#", invalid}, {"17#1#", invalid}, {"0#0#", invalid}, {"2#102#", invalid},
      {"10#A#", invalid}, {"16#G#", invalid}, {"16#_F#", invalid}, {"16#F_#", invalid},
      {"#FF#", invalid}, {"16 #FF#", invalid}, {"16# FF#", invalid},
      // Exponents.
      {"1E3", 1000}, {"1e3", 1000}, {"1E+3", 1000}, {"1E0", 1}, {"2#1#E14", 16384},
      {"16#1#E2", 256}, {"0E999999999999999999", 0}, {"2E9", 2000000000}, {"3E9", invalid},
      {"1E99999999999999999999", invalid}, {"2#1#E31", invalid}, {"2#1#E30", 1073741824},
      {"1E-2", invalid}, {"1E-0", invalid}, {"1E", invalid}, {"1E+", invalid},
      {"1E1_0", invalid}, {"1E0_3", 1000}, {"1E3 ", 1000}, {"1 E3", invalid}, {"1.5E3", invalid},
  };
  for (const auto& c : cases) EXPECT_EQ(to_whole_number(c.text), c.value) << '"' << c.text << '"';
}

TEST(WholeNumber, AnswersLongInputsAtOnce) {
  EXPECT_EQ(to_whole_number(std::string(1'000'000, '0') + "1"), 1);
  EXPECT_EQ(to_whole_number(std::string(1'000'000, '9')), std::nullopt);
  EXPECT_EQ(to_whole_number("1E" + std::string(1'000'000, '9')), std::nullopt);
}

}  // namespace
}  // namespace adaskel::unitlist
