// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/windows_streams.h"

#include "common/failure.h"

namespace adaskel::windows {
namespace {

[[noreturn]] void throw_input_failure(DWORD error) {
  throw_stream_failure("cannot read", "standard input", reason(error));
}

}  // namespace

void Standard_Streams::write_output(std::string_view bytes) {
  if (const DWORD error = write_all(calls_, calls_.std_handle(STD_OUTPUT_HANDLE), bytes)) {
    throw_stream_failure("cannot write to", "standard output", reason(error));
  }
}

void Standard_Streams::write_error(std::string_view bytes) {
  write_all(calls_, calls_.std_handle(STD_ERROR_HANDLE), bytes);
}

// A file is read in blocks, and gives back what was read past a line by
// moving its position back. A console hands out a line at a time, and keeps
// what it is given back. Anything else, a pipe above all, is read a byte at
// a time.
std::size_t Standard_Streams::read_input(char* buffer, std::size_t size) {
  HANDLE input = calls_.std_handle(STD_INPUT_HANDLE);
  if (!input_is_file_) {
    DWORD mode = 0;
    input_is_console_ = ::GetConsoleMode(input, &mode) != 0;
    input_is_file_ = ::GetFileType(input) == FILE_TYPE_DISK;
  }
  if (!given_back_.empty()) {
    const std::size_t count = given_back_.copy(buffer, size);
    given_back_.erase(0, count);
    return count;
  }
  const auto read = [input](char* into, std::size_t wanted) {
    const auto got = read_some(input, into, wanted);
    if (!got) throw_input_failure(::GetLastError());
    return *got;
  };
  if (input_is_console_) return console_.read(buffer, size, read);
  return read(buffer, *input_is_file_ ? size : 1);
}

void Standard_Streams::unread_input(std::string_view bytes) {
  if (bytes.empty()) return;
  if (!input_is_file_.value_or(false)) {
    given_back_.insert(0, bytes);
    return;
  }
  LARGE_INTEGER back{};
  back.QuadPart = -static_cast<LONGLONG>(bytes.size());
  if (::SetFilePointerEx(calls_.std_handle(STD_INPUT_HANDLE), back, nullptr, FILE_CURRENT) == 0) {
    throw_input_failure(::GetLastError());
  }
}

}  // namespace adaskel::windows
