// SPDX-License-Identifier: GPL-2.0-or-later
// The one exception of the program: a failure that ends the run. It is thrown
// where the problem is found, with the whole message, and caught only by the
// entry point, which prints it and returns exit status 1.
#pragma once

#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace adaskel {

class Failure : public std::exception {
 public:
  // `message` is shown as it is: a value in it (a path, a list line) must
  // have gone through quoted(), any other outside text through escaped().
  explicit Failure(std::string message) : message_(std::move(message)) {}
  const std::string& message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// `text` as valid UTF-8 with no control character, safe to show on a
// terminal as part of one line:
// 1. A backslash becomes "\\" and a double quote "\"".
// 2. NUL, tab, line feed and carriage return become "\0", "\t", "\n", "\r".
// 3. These become "\x" and two lower-case hex digits, one escape per byte:
//    every byte that is not part of valid UTF-8; every other character that
//    Python's str.isprintable() refuses, that is of the general categories
//    Cc, Cf, Cs, Co, Cn (unassigned), Zl, Zp, or Zs but U+0020 (among them
//    the C1 controls, the bidirectional controls, the line and paragraph
//    separators, the spaces other than U+0020, private use characters and
//    noncharacters); every other default ignorable code point; U+2800
//    BRAILLE PATTERN BLANK; and a mark that joins the character before it
//    (Grapheme_Extend: the categories Mn and Me) as the first character of
//    `text`. Unicode 15.0.0's tables, in common/character_tables.h.
// 4. Every other character stays as it is, a joining mark after another
//    character too: two spellings that Unicode takes for one text (U+00E9,
//    or "e" and U+0301) show alike.
std::string escaped(std::string_view text);

// `value` escaped and between double quotes. When escaped it would take more
// than 1024 bytes, only its first and last 500 or so are shown, as
// "<first>"...(<n> bytes)..."<last>", n being how many of its bytes were
// left out, so that a diagnostic stays short. The last part is escaped as a
// text of its own: rule 3 holds for its first character too. Only the parts
// shown are escaped: it costs a few kilobytes whatever the value's size.
std::string quoted(std::string_view value);

// quoted() of the pieces joined, at the same cost: the value is never built,
// so a path too long for the system can be named without making it.
std::string quoted_joined(std::initializer_list<std::string_view> pieces);

// `file` as it stands before ":LINE:" in a diagnostic, the form editors jump
// to: bare when that names one file plainly, quoted() when it holds a colon,
// starts or ends with a blank, needs escapes or is long.
std::string file_before_line(std::string_view file);

// Throws "<what> <value quoted>: <reason escaped>".
[[noreturn]] void throw_failure(std::string_view what, std::string_view value,
                                std::string_view reason);

// Throws "<what> <stream>: <reason escaped>", for standard input and output,
// which are named, not quoted.
[[noreturn]] void throw_stream_failure(std::string_view what, std::string_view stream,
                                       std::string_view reason);

}  // namespace adaskel
