// SPDX-License-Identifier: GPL-2.0-or-later
// What the Windows platform works out by itself, in-process under Wine: the
// names Windows cannot take, a console's input (Ctrl+Z included, which no
// console under Wine sends), writing in pieces, and the words for errors.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/windows_rules.h"

namespace adaskel::windows {
namespace {

using namespace std::string_literals;

TEST(WindowsNames, RefusedTakenAndDevices) {
  // clang-format off
  const std::pair<std::string, std::string> refused[] = {
      {"demo/x\0y.ads"s, "the name holds a NUL byte"}, {"b\xff.lst", "the name is not valid UTF-8"},
      {"demo/x./src", "a name in it ends in a dot or a blank, which Windows drops"},
      {"x ", "a name in it ends in a dot or a blank, which Windows drops"},
      {std::string(32768, 'a'), "File name too long"},
  };
  const std::pair<std::string, std::wstring> taken[] = {
      {"./l", L"./l"}, {"sub/../l", L"sub/../l"}, {"d\xc3\xa9.lst", L"d\u00e9.lst"}, {"", L""},
      {"\xf0\x9f\x98\x80\\x", L"\U0001F600\\x"}, {"a.b/.x", L"a.b/.x"},
  };
  // clang-format on
  std::string why;
  for (const auto& [path, problem] : refused) {
    EXPECT_FALSE(system_name(path, why)) << path;
    EXPECT_EQ(why, problem) << path;
  }
  for (const auto& [path, name] : taken) EXPECT_EQ(system_name(path, why), name) << path;
  for (const char* path : {"con", "PRN", "demo/Aux.ads", "nul.tar.gz", "COM0", "demo/com9/src",
                           "lPt5.x", "lpt9", "conin$", "CONOUT$", "x\\nul ", "nul .ads"}) {
    EXPECT_TRUE(names_device(path)) << path;
  }
  for (const char* path :
       {"co", "conx", "com", "com10", "comx", "lpt", "xnul", "null.ads", "con x"}) {
    EXPECT_FALSE(names_device(path)) << path;
  }
}

// Each row: the pieces the console hands out, in turn (then nothing), all it
// gives, and how many reads it takes: none after the end or a Ctrl+Z, where
// a console would wait.
TEST(WindowsConsole, GivesWhatAPosixTerminalGives) {
  const std::string long_name(4000, 'n');
  const struct {
    std::vector<std::string> pieces;
    std::string given;
    std::size_t reads;
  } cases[] = {
      // clang-format off
      {{"Jane\r\n"}, "Jane\n", 2}, {{"Jane\r", "\n", "next\r\n"}, "Jane\nnext\n", 4},
      {{long_name + "\r", "\nx"}, long_name + "\nx", 3}, {{"a\r", "b\r\r\n"}, "a\rb\r\n", 3},
      {{"a\r", ""}, "a\r", 2}, {{"Ja\x1ane\r\n", "more"}, "Ja", 1}, {{"\r", "\x1a", "more"}, "\r", 2},
      {{"\x1a"}, "", 1}, {{"\r\n\r\n"}, "\n\n", 2},
      // clang-format on
  };
  for (const auto& c : cases) {
    const std::vector<std::string>& pieces = c.pieces;
    Console_Input console;
    std::size_t reads = 0;
    const Read read = [&](char* buffer, std::size_t size) {
      const std::string piece = reads < pieces.size() ? pieces[reads] : "";
      ++reads;
      return piece.copy(buffer, size);
    };
    std::string got;
    char buffer[65536];
    for (std::size_t n = 0; (n = console.read(buffer, sizeof buffer, read)) > 0;)
      got.append(buffer, n);
    EXPECT_EQ(console.read(buffer, sizeof buffer, read), 0u);  // and stays ended
    EXPECT_EQ(got, c.given) << ::testing::PrintToString(pieces[0].substr(0, 9));
    EXPECT_EQ(reads, c.reads) << c.given;
  }
}

TEST(WindowsWrite, ShortWritesGoOnAndAnErrorStops) {
  constexpr unsigned long disk_full = ERROR_DISK_FULL;
  std::string file;  // which takes 3 bytes a write, and is full at 6
  const Write write = [&file](std::string_view bytes, std::size_t& written) {
    written = file.size() >= 6 ? 0 : std::min<std::size_t>(bytes.size(), 3);
    file.append(bytes.substr(0, written));
    return written > 0 ? 0UL : disk_full;
  };
  std::string_view first = "abcd", second = "efghij";
  EXPECT_EQ(write_all(first, write), 0UL);
  EXPECT_EQ(write_all(second, write), disk_full);
  EXPECT_EQ(file + "|" + std::string(second), "abcdefg|hij");
  EXPECT_EQ(unfinished_line("a\nb\ncd"), 2u);  // what a failed write cuts off again
}

// The POSIX words for what both systems mean alike; else the system's own.
TEST(WindowsReason, ThePosixWordsOrTheSystemsWithoutPeriod) {
  // clang-format off
  const std::pair<DWORD, std::string> cases[] = {
      {ERROR_PATH_NOT_FOUND, "No such file or directory"}, {ERROR_SHARING_VIOLATION, "Permission denied"},
      {ERROR_HANDLE_DISK_FULL, "No space left on device"}, {ERROR_NO_DATA, "Broken pipe"},
      {ERROR_OUTOFMEMORY, "Cannot allocate memory"}, {0xdeadbeef, "system error 3735928559"},
  };
  // clang-format on
  for (const auto& [error, words] : cases) EXPECT_EQ(reason(error), words) << error;
  const bool ends[] = {ends_input(ERROR_BROKEN_PIPE), ends_input(ERROR_HANDLE_EOF),
                       ends_input(ERROR_NO_DATA)};
  EXPECT_TRUE(ends[0] && ends[1] && !ends[2]);
  const std::string own = reason(ERROR_INVALID_FUNCTION);
  EXPECT_FALSE(own.empty() || own.ends_with('.') || own.find_first_of("\r\n") != std::string::npos)
      << own;
}

}  // namespace
}  // namespace adaskel::windows
