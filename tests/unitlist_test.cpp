#include <gtest/gtest.h>

#include <string>

#include "common/failure.h"
#include "common/string_set.h"
#include "unitlist/unit_name.h"
#include "unitlist/whole_number.h"

namespace adaskel::unitlist {
namespace {

TEST(WholeNumber, ReadsTheSyntax) {
  const std::pair<std::string, std::int32_t> valid[] = {
      {"1", 1}, {"+5", 5}, {"-3", -3}, {"-0", 0}, {"007", 7}, {"  42  ", 42}, {"1_000", 1000},
      {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}, {"16#FF#", 255},
      {"16#ff#", 255}, {"16:FF:", 255}, {"2#1010#", 10}, {"1_6#F_F#", 255}, {"016#10#", 16},
      {"16#7FFF_FFFF#", 2147483647}, {"1E3", 1000}, {"1e+3", 1000}, {"2#1#E14", 16384},
      {"16#1#E2", 256}, {"1E0_3", 1000}, {"2E9", 2000000000}, {"0E99999999999999999999", 0},
      {std::string(1'000'000, '0') + "1", 1},
  };
  for (const auto& [text, value] : valid) EXPECT_EQ(to_whole_number(text), value) << text;
  const std::string invalid[] = {
      "", "   ", "+", "+-1", "- 1", "1 0", "\t1", "1\t", "_1", "1_", "1__0", "abc", "5x", "1.5",
      "0x10", "2147483648", "-2147483649", "16#8000_0000#", "16#FF:", "16#FF", "16##", "1#0#",
      "17#1#", "2#102#", "10#A#", "16#_F#", "16#F_#", "16 #FF#", "3E9", "2#1#E31", "1E-2",
      "1E-0", "1E", "1E+", "1E1_0", "1 E3", std::string(1'000'000, '9'),
      "1E" + std::string(1'000'000, '9'),
  };
  for (const auto& text : invalid) EXPECT_EQ(to_whole_number(text), std::nullopt) << text;
}

TEST(ToFilename, DerivesUnitNames) {
  const std::pair<std::string, std::string> cases[] = {
      {"main", "Main"}, {"my-unit", "My.Unit"}, {"text_io", "Text_io"}, {"my unit", "My unit"},
      {"ABC-def", "ABC.Def"}, {"my-UNIT", "My.UNIT"}, {"2nd-part", "2nd.Part"},
      {"a.b-c", "A.b.C"}, {"a--b", "A..B"}, {"-abc", ".Abc"}, {"a---b", "A...B"},
      {"\xE9-\xE0", "\xC9.\xC0"}, {"\xDF-\xFF", "\xDF.\xFF"}, {"\xF7-\xFE-\xF8", "\xF7.\xDE.\xD8"},
  };
  for (auto [text, name] : cases) {
    to_filename(text);
    EXPECT_EQ(text, name);
  }
  for (std::string text : {"", "unit-", "-", "a--"}) EXPECT_THROW(to_filename(text), Failure) << text;
  std::string hyphens;
  for (int i = 0; i < 500'000; ++i) hyphens += "a-";
  to_filename(hyphens += 'a');  // a search from the start after each '-' would take minutes
  EXPECT_EQ(hyphens.find('-'), std::string::npos);
}

TEST(StringSet, ChecksEveryIndexAndPresence) {
  String_Set set("set", 2147483647);  // no memory is taken for absent entries
  set.store(2, "two");
  EXPECT_EQ(set.at(2), "two");
  EXPECT_FALSE(set.contains(2147483647));
  EXPECT_THROW(set.at(1), Failure);
  EXPECT_THROW(set.store(0, "x"), Failure);
  EXPECT_THROW(String_Set("empty", 0), Failure);
}

}  // namespace
}  // namespace adaskel::unitlist
