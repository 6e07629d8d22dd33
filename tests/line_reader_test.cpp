#include "common/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/failure.h"
#include "memory_file.h"

namespace adaskel {
namespace {

using Lines = std::vector<std::string>;

Lines read_all(const std::string& text) {
  testing::Memory_Input file(text);
  Line_Reader reader(file);
  Lines lines;
  while (!reader.at_end()) lines.push_back(reader.read_line());
  return lines;
}

TEST(LineReader, FollowsTheLineRules) {
  using namespace std::string_literals;
  const std::pair<std::string, Lines> cases[] = {
      {"", {}}, {"\n", {}}, {"\n\f", {}}, {"\n\n", {""}}, {"\n\n\n", {"", ""}}, {"a", {"a"}},
      {"a\n", {"a"}}, {"a\nb", {"a", "b"}}, {"a\n\n", {"a"}}, {"a\n\n\n", {"a", ""}},
      {"a\n\n\f", {"a"}}, {"a\r\nb\r\n", {"a\r", "b\r"}}, {"a\n\fb\n", {"a", "b"}},
      {"a\n\f\nb", {"a", "", "b"}}, {"a\n\f", {"a"}}, {"a\n\f\f", {"a", "\f"}},
      {"\fa\n", {"\fa"}}, {"a\fb\n", {"a\fb"}}, {"a\0b\n\0"s, {"a\0b"s, "\0"s}},
  };
  for (const auto& [text, lines] : cases) EXPECT_EQ(read_all(text), lines) << ::testing::PrintToString(text);
  const std::string long_line(3'000'000, 'x');
  EXPECT_EQ(read_all(long_line + "\n" + long_line), (Lines{long_line, long_line}));
}

TEST(LineReader, ReadingWhenNothingRemainsIsEndOfInput) {
  testing::Memory_Input file("\n");
  Line_Reader reader(file);
  EXPECT_EQ(reader.read_line(), "");  // at end, yet a line feed remains to be read
  EXPECT_THROW(reader.read_line(), Failure);
}

}  // namespace
}  // namespace adaskel
