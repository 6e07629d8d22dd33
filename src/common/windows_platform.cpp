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
#include <optional>
#include <utility>

#include "common/failure.h"

namespace adaskel {
namespace {

// The reason for a system error, in the words of the POSIX build where the
// two systems mean the same; the system's own words otherwise.
std::string reason(DWORD error) {
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
    default: break;
  }
  char text[512];
  DWORD size = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                error, 0, text, sizeof text, nullptr);
  while (size > 0 && (text[size - 1] == '\n' || text[size - 1] == '\r' || text[size - 1] == '.')) {
    --size;
  }
  return size > 0 ? std::string(text, size) : "system error " + std::to_string(error);
}

[[noreturn]] void throw_system_failure(std::string_view what, std::string_view path, DWORD error) {
  throw_failure(what, path, reason(error));
}

// `path` as the system's name for it, or nothing when it cannot be one: it
// holds a NUL byte or bytes that are not UTF-8, or a name in it ends in a dot
// or a blank, which Windows would drop and so name another file.
std::optional<std::wstring> system_name(const std::string& path, const char** why = nullptr) {
  const auto refuse = [why](const char* problem) -> std::optional<std::wstring> {
    if (why != nullptr) *why = problem;
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

// Whether a name in `path` is one that Windows keeps for a device, whatever
// its extension: con, prn, aux, nul, com0 to com9, lpt0 to lpt9, conin$, conout$.
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

// Reads up to `size` bytes; 0 at the end, also when a pipe's writer has gone.
std::size_t read_some(HANDLE handle, char* buffer, std::size_t size, std::string_view path) {
  DWORD got = 0;
  const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 30));
  if (::ReadFile(handle, buffer, wanted, &got, nullptr) == 0) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
    throw_system_failure("cannot read", path, error);
  }
  return got;
}

// 0 when every byte was written, else the error.
DWORD write_all(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 30));
    if (::WriteFile(handle, bytes.data(), size, &written, nullptr) == 0) return ::GetLastError();
    bytes.remove_prefix(written);
  }
  return 0;
}

class Windows_Input_File final : public Input_File {
 public:
  Windows_Input_File(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  ~Windows_Input_File() override { ::CloseHandle(handle_); }
  Windows_Input_File(const Windows_Input_File&) = delete;
  Windows_Input_File& operator=(const Windows_Input_File&) = delete;

  std::size_t read(char* buffer, std::size_t size) override {
    return read_some(handle_, buffer, size, path_);
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
    if (const DWORD error = write_all(handle_, bytes)) {
      throw_system_failure("cannot write", path_, error);
    }
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
      throw_system_failure("cannot write to", "standard output", error);
    }
  }

  void write_error(std::string_view bytes) override {
    write_all(::GetStdHandle(STD_ERROR_HANDLE), bytes);
  }

  // A console hands out each typed line ending in a carriage return and a
  // line feed, and Ctrl+Z for the end of input: the line ends in a line feed
  // alone, as typed on a POSIX terminal, also when a long line comes in
  // pieces that part the two, and input ends at the Ctrl+Z. From a pipe or
  // a file, the bytes come as they are.
  std::size_t read_input(char* buffer, std::size_t size) override {
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(input, &mode) == 0) {
      return read_some(input, buffer, size, "standard input");
    }
    std::size_t kept = 0;
    while (kept == 0 && !console_ended_) {
      std::size_t got = std::exchange(held_return_, false) ? 1 : 0;
      buffer[0] = '\r';  // the held one, if any
      const std::size_t read = read_some(input, buffer + got, size - got, "standard input");
      const char* end = std::find(buffer, buffer + got + read, '\x1a');
      console_ended_ = read == 0 || end != buffer + got + read;
      got = static_cast<std::size_t>(end - buffer);
      for (std::size_t i = 0; i < got; ++i) {
        if (buffer[i] != '\r' || i + 1 == got || buffer[i + 1] != '\n') buffer[kept++] = buffer[i];
      }
      held_return_ = !console_ended_ && kept > 0 && buffer[kept - 1] == '\r';
      kept -= held_return_ ? 1 : 0;
    }
    return kept;
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
    const char* why = nullptr;
    const auto name = system_name(path, &why);
    if (!name) throw_failure("cannot open", path, why);
    HANDLE handle = ::CreateFileW(name->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw_system_failure("cannot open", path, ::GetLastError());
    return std::make_unique<Windows_Input_File>(handle, path);
  }

  bool is_regular_file(const std::string& path) override {
    const auto name = system_name(path);
    return name && !names_device(path) && regular_file_at(*name).value_or(false);
  }

  // A new file is created exclusively, so nothing that is there already is
  // opened, but for a link that leads nowhere.
  std::unique_ptr<Output_File> create_unless_regular(const std::string& path) override {
    const char* why = nullptr;
    const auto name = system_name(path, &why);
    if (!name) throw_failure("cannot create", path, why);
    if (names_device(path)) throw_failure("cannot create", path, "not a regular file");
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
  bool console_ended_ = false;
  bool held_return_ = false;  // a console line's carriage return, last of a piece
};

// `text`, from the system's UTF-16, in UTF-8.
std::string utf8(const wchar_t* text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(std::max(size, 1)), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  bytes.pop_back();  // the terminating NUL
  return bytes;
}

}  // namespace

std::unique_ptr<Platform> system_platform() { return std::make_unique<Windows_Platform>(); }

std::vector<std::string> process_arguments(int argc, char** argv) {
  // The narrow arguments are in the ANSI code page; the wide ones are the text typed.
  int count = 0;
  wchar_t** const wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(utf8(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

}  // namespace adaskel
