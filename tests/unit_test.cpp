// SPDX-License-Identifier: GPL-2.0-or-later
// The rules that are easy to get wrong, in-process and on every platform:
// the line reader, the argument-2 syntax, unit names, tables and how a
// diagnostic shows a value.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "common/failure.h"
#include "common/line_reader.h"
#include "driver/start_image.h"
#include "unitlist/unit_name.h"
#include "unitlist/whole_number.h"

namespace adaskel {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;
using Sizes = std::vector<std::size_t>;

// A file that hands out its text in reads of the given sizes, in turn.
class Memory_Input final : public Input_File {
 public:
  Memory_Input(std::string text, Sizes chunks)
      : text_(std::move(text)), chunks_(std::move(chunks)) {}
  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t count =
        text_.copy(buffer, std::min(size, chunks_[reads_++ % chunks_.size()]), next_);
    next_ += count;
    return count;
  }
  const std::string& path() const override { return path_; }

 private:
  std::string text_, path_ = "memory";
  Sizes chunks_;
  std::size_t next_ = 0, reads_ = 0;
};

// `point` in UTF-8.
std::string utf8(char32_t point) {
  if (point < 0x80) return std::string(1, static_cast<char>(point));
  const std::size_t length = point < 0x800 ? 2 : point < 0x10000 ? 3 : 4;
  std::string bytes(length, '\0');
  for (std::size_t i = length - 1; i > 0; --i, point >>= 6) bytes[i] = char(0x80 | (point & 0x3f));
  bytes[0] = char((0xf00 >> length) | point);
  return bytes;
}

