// SPDX-License-Identifier: GPL-2.0-or-later
// The rules of the Windows platform that need no system state: the words
// for its errors, the names it cannot give a file, long paths, a console's
// input, and writing in pieces. Apart, so that tests can try them on any input while
// the system calls around them stay trivial.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace adaskel::windows {

// `text`, from the system's UTF-16, in UTF-8.
std::string utf8(std::wstring_view text);

// The reason for system error `error`: the POSIX build's words where both
// systems mean the same (No such file or directory, Permission denied, ...),
// else the system's own, without their closing period and line end.
std::string reason(unsigned long error);

// Whether a read that failed with `error` met the end of its input: a pipe
// whose writer has gone, or the end of a file.
bool ends_input(unsigned long error);

// `path` in the system's UTF-16, or nothing, with `why` set, when it cannot
// name the file it says: it holds a NUL byte or another control character
// (a carriage return above all, which a list with CRLF line ends leaves in
// every line), is not valid UTF-8, is too long, or one of its names ends in
// a dot or a blank, which Windows drops.
std::optional<std::wstring> system_name(const std::string& path, std::string& why);

// Whether a name in `path` is one that Windows keeps for a device, in any
// letter case and with any extension: con, prn, aux, nul, com0 to com9, lpt0
// to lpt9, com and lpt with a superscript 1, 2 or 3 (U+00B9, U+00B2,
// U+00B3), conin$, conout$.
bool names_device(const std::string& path);

// The longest path, in UTF-16 units, that the system is given as it is: with
// its closing NUL, it stays below MAX_PATH - 12, the limit for a directory.
constexpr std::size_t longest_plain_path = 246;

// The longest path, in bytes of UTF-8, that system_name() takes: a verbatim
// path holds at most 32767 UTF-16 units, and no character takes fewer bytes
// than units.
constexpr std::size_t longest_path = 32767;

// Makes a path absolute as the system resolves it (`/`, `.`, `..`, the
// working directory, a drive's own one), or returns it as it is.
using Full_Path = std::function<std::wstring(const std::wstring&)>;

// `name`, which passed Windows' name rules, as the system is to be given it,
// so that a long one works where the system keeps the MAX_PATH limit:
// 1. A name of at most longest_plain_path units, or one already verbatim
//    (`\\?\` or `\??\` before it), stays as it is.
// 2. Any other is made absolute by `full_path`, then verbatim: `C:\x` becomes
//    `\\?\C:\x`, `\\server\share\x` becomes `\\?\UNC\server\share\x`, and
//    `\\.\x` becomes `\\?\x`. Another form stays as `full_path` made it.
std::wstring long_path(std::wstring name, const Full_Path& full_path);

// Reads up to the given number of bytes into the buffer; 0 at the end.
using Read = std::function<std::size_t(char*, std::size_t)>;

// Standard input from a console, as a POSIX terminal gives it:
// 1. A line ends in a line feed alone: the carriage return that the console
//    puts before it is dropped, also when the two come in different reads.
// 2. Ctrl+Z ends the input where it stands; nothing is read after it.
class Console_Input {
 public:
  // Reads through `read_console` into `buffer` (at least 2 bytes); 0 at the end.
  std::size_t read(char* buffer, std::size_t size, const Read& read_console);

 private:
  bool ended_ = false;
  bool held_return_ = false;  // a carriage return that ended the last piece
};

// Writes up to the size of the bytes, setting how many it wrote; returns 0,
// or the system's error.
using Write = std::function<unsigned long(std::string_view, std::size_t&)>;

// Writes `bytes` through `write`, taking off what was written: returns 0 when
// it was all, else the error that stopped it.
unsigned long write_all(std::string_view& bytes, const Write& write);

}  // namespace adaskel::windows
