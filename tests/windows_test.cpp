// SPDX-License-Identifier: GPL-2.0-or-later
// What the Windows platform works out by itself, in-process under Wine: the
// names Windows cannot take, a console's input (Ctrl+Z included, which no
// console under Wine sends), writing in pieces, and the words for errors.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/windows_rules.h"

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
  for (const auto& [path, problem] : refused) {
    std::string why;
    EXPECT_EQ(system_name(path, why), std::nullopt) << path;
    EXPECT_EQ(why, problem) << path;
  }
  for (const auto& [path, name] : taken) {
    std::string why;
    EXPECT_EQ(system_name(path, why), name) << path;
  }
  for (const char* path : {"con", "PRN", "demo/Aux.ads", "nul.tar.gz", "COM0", "demo/com9/src",
                           "lPt5.x", "lpt9", "conin$", "CONOUT$", "x\\nul ", "nul .ads"}) {
    EXPECT_TRUE(names_device(path)) << path;
  }
  for (const char* path :
       {"co", "conx", "com", "com10", "comx", "lpt", "xnul", "null.ads", "con x"}) {
    EXPECT_FALSE(names_device(path)) << path;
  }
}

// Each row: the pieces the console hands out, in turn, and all it gives.
TEST(WindowsConsole, GivesWhatAPosixTerminalGives) {
  const std::string long_name(4000, 'n');
  // clang-format off
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"Jane\r\n"}, "Jane\n"}, {{"Jane\r", "\n", "next\r\n"}, "Jane\nnext\n"},
      {{long_name + "\r", "\nx"}, long_name + "\nx"}, {{"a\r", "b\r\r\n"}, "a\rb\r\n"},
      {{"a\r", ""}, "a\r"}, {{"Ja\x1ane\r\n", "more"}, "Ja"}, {{"\r", "\x1a", "more"}, "\r"},
      {{"\x1a"}, ""}, {{"\r\n\r\n"}, "\n\n"},
  };
  // clang-format on
  for (const auto& [console_pieces, given] : cases) {
    const std::vector<std::string>& pieces = console_pieces;  // for the lambda to capture
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
    EXPECT_EQ(got, given) << ::testing::PrintToString(pieces[0].substr(0, 9));
    EXPECT_EQ(console.read(buffer, sizeof buffer, read), 0u);  // and stays ended
    // Nothing is read after the end or a Ctrl+Z: a console would wait.
    const auto z = std::find_if(pieces.begin(), pieces.end(), [](const std::string& piece) {
      return piece.empty() || piece.find('\x1a') != piece.npos;
    });
    EXPECT_EQ(reads, static_cast<std::size_t>(z - pieces.begin()) + 1) << given;
  }
}

TEST(WindowsWrite, ShortWritesGoOnAndAnErrorStops) {
  constexpr unsigned long disk_full = ERROR_DISK_FULL;
  std::string file;
  const Write three_at_a_time = [&](std::string_view bytes, std::size_t& written) {
    written = std::min<std::size_t>(bytes.size(), 3);
    if (file.size() >= 6) written = 0;
    file.append(bytes.substr(0, written));
    return written > 0 ? 0UL : disk_full;
  };
  std::string_view bytes = "abcd";
  EXPECT_EQ(write_all(bytes, three_at_a_time), 0UL);
  EXPECT_EQ(file, "abcd");
  bytes = "efghij";
  EXPECT_EQ(write_all(bytes, three_at_a_time), disk_full);
  EXPECT_EQ(file, "abcdefg");
  EXPECT_EQ(bytes, "hij");
}

TEST(WindowsReason, ThePosixWordsOrTheSystemsWithoutPeriod) {
  // clang-format off
  const std::pair<DWORD, std::string> cases[] = {
      {ERROR_FILE_NOT_FOUND, "No such file or directory"}, {ERROR_PATH_NOT_FOUND, "No such file or directory"},
      {ERROR_BAD_NETPATH, "No such file or directory"}, {ERROR_ACCESS_DENIED, "Permission denied"},
      {ERROR_SHARING_VIOLATION, "Permission denied"}, {ERROR_LOCK_VIOLATION, "Permission denied"},
      {ERROR_DISK_FULL, "No space left on device"}, {ERROR_HANDLE_DISK_FULL, "No space left on device"},
      {ERROR_BROKEN_PIPE, "Broken pipe"}, {ERROR_NO_DATA, "Broken pipe"}, {ERROR_PIPE_NOT_CONNECTED, "Broken pipe"},
      {ERROR_NOT_ENOUGH_MEMORY, "Cannot allocate memory"}, {ERROR_OUTOFMEMORY, "Cannot allocate memory"},
      {ERROR_FILENAME_EXCED_RANGE, "File name too long"}, {ERROR_WRITE_PROTECT, "Read-only file system"},
      {ERROR_FILE_TOO_LARGE, "File too large"}, {ERROR_DIRECTORY, "Not a directory"},
      {ERROR_CANT_RESOLVE_FILENAME, "Too many levels of symbolic links"}, {0xdeadbeef, "system error 3735928559"},
  };
  // clang-format on
  for (const auto& [error, words] : cases) EXPECT_EQ(reason(error), words) << error;
  const std::string own = reason(ERROR_INVALID_FUNCTION);
  EXPECT_FALSE(own.empty() || own.ends_with('.') || own.find_first_of("\r\n") != std::string::npos)
      << own;
}

}  // namespace
}  // namespace adaskel::windows
