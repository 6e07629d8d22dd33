// The one exception of the program: a failure that ends the run. It is thrown
// where the problem is found, with the whole message, and caught only by the
// entry point, which prints it and returns exit status 1.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace adaskel {

class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string& message) : std::runtime_error(message) {}
};

// The path between double quotes, its bytes unchanged, for diagnostics.
std::string quoted(std::string_view path);

// "<what> \"<path>\": <the system's text for error_number>".
[[noreturn]] void throw_system_failure(std::string_view what, std::string_view path,
                                       int error_number);

}  // namespace adaskel
