#include "common/failure.h"

#include <cstring>

namespace adaskel {

std::string quoted(std::string_view path) {
  std::string text;
  text.reserve(path.size() + 2);
  text += '"';
  text += path;
  text += '"';
  return text;
}

void throw_system_failure(std::string_view what, std::string_view path, int error_number) {
  std::string message(what);
  message += ' ';
  message += quoted(path);
  message += ": ";
  message += std::strerror(error_number);
  throw Failure(message);
}

}  // namespace adaskel
