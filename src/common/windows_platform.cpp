// SPDX-License-Identifier: GPL-2.0-or-later
// The platform on Windows: every system call the program makes there. It
// keeps the bytes of the POSIX build: the standard streams and files are
// written and read untranslated, a path is the list's bytes taken as UTF-8,
// and the system's reasons are told in the same words.
#include "common/windows_platform.h"

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
#include "common/platform.h"

namespace adaskel {
namespace windows {
namespace {

// `text`, from the system's UTF-16, in UTF-8.
std::string utf8(std::wstring_view text) {
  const int wide_size = static_cast<int>(text.size());
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide_size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(std::max(size, 0)), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide_size, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

}  // namespace

std::string reason(unsigned long error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH: return "No such file or directory";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "Permission denied";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "No space left on device";
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
    case ERROR_PIPE_NOT_CONNECTED: return "Broken pipe";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return "Cannot allocate memory";
    case ERROR_FILENAME_EXCED_RANGE: return "File name too long";
    case ERROR_WRITE_PROTECT: return "Read-only file system";
    case ERROR_FILE_TOO_LARGE: return "File too large";
    case ERROR_DIRECTORY: return "Not a directory";
    case ERROR_CANT_RESOLVE_FILENAME: return "Too many levels of symbolic links";
    default: break;
  }
  wchar_t text[512];
  DWORD size = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                error, 0, text, sizeof text / sizeof *text, nullptr);
  while (size > 0 &&
         (text[size - 1] == L'\n' || text[size - 1] == L'\r' || text[size - 1] == L'.')) {
    --size;
  }
  return size > 0 ? utf8({text, size}) : "system error " + std::to_string(error);
}

std::optional<std::wstring> system_name(const std::string& path, std::string& why) {
  const auto refuse = [&why](const char* problem) -> std::optional<std::wstring> {
    why = problem;
    return std::nullopt;
  };
  if (path.find('\0') != std::string::npos) return refuse("the name holds a NUL byte");
  if (path.size() > 32767) return refuse("File name too long");
  for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
    end = path.find_first_of("/\\", start);
    const std::string_view name = std::string_view(path).substr(start, end - start);
    if (name != "." && name != ".." && (name.ends_with('.') || name.ends_with(' '))) {
      return refuse("a name in it ends in a dot or a blank, which Windows drops");
    }
  }
  std::wstring name(path.size(), L'\0');
  const int size = static_cast<int>(path.size());
  const int count =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), size, name.data(), size);
  if (count == 0 && !path.empty()) return refuse("the name is not valid UTF-8");
  name.resize(static_cast<std::size_t>(count));
  return name;
}

bool names_device(const std::string& path) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find_first_of("/\\", start);
    std::string stem = path.substr(start, std::min(path.find('.', start), end) - start);
    while (stem.ends_with(' ')) stem.pop_back();
    std::transform(stem.begin(), stem.end(), stem.begin(),
                   [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    const bool numbered = stem.size() == 4 &&
                          (stem.starts_with("com") || stem.starts_with("lpt")) && stem[3] >= '0' &&
                          stem[3] <= '9';
    if (numbered || stem == "con" || stem == "prn" || stem == "aux" || stem == "nul" ||
        stem == "conin$" || stem == "conout$") {
      return true;
    }
    if (end == std::string::npos) return false;
    start = end + 1;
  }
}

std::size_t Console_Input::read(char* buffer, std::size_t size, const Read& read_console) {
  std::size_t kept = 0;
  while (kept == 0 && !ended_) {
    std::size_t got = std::exchange(held_return_, false) ? 1 : 0;
    buffer[0] = '\r';  // the held one, if any
    const std::size_t fresh = read_console(buffer + got, size - got);
    const char* end = std::find(buffer, buffer + got + fresh, '\x1a');
    ended_ = fresh == 0 || end != buffer + got + fresh;
    got = static_cast<std::size_t>(end - buffer);
    for (std::size_t i = 0; i < got; ++i) {
      if (buffer[i] != '\r' || i + 1 == got || buffer[i + 1] != '\n') buffer[kept++] = buffer[i];
    }
    held_return_ = !ended_ && kept > 0 && buffer[kept - 1] == '\r';
    kept -= held_return_ ? 1 : 0;
  }
  return kept;
}

unsigned long write_all(std::string_view& bytes, const Write& write) {
  while (!bytes.empty()) {
    std::size_t written = 0;
    if (const unsigned long error = write(bytes, written)) return error;
    bytes.remove_prefix(written);
  }
  return 0;
}

}  // namespace windows

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
  const DWORD error = ::GetLastError();
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
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
    cut.QuadPart = -static_cast<LONGLONG>(written.size() - (written.rfind('\n') + 1));
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

  std::time_t now() override { return std::time(nullptr); }

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
