#include "common/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/failure.h"
#include "fake_platform.h"

namespace adaskel {
namespace {

using Lines = std::vector<std::string>;

// Every line of `text`, read as the program reads a file: while not at end.
Lines read_all(const std::string& text) {
  testing::Fake_Platform platform;  // hands the text out three bytes at a time
  platform.files["f"] = text;
  const auto file = platform.open_for_reading("f");
  Line_Reader reader(*file);
  Lines lines;
  while (!reader.at_end()) lines.push_back(reader.read_line());
  return lines;
}

TEST(LineReader, FollowsTheLineRules) {
  using namespace std::string_literals;
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"\n", {}},
      {"\n\f", {}},
      {"\n\n", {""}},
      {"\n\n\n", {"", ""}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\nb", {"a", "b"}},
      {"a\n\n", {"a"}},
      {"a\n\n\n", {"a", ""}},
      {"a\n\n\f", {"a"}},
      {"a\r\nb\r\n", {"a\r", "b\r"}},
      {"a\r", {"a\r"}},
      {"a\n\fb\n", {"a", "b"}},
      {"a\n\f\nb", {"a", "", "b"}},
      {"a\n\f", {"a"}},
      {"a\n\f\f", {"a", "\f"}},
      {"\fa\n", {"\fa"}},
      {"a\fb\n", {"a\fb"}},
      {"a\0b\n\0"s, {"a\0b"s, "\0"s}},
      {"\xE9t\xE9\n", {"\xE9t\xE9"}},
  };
  for (const auto& c : cases) EXPECT_EQ(read_all(c.text), c.lines) << ::testing::PrintToString(c.text);
}

TEST(LineReader, ReadsLinesOfAnyLength) {
  const std::string long_line(3'000'000, 'x');
  EXPECT_EQ(read_all(long_line + "\n" + long_line), (Lines{long_line, long_line}));
}

TEST(LineReader, ReadingWhenNothingRemainsIsEndOfInput) {
  testing::Fake_Platform platform;
  platform.files["f"] = "\n";
  const auto file = platform.open_for_reading("f");
  Line_Reader reader(*file);
  EXPECT_EQ(reader.read_line(), "");  // at end, yet a line feed remains to be read
  EXPECT_THROW(reader.read_line(), Failure);
}

}  // namespace
}  // namespace adaskel
