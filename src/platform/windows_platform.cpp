// SPDX-License-Identifier: GPL-2.0-or-later
// The platform on Windows: every system call the program makes there. It
// keeps the bytes of the POSIX build: the standard streams and files are
// written and read untranslated, a path is the list's bytes taken as UTF-8,
// and the system's reasons are told in the same words.
#include "common/platform.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <utility>

#include "common/failure.h"
#include "platform/windows_rules.h"

namespace adaskel {
namespace {

using windows::reason;

[[noreturn]] void throw_system_failure(std::string_view what, std::string_view path, DWORD error) {
  throw_failure(what, path, reason(error));
}

[[noreturn]] void throw_input_failure(DWORD error) {
  throw_stream_failure("cannot read", "standard input", reason(error));
}

// What is at `name`, links followed: nothing, a regular file (true), or
// something else (false). Nothing is opened for reading or writing.
std::optional<bool> regular_file_at(const std::wstring& name) {
  HANDLE handle =
      ::CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  const bool regular = ::GetFileType(handle) == FILE_TYPE_DISK &&
                       ::GetFileInformationByHandle(handle, &information) != 0 &&
                       (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  ::CloseHandle(handle);
  return regular;
}

// Reads up to `size` bytes: how many, 0 at the end (also when a pipe's
// writer has gone), or nothing with the system's error set.
std::optional<std::size_t> read_some(HANDLE handle, char* buffer, std::size_t size) {
  DWORD got = 0;
  const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 30));
  if (::ReadFile(handle, buffer, wanted, &got, nullptr) != 0) return got;
  if (windows::ends_input(::GetLastError())) return 0;
  return std::nullopt;
}

// 0 when every byte was written, else the error; `bytes` keeps what was not.
DWORD write_all(HANDLE handle, std::string_view& bytes) {
  return windows::write_all(bytes, [handle](std::string_view piece, std::size_t& written) {
    DWORD count = 0;
    const auto size = static_cast<DWORD>(std::min<std::size_t>(piece.size(), 1 << 30));
    const bool done = ::WriteFile(handle, piece.data(), size, &count, nullptr) != 0;
    written = count;
    return done ? DWORD{0} : ::GetLastError();
  });
}

// The interrupt that arrived while interrupts were held: the system calls
// the handler on a thread of its own.
std::atomic<bool> interrupt_held{false};

BOOL WINAPI hold_interrupt(DWORD event) {
  interrupt_held = true;
  // Closing the console, logging off or shutting down ends the process as
  // soon as this returns: wait here until the run ends it between two files.
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) ::Sleep(INFINITE);
  return TRUE;
}

// Ends the process as Ctrl+C would have, if an interrupt was held.
void take_held_interrupt() {
  if (interrupt_held) ::ExitProcess(STATUS_CONTROL_C_EXIT);
}

class Windows_Input_File final : public Input_File {
 public:
  Windows_Input_File(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  ~Windows_Input_File() override { ::CloseHandle(handle_); }
  Windows_Input_File(const Windows_Input_File&) = delete;
  Windows_Input_File& operator=(const Windows_Input_File&) = delete;

  std::size_t read(char* buffer, std::size_t size) override {
    const auto got = read_some(handle_, buffer, size);
    if (!got) throw_system_failure("cannot read", path_, ::GetLastError());
    return *got;
  }
  const std::string& path() const override { return path_; }

 private:
  HANDLE handle_;
  std::string path_;
};

class Windows_Output_File final : public Output_File {
 public:
  Windows_Output_File(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  ~Windows_Output_File() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  Windows_Output_File(const Windows_Output_File&) = delete;
  Windows_Output_File& operator=(const Windows_Output_File&) = delete;

  void write(std::string_view bytes) override {
    std::string_view rest = bytes;
    const DWORD error = write_all(handle_, rest);
    if (error == 0) return;
    // A line written in part is cut off again where the file lets it; the
    // write's error is the one to report either way.
    const std::string_view written = bytes.substr(0, bytes.size() - rest.size());
    LARGE_INTEGER cut{};
    cut.QuadPart = -static_cast<LONGLONG>(unfinished_line(written));
    if (cut.QuadPart < 0 && ::SetFilePointerEx(handle_, cut, nullptr, FILE_CURRENT) != 0) {
      ::SetEndOfFile(handle_);
    }
    throw_system_failure("cannot write", path_, error);
  }
  void close() override {
    HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
    if (::CloseHandle(handle) == 0) throw_system_failure("cannot close", path_, ::GetLastError());
  }
  const std::string& path() const override { return path_; }

 private:
  HANDLE handle_;
  std::string path_;
};

class Windows_Platform final : public Platform {
 public:
  void write_output(std::string_view bytes) override {
    if (const DWORD error = write_all(::GetStdHandle(STD_OUTPUT_HANDLE), bytes)) {
      throw_stream_failure("cannot write to", "standard output", reason(error));
    }
  }

