// SPDX-License-Identifier: GPL-2.0-or-later
// The one exception of the program: a failure that ends the run. It is thrown
// where the problem is found, with the whole message, and caught only by the
// entry point, which prints it and returns exit status 1.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace adaskel {

class Failure : public std::exception {
 public:
  explicit Failure(std::string message) : message_(std::move(message)) {}
  // The whole message; what() would stop at a NUL byte that a path may hold.
  const std::string& message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// The path between double quotes, its bytes unchanged, for diagnostics.
std::string quoted(std::string_view path);

// `text` safe to show on a terminal as one line: a backslash becomes "\\",
// bytes 0-31 and 127 become "\0", "\t", "\n", "\r" or "\x" and two
// lower-case hex digits; every other byte, 128-255 included, stays.
std::string escaped(std::string_view text);

// Throws "<what> \"<path>\": <reason>".
[[noreturn]] void throw_failure(std::string_view what, std::string_view path,
                                std::string_view reason);

}  // namespace adaskel
