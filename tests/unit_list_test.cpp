#include <gtest/gtest.h>

#include <string>

#include "common/failure.h"
#include "common/string_set.h"
#include "fake_platform.h"
#include "unitlist/unit_name.h"
#include "unitlist/unit_tables.h"

namespace adaskel::unitlist {
namespace {

TEST(ToFilename, DerivesUnitNames) {
  const struct {
    std::string line, name;
  } cases[] = {
      {"main", "Main"},       {"my-unit", "My.Unit"},   {"a-b-c", "A.B.C"},
      {"text_io", "Text_io"}, {"my unit", "My unit"},   {"ABC-def", "ABC.Def"},
      {"my-UNIT", "My.UNIT"}, {"2nd-part", "2nd.Part"}, {"a.b-c", "A.b.C"},
      {"a--b", "A..B"},       {"-abc", ".Abc"},         {"a---b", "A...B"},
      {"x", "X"},             {"a-b\r", "A.B\r"},       {"\xE9-\xE0", "\xC9.\xC0"},
      {"\xDF-\xFF", "\xDF.\xFF"}, {"\xF7-\xFE-\xF8", "\xF7.\xDE.\xD8"}, {"z-{", "Z.{"},
  };
  for (const auto& c : cases) {
    std::string text = c.line;
    to_filename(text);
    EXPECT_EQ(text, c.name) << c.line;
  }
}

TEST(ToFilename, FailsOnEmptyTextsAndTrailingHyphens) {
  for (const char* line : {"", "unit-", "-", "a--", "a-b-"}) {
    std::string text = line;
    EXPECT_THROW(to_filename(text), Failure) << line;
  }
}

TEST(ToFilename, IsLinearInTheLength) {
  std::string text;
  for (int i = 0; i < 500'000; ++i) text += "a-";
  text += 'a';
  to_filename(text);  // a quadratic search would take minutes here
  EXPECT_EQ(text.substr(0, 6), "A.A.A.");
  EXPECT_EQ(text.find('-'), std::string::npos);
}

TEST(UnitTables, CapacityIsTestedBeforeTheExtraLineIsRead) {
  const struct {
    std::string list;
    std::int32_t max_lines;
    std::int32_t lines;  // -1: the read fails
  } cases[] = {
      {"a\nb\n", 2, 2},   {"a\nb", 2, 2}, {"a\nb\n\n", 2, 2}, {"a\nb\n\n\n", 2, -1},
      {"a\nb\nc", 2, -1}, {"", 1, 0},     {"\n", 1, 0},        {"a\n\fb", 2, 2},
  };
  for (const auto& c : cases) {
    testing::Fake_Platform platform;
    platform.files["list"] = c.list;
    Unit_Tables tables(c.max_lines);
    if (c.lines < 0) {
      EXPECT_THROW(read_unit_list(platform, "list", tables), Failure) << c.list;
      EXPECT_EQ(tables.line_count, c.max_lines) << c.list;
    } else {
      read_unit_list(platform, "list", tables);
      EXPECT_EQ(tables.line_count, c.lines) << c.list;
    }
  }
}

TEST(UnitTables, CopiesAndDerivesFromLineTwoOn) {
  testing::Fake_Platform platform;
  platform.files["list"] = "my-top\nmy-main\nmy-unit\n";
  Unit_Tables tables(2147483647);
  read_unit_list(platform, "list", tables);
  copy_unit_names(tables);
  derive_unit_names(tables);
  EXPECT_EQ(tables.unit_lines.at(3), "my-unit");
  EXPECT_EQ(tables.unit_names.at(2), "My.Main");
  EXPECT_EQ(tables.unit_names.at(3), "My.Unit");
  EXPECT_FALSE(tables.unit_names.contains(1));
  EXPECT_FALSE(tables.unit_lines.contains(4));
  EXPECT_FALSE(tables.unit_lines.contains(2147483647));
}

TEST(StringSet, ChecksEveryIndexAndPresence) {
  String_Set set("set", 3);
  set.store(2, "two");
  EXPECT_EQ(set.at(2), "two");
  EXPECT_FALSE(set.contains(3));
  EXPECT_THROW(set.at(1), Failure);
  EXPECT_THROW(set.at(3), Failure);
  EXPECT_THROW(set.store(0, "x"), Failure);
  EXPECT_THROW(set.store(4, "x"), Failure);
  EXPECT_THROW(set.contains(-1), Failure);
  EXPECT_THROW(String_Set("empty", 0), Failure);
}

}  // namespace
}  // namespace adaskel::unitlist