  void write_error(std::string_view bytes) override {
    write_all(::GetStdHandle(STD_ERROR_HANDLE), bytes);
  }

  // A file is read in blocks, and gives back what was read past a line by
  // moving its position back. A console hands out a line at a time, and
  // keeps what it is given back. Anything else, a pipe above all, is read a
  // byte at a time.
  std::size_t read_input(char* buffer, std::size_t size) override {
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
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

  void unread_input(std::string_view bytes) override {
    if (bytes.empty()) return;
    if (!input_is_file_.value_or(false)) {
      given_back_.insert(0, bytes);
      return;
    }
    LARGE_INTEGER back{};
    back.QuadPart = -static_cast<LONGLONG>(bytes.size());
    if (::SetFilePointerEx(::GetStdHandle(STD_INPUT_HANDLE), back, nullptr, FILE_CURRENT) == 0) {
      throw_input_failure(::GetLastError());
    }
  }

  void hold_interrupts() override { holding_ = ::SetConsoleCtrlHandler(hold_interrupt, TRUE) != 0; }

  void release_interrupts() override {
    if (!std::exchange(holding_, false)) return;
    ::SetConsoleCtrlHandler(hold_interrupt, FALSE);
    take_held_interrupt();
  }

  std::time_t now() override {
    // -1 is how time() fails, and it gives no reason.
    const std::time_t time = std::time(nullptr);
    if (time == -1) throw Failure("cannot read the clock: no time");
    return time;
  }

  int local_year(std::time_t time) override {
    // A FILETIME counts tenths of microseconds since 1601.
    const auto ticks = (static_cast<ULONGLONG>(time) + 11644473600ULL) * 10000000ULL;
    const FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc_fields{}, local{};
    if (::FileTimeToSystemTime(&utc, &utc_fields) == 0 ||
        ::SystemTimeToTzSpecificLocalTime(nullptr, &utc_fields, &local) == 0) {
      throw Failure("cannot read the local time");
    }
    return local.wYear;
  }

  std::unique_ptr<Input_File> open_for_reading(const std::string& path) override {
    std::string why;
    const auto name = windows::system_name(path, why);
    if (!name) throw_failure("cannot open", path, why);
    HANDLE handle = ::CreateFileW(name->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw_system_failure("cannot open", path, ::GetLastError());
    return std::make_unique<Windows_Input_File>(handle, path);
  }

  bool is_regular_file(const std::string& path) override {
    std::string why;
    const auto name = windows::system_name(path, why);
    return name && !windows::names_device(path) && regular_file_at(*name).value_or(false);
  }

  // A new file is created exclusively, so nothing that is there already is
  // opened, but for a link that leads nowhere.
  std::unique_ptr<Output_File> create_unless_regular(const std::string& path) override {
    take_held_interrupt();  // the file before this one, if any, is whole and closed
    std::string why;
    const auto name = windows::system_name(path, why);
    if (!name) throw_failure("cannot create", path, why);
    if (windows::names_device(path)) throw_failure("cannot create", path, "not a regular file");
    HANDLE handle = ::CreateFileW(name->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return std::make_unique<Windows_Output_File>(handle, path);
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      throw_system_failure("cannot create", path, error);
    }
    if (const auto regular = regular_file_at(*name)) {
      if (*regular) return nullptr;
      throw_failure("cannot create", path, "not a regular file");
    }
    // A link that leads nowhere: opened always, it creates what it names.
    // Only what is empty is written into, so if something appeared there
    // meanwhile, nothing of it is lost.
    handle = ::CreateFileW(name->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      throw_system_failure("cannot create", path, ::GetLastError());
    }
    auto file = std::make_unique<Windows_Output_File>(handle, path);
    LARGE_INTEGER size{};
    if (::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileSizeEx(handle, &size) != 0 &&
        size.QuadPart == 0) {
      return file;
    }
    if (regular_file_at(*name).value_or(false)) return nullptr;
    throw_failure("cannot create", path, "not a regular file");
  }

 private:
  std::optional<bool> input_is_file_;  // standard input, once it is first read
  bool input_is_console_ = false;
  windows::Console_Input console_;
  std::string given_back_;  // bytes a console gave that no line took
  bool holding_ = false;
};

}  // namespace

std::unique_ptr<Platform> system_platform() { return std::make_unique<Windows_Platform>(); }

std::vector<std::string> process_arguments(int argc, char** argv) {
  // The narrow arguments are in the ANSI code page; the wide ones are the text typed.
  int count = 0;
  wchar_t** const wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(windows::utf8(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

}  // namespace adaskel
