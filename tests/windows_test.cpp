// SPDX-License-Identifier: GPL-2.0-or-later
// What the Windows platform works out by itself, in-process under Wine: names,
// a console's input (Ctrl+Z too, which Wine's never sends), and error words.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/windows_rules.h"

namespace adaskel::windows {
namespace {

using namespace std::string_literals;

TEST(WindowsNames, RefusedTakenAndDevices) {
  const struct {
    std::vector<std::string> paths;
    std::string problem{};
    std::wstring name = L"refused";  // what the system is given
  } rows[] = {
      {.paths = {"demo/x\0y.ads"s}, .problem = "the name holds a NUL byte"},
      {.paths = {"b\xff.lst"}, .problem = "the name is not valid UTF-8"},
      {.paths = {"demo/x./src", "x ", "sub.\\l.lst", "a \\b"},
       .problem = "a name in it ends in a dot or a blank, which Windows drops"},
      {.paths = {std::string(32768, 'a')}, .problem = "File name too long"},
      {.paths = {"demo\r/demo\r/src/demo\r.adb"},  // a list with CRLF line ends
       .problem = "a name in it holds a carriage return, as a list with CRLF line ends gives"},
      {.paths = {"a\tb", "x/\x1f", "\x01"},
       .problem = "a name in it holds a control character, which Windows refuses"},
      {.paths = {"d\xc3\xa9.lst"}, .name = L"d\u00e9.lst"},
      {.paths = {""}, .name = L""},
      {.paths = {"\xf0\x9f\x98\x80\\x"}, .name = L"\U0001F600\\x"},  // two UTF-16 units
      {.paths = {"a.b/.x"}, .name = L"a.b/.x"},
  };
  for (const auto& row : rows)
    for (const auto& path : row.paths) {
      std::string why;
      EXPECT_EQ(system_name(path, why).value_or(L"refused"), row.name) << path;
      EXPECT_EQ(why, row.problem) << path;
    }
  // A device as such, with extensions, as a folder, after \ with blanks; a letter more: a file.
  for (const std::string device : {"con", "PRN", "Aux", "nul", "COM0", "com9", "lPt5", "conin$",
                                   "CONOUT$", "com\xc2\xb9", "LPT\xc2\xb2", "com\xc2\xb3"}) {
    for (const auto& path : {device, device + ".a.b", "d/" + device + "/x", "x\\" + device + " .a"})
      EXPECT_TRUE(names_device(path)) << path;
    for (const auto& path : {"x" + device, device + "x", device + " x"})
      EXPECT_FALSE(names_device(path)) << path;
  }
  for (const char* path : {"com", "lpt", "com\xc2\xb0", "lpt\xe2\x81\xb4"})  // no device's number
    EXPECT_FALSE(names_device(path)) << path;
}

// Each row: a name that passed the name rules, what the system makes of it
// absolute (none: it must not be asked), and what the system is given.
TEST(WindowsNames, LongOnesMadeAbsoluteAndVerbatim) {
  const std::wstring at_limit(246, L'a'), past(247, L'a');  // 247 and a NUL: MAX_PATH - 12
  const std::wstring full = L"C:\\w\\" + past;
  const struct {
    std::wstring name, absolute = L"none", sent;
  } rows[] = {
      {.name = at_limit, .sent = at_limit},
      {.name = past, .absolute = full, .sent = L"\\\\?\\" + full},  // relative, one past
      {.name = L"//s/share/" + past,
       .absolute = L"\\\\s\\share\\" + past,
       .sent = L"\\\\?\\UNC\\s\\share\\" + past},
      {.name = L"\\\\.\\" + full, .absolute = L"\\\\.\\" + full, .sent = L"\\\\?\\" + full},
      {.name = L"\\\\?\\" + full, .sent = L"\\\\?\\" + full},  // verbatim already
      {.name = L"\\??\\" + full, .sent = L"\\??\\" + full},
      {.name = L"\\" + past, .absolute = L"\\" + past, .sent = L"\\" + past},  // no known form
  };
  for (const auto& row : rows) {
    const Full_Path absolute = [&](const std::wstring& name) {
      return name == row.name ? row.absolute : L"asked of another name";
    };
    EXPECT_EQ(long_path(row.name, absolute), row.sent) << utf8(row.name.substr(0, 12));
  }
}

// Each row: the pieces the console hands out in turn, all it gives, and how
// many reads it takes: none after the end or a Ctrl+Z, where a console waits.
TEST(WindowsConsole, GivesWhatAPosixTerminalGives) {
  const struct {
    std::vector<std::string> pieces;
    std::string given;
    std::size_t reads;
  } cases[] = {
      {.pieces = {"Jane\r", "\n", "next\r\n"}, .given = "Jane\nnext\n", .reads = 4},
      {.pieces = {"a\r", "b\r\r\n"}, .given = "a\rb\r\n", .reads = 3},
      {.pieces = {"Ja\x1ane\r\n", "more"}, .given = "Ja", .reads = 1},  // Ctrl+Z ends the input
      {.pieces = {"\r", "\x1a", "more"}, .given = "\r", .reads = 2},
  };
  for (const auto& c : cases) {
    Console_Input console;
    std::size_t reads = 0;
    const Read read = [&](char* buffer, std::size_t size) {
      ++reads;
      return reads <= c.pieces.size() ? c.pieces[reads - 1].copy(buffer, size) : 0;
    };
    std::string got;
    char buffer[65536];
    for (std::size_t n = 0; (n = console.read(buffer, sizeof buffer, read)) > 0;)
      got.append(buffer, n);
    EXPECT_EQ(console.read(buffer, sizeof buffer, read), 0u);  // and stays ended
    EXPECT_EQ(std::pair(got, reads), std::pair(c.given, c.reads))
        << ::testing::PrintToString(c.pieces);
  }
}

// The POSIX words for what both systems mean alike; else the system's own.
TEST(WindowsReason, ThePosixWordsOrTheSystemsWithoutPeriod) {
  const struct {
    std::vector<DWORD> errors;
    std::string words;
  } cases[] = {
      {.errors = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_BAD_NETPATH},
       .words = "No such file or directory"},
      {.errors = {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION},
       .words = "Permission denied"},
      {.errors = {ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL}, .words = "No space left on device"},
      {.errors = {ERROR_BROKEN_PIPE, ERROR_NO_DATA, ERROR_PIPE_NOT_CONNECTED},
       .words = "Broken pipe"},
      {.errors = {ERROR_NOT_ENOUGH_MEMORY, ERROR_OUTOFMEMORY}, .words = "Cannot allocate memory"},
      {.errors = {ERROR_FILENAME_EXCED_RANGE}, .words = "File name too long"},
      {.errors = {ERROR_FILE_TOO_LARGE}, .words = "File too large"},
      {.errors = {ERROR_WRITE_PROTECT}, .words = "Read-only file system"},
      {.errors = {ERROR_DIRECTORY}, .words = "Not a directory"},
      {.errors = {ERROR_CANT_RESOLVE_FILENAME}, .words = "Too many levels of symbolic links"},
      {.errors = {0xdeadbeef}, .words = "system error 3735928559"},
  };
  for (const auto& row : cases)
    for (const DWORD error : row.errors) EXPECT_EQ(reason(error), row.words) << error;
  const bool ends[] = {ends_input(ERROR_BROKEN_PIPE), ends_input(ERROR_HANDLE_EOF),
                       ends_input(ERROR_NO_DATA)};  // the last: an empty PIPE_NOWAIT pipe
  EXPECT_TRUE(ends[0] && ends[1] && !ends[2]);
  const std::string own = reason(ERROR_INVALID_FUNCTION);
  EXPECT_NE(own.find_last_of(".\r\n") + 1, own.size()) << own;  // not empty, no period, no line end
}

}  // namespace
}  // namespace adaskel::windows