TEST(LineReader, FollowsTheLineRules) {
  const std::string long_line(3'000'000, 'x');
  // The numbers are those of the rules in line_reader.h.
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {.text = "", .lines = {}},
      {.text = "\n", .lines = {}},  // 3: a lone line feed is no line
      {.text = "\n\f", .lines = {}},
      {.text = "\n\n", .lines = {""}},
      {.text = "a", .lines = {"a"}},      // 1: the last line needs no line feed
      {.text = "a\n\n", .lines = {"a"}},  // 3: two line feeds end no empty line
      {.text = "a\n\n\n", .lines = {"a", ""}},
      {.text = "a\n\n\fb", .lines = {"a", "", "b"}},
      {.text = "a\r\nb\r\n", .lines = {"a\r", "b\r"}},  // 1: a carriage return stays
      {.text = "abc\n\fd\n", .lines = {"abc", "d"}},    // 2: the form feed is skipped
      {.text = "a\n\f\nb", .lines = {"a", "", "b"}},
      {.text = "a\n\f\f", .lines = {"a", "\f"}},  // 2: only one form feed
      {.text = "\fa\n", .lines = {"\fa"}},        // 2: only right after a line feed
      {.text = "a\0b\n\0"s, .lines = {"a\0b"s, "\0"s}},
      {.text = long_line + "\n" + long_line, .lines = {long_line, long_line}},
  };
  // Reads of one byte, of all at once, and of mixed sizes meet the rules at
  // every buffer boundary.
  for (const std::vector<std::size_t>& chunks : {Sizes{1}, Sizes{100'000}, Sizes{2, 7, 1, 3}}) {
    for (const auto& c : cases) {
      Memory_Input file(c.text, chunks);
      Line_Reader reader(file);
      Lines got;
      while (!reader.at_end()) got.push_back(reader.read_line());
      EXPECT_EQ(got, c.lines) << ::testing::PrintToString(c.text.substr(0, 9)) << " by "
                              << chunks[0];
    }
  }
  EXPECT_EQ(unfinished_line("a\nb\ncd"), 2u);  // what a failed write cuts off again
}

TEST(WholeNumber, ReadsTheSyntax) {
  const std::string long_zeros_1 = std::string(1'000'000, '0') + "1";
  const std::string long_exponent = "1E" + std::string(1'000'000, '9');
  const struct {
    std::int32_t value;
    std::vector<std::string> texts;
  } valid[] = {
      {.value = 1, .texts = {"1", long_zeros_1}},
      {.value = 5, .texts = {"+5"}},
      {.value = -3, .texts = {"-3"}},
      {.value = 0, .texts = {"-0", "0E99999999999999999999"}},
      {.value = 42, .texts = {"  42  "}},
      {.value = 10, .texts = {"2#1010#"}},
      {.value = 255, .texts = {"16#Ff#", "16:FF:", "1_6#F_F#"}},
      {.value = 1000, .texts = {"1_000", "1E3", "1e+3", "1E0_3"}},
      {.value = 16384, .texts = {"2#1#E14"}},
      {.value = 2147483647, .texts = {"2147483647", "16#7FFF_FFFF#"}},
      {.value = -2147483647 - 1, .texts = {"-2147483648"}},
  };
  // Each row breaks the rule of whole_number.h it names, or the range.
  const struct {
    std::string breaks;
    std::vector<std::string> texts;
  } invalid[] = {
      {.breaks = "rule 1, the blanks and signs",
       .texts = {"", "   ", "+", "+-1", "-+1", "- 1", "1 0", "\t1", "1\t", "5x", "1.5", "1 E3"}},
      {.breaks = "rule 2, the underscores", .texts = {"_1", "1_", "1__0"}},
      {.breaks = "rule 3, the based numerals",
       .texts = {"16#FF:", "16#FF", "16##", "1#0#", "17#1#", "2#102#", "10#A#", "16#_F#",
                 "16#F_#"}},
      {.breaks = "rule 4, the exponent", .texts = {"1E-2", "1E", "1E+"}},
      {.breaks = "the range of a signed 32-bit integer",
       .texts = {"2147483648", "-2147483649", "18446744073709551621", "16#8000_0000#", "3E9",
                 "2#1#E31", long_exponent}},
  };
  for (const auto& row : valid) {
    for (const auto& text : row.texts)
      EXPECT_EQ(unitlist::to_whole_number(text), row.value) << text;
  }
  for (const auto& row : invalid) {
    for (const auto& text : row.texts)
      EXPECT_EQ(unitlist::to_whole_number(text), std::nullopt) << row.breaks << ": " << text;
  }
}

TEST(UnitName, DerivesInPlaceOrFails) {
  const struct {
    std::string line, name;
  } cases[] = {
      {.line = "my-unit", .name = "My.Unit"},
      {.line = "text_io", .name = "Text_io"},  // nothing raised after '_', '.' or a blank
      {.line = "my unit", .name = "My unit"},
      {.line = "ABC-def", .name = "ABC.Def"},  // nothing lowered
      {.line = "a.b-c", .name = "A.b.C"},
      {.line = "a--b", .name = "A..B"},
      {.line = "-abc", .name = ".Abc"},
      {.line = "z-`-{", .name = "Z.`.{"},  // the bytes next to a-z
      // ISO 8859-1: 224-246 and 248-254 raised, 247 (division), 223 and 255 not.
      {.line = "\xE0-\xF6-\xF7-\xF8-\xFE", .name = "\xC0.\xD6.\xF7.\xD8.\xDE"},
      {.line = "\xDF-\xFF-\xDF", .name = "\xDF.\xFF.\xDF"},
  };
  for (const auto& c : cases) {
    Line_Text text = c.line;
    unitlist::to_filename(text, "l", 2);
    EXPECT_EQ(text, c.name) << c.line;
  }
  for (std::string text : {"", "unit-", "-", "a--"})
    EXPECT_THROW(unitlist::to_filename(text, "l", 3), Failure) << text;
}

TEST(StringSet, ChecksEveryIndexAndPresence) {
  String_Set set("set", 2147483647);  // no memory is taken for absent entries
  set.store(3, "three");
  EXPECT_EQ(set.at(3), "three");
  EXPECT_FALSE(set.contains(2147483647));
  EXPECT_THROW(set.at(1), Failure);  // absent
  EXPECT_THROW(String_Set("set", 3).contains(4), Failure);
  EXPECT_THROW(set.store(0, "x"), Failure);
  EXPECT_THROW(String_Set("empty", 0).size(), Failure);
}

// Shown as valid UTF-8 without a control character, quoted unambiguously,
// and a long value shortened in its middle.
TEST(Diagnostics, QuoteAnyBytesSafely) {
  const std::string x500(500, 'x');
  std::string e250, controls;  // 250 e acute, 125 escaped U+0001
  for (int i = 0; i < 250; ++i) e250 += "\xc3\xa9";
  for (int i = 0; i < 125; ++i) controls += "\\x01";
  // A mark that joins the character before it (U+0301) is escaped at the
  // start of a value and of its shown end, which follow a quote; elsewhere
  // it stays.
  const std::string mark = "\u0301", mark_bytes = R"(\xcc\x81)";
  const std::string marks = mark + mark + mark + mark;
  const struct {
    std::string value, shown;
  } cases[] = {
      {.value = "a\\b\"c", .shown = R"("a\\b\"c")"},
      {.value = "\t\n\r\0\x1b\x7f"s, .shown = R"("\t\n\r\0\x1b\x7f")"},
      {.value = std::string(1'000'000, 'x'),
       .shown = '"' + x500 + "\"...(999000 bytes)...\"" + x500 + '"'},
      {.value = e250 + e250 + e250 + "x",
       .shown = '"' + e250 + "\"...(502 bytes)...\"" + e250.substr(2) + "x\""},
      {.value = std::string(300, '\x01'),
       .shown = '"' + controls + "\"...(50 bytes)...\"" + controls + '"'},
      {.value =
           mark + "e" + mark + std::string(597, 'x') + marks + std::string(489, 'z') + "e" + mark,
       .shown = '"' + mark_bytes + "e" + mark + std::string(489, 'x') + "\"...(114 bytes)...\"" +
                mark_bytes + std::string(489, 'z') + "e" + mark + '"'},
  };
  for (const auto& c : cases) EXPECT_EQ(adaskel::quoted(c.value), c.shown) << c.shown.substr(0, 40);
  // The characters shown as bytes, class by class, and the characters just
  // outside them as they are.
  const std::string outside =
      // next to the spaces, the default ignorables, U+2800
      "~ \u00a1\u00ac\u00ae\u167f\u1681\u1ffe\u2010\u2027\u2030\u205e\u2070\u2ffb\u3001"
      "\u034e\u0350\u115e\u1161\u3163\u3165\uff9f\uffa1\ufdff\ufe10\u27ff\u2801"
      // next to private use, noncharacters, unassigned
      "\ud7fb\uf900\ufdcf\ufdf0\ufffd\U00010000\u0377\u037a\u038a\u038c"
      // Latin, Cyrillic, Greek, CJK, Hangul, Tangut, CJK new in Unicode 15
      "\u00c5\u0416\u03bb\u3400\u4dbf\u4e00\u65e5\u9fff\uac00\ud55c\ud7a3"
      "\U00017001\U00020000\U0002a6df\U000323af";
  EXPECT_EQ(adaskel::escaped(outside), outside);
  // Every character of each class shown as bytes: controls, spaces, separators,
  // U+2800; private use, noncharacters, unassigned; every default ignorable
  // block, bidirectional controls among them (ALM, LRM, RLM, LRE-RLO, LRI-PDI).
  const std::pair<char32_t, char32_t> hidden[] = {
      {0x1, 0x8},         {0xb, 0xc},          {0xe, 0x1f},        {0x7f, 0x9f},
      {0xa0, 0xa0},       {0x1680, 0x1680},    {0x2000, 0x200a},   {0x202f, 0x202f},
      {0x205f, 0x205f},   {0x3000, 0x3000},    {0x2028, 0x2029},   {0x2800, 0x2800},
      {0xe000, 0xf8ff},   {0xf0000, 0x10ffff}, {0xfdd0, 0xfdef},   {0xfffe, 0xffff},
      {0x1fffe, 0x1ffff}, {0x378, 0x379},      {0x38b, 0x38b},     {0xd7a4, 0xd7af},
      {0x2a6e0, 0x2a6ff}, {0x323b0, 0x323b0},  {0xad, 0xad},       {0x34f, 0x34f},
      {0x61c, 0x61c},     {0x115f, 0x1160},    {0x17b4, 0x17b5},   {0x180b, 0x180f},
      {0x200b, 0x200f},   {0x202a, 0x202e},    {0x2060, 0x206f},   {0x3164, 0x3164},
      {0xfe00, 0xfe0f},   {0xfeff, 0xfeff},    {0xffa0, 0xffa0},   {0xfff0, 0xfff8},
      {0x1bca0, 0x1bca3}, {0x1d173, 0x1d17a},  {0xe0000, 0xe0fff},
  };
  for (const auto& [first, last] : hidden) {
    for (char32_t point = first; point <= last; ++point) {
      EXPECT_EQ(adaskel::escaped("a" + utf8(point)).size(), 1 + utf8(point).size() * 4)
          << std::hex << unsigned(point);
    }
  }
  // Too long forms, a surrogate, beyond U+10FFFF, bytes no UTF-8 holds: each byte escaped.
  for (const std::string bad : {"\xc1\xbe", "\xe0\x9f\xbf", "\xed\xa0\x80", "\xf0\x8f\xbf\xbd",
                                "\xf4\x90\x80\x80", "\xf5\x80", "\xff", "\x80"})
    EXPECT_EQ(adaskel::escaped(bad).size(), bad.size() * 4) << bad;
  // UTF-8 of every length cut short after each of its bytes, by a letter, by
  // another character and by the end: each byte of the part escaped.
  for (const std::string whole : {"\u00e9", "\u07fe", "\u0800", "\u65e5", "\ud7fb", "\U00010000"}) {
    EXPECT_EQ(adaskel::escaped(whole), whole);
    for (std::size_t cut = 1; cut < whole.size(); ++cut) {
      const std::string part = whole.substr(0, cut), shown = adaskel::escaped(part);
      EXPECT_EQ(shown.size(), cut * 4) << whole << cut;
      for (const std::string after : {"A", "\u00e9", "\u65e5"})
        EXPECT_EQ(adaskel::escaped(part + after), shown + after) << whole << cut;
    }
  }
  // At the start of a text, Grapheme_Extend is escaped (marks Mn and Me, some
  // spacing marks Mc, two sound marks Lm), the same after a letter stay, and
  // so do the characters next to them and the other spacing marks.
  for (const std::string mark_first :
       {"\u0300", "\u036f", "\u20dd", "\u09be", "\uff9e", "\uff9f"}) {
    EXPECT_EQ(adaskel::escaped(mark_first).size(), mark_first.size() * 4);
    EXPECT_EQ(adaskel::escaped("e" + mark_first), "e" + mark_first);
  }
  for (const std::string first : {"\u02ff", "\u0370", "\u0903", "\uff9d"})
    EXPECT_EQ(adaskel::escaped(first), first);
}

// The start time as shown: every second of the years 0 to 9999, no other.
TEST(StartImage, ShowsFourDigitYearsOnly) {
  EXPECT_EQ(driver::utc_image(253402300799), "9999-12-31 23:59:59");
  for (const std::time_t beyond : {253402300800, -62167219201, 1'000'000'000'000})
    EXPECT_THROW(driver::utc_image(beyond), Failure) << beyond;
}

// A list's name before ":LINE:" stands bare only where it names one file
// plainly, as editors read it.
TEST(Diagnostics, NameTheListBeforeItsLine) {
  const std::string x500(500, 'x'), x1024(1024, 'x');
  const struct {
    std::string file, shown;
  } cases[] = {
      {.file = "my list/\u00e9.lst", .shown = "my list/\u00e9.lst"},
      {.file = x1024 + "x", .shown = '"' + x500 + "\"...(25 bytes)...\"" + x500 + '"'},
      {.file = "a:1: b.lst", .shown = R"("a:1: b.lst")"},
      {.file = " x", .shown = R"(" x")"},
      {.file = "x ", .shown = R"("x ")"},
      {.file = "l\x1b", .shown = R"("l\x1b")"},
  };
  for (const auto& c : cases) EXPECT_EQ(file_before_line(c.file), c.shown) << c.file;
}

}  // namespace
}  // namespace adaskel
