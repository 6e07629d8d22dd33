// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/windows_system.h"

#include <algorithm>

#include "common/failure.h"
#include "platform/windows_rules.h"

namespace adaskel::windows {

DWORD write_all(const System_Calls& calls, HANDLE handle, std::string_view& bytes) {
  return write_all(bytes, [&calls, handle](std::string_view piece, std::size_t& written) {
    DWORD count = 0;
    const auto size = static_cast<DWORD>(std::min<std::size_t>(piece.size(), 1 << 30));
    const bool done = calls.write_file(handle, piece.data(), size, &count, nullptr) != 0;
    written = count;
    return done ? DWORD{0} : ::GetLastError();
  });
}

std::optional<std::size_t> read_some(HANDLE handle, char* buffer, std::size_t size) {
  DWORD got = 0;
  const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 30));
  if (::ReadFile(handle, buffer, wanted, &got, nullptr) != 0) return got;
  if (ends_input(::GetLastError())) return 0;
  return std::nullopt;
}

void throw_system_failure(std::string_view what, std::string_view path, DWORD error) {
  throw_failure(what, path, reason(error));
}

}  // namespace adaskel::windows
