// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/windows_files.h"

#include <utility>

#include "common/failure.h"
#include "platform/windows_rules.h"

namespace adaskel::windows {
namespace {

// `path` as the system is to be given it, checked by Windows' name rules
// before it is made absolute and verbatim when long, since a verbatim path
// skips them; or nothing, with `why` set.
std::optional<std::wstring> name_for_system(const System_Calls& calls, const std::string& path,
                                            std::string& why) {
  auto name = system_name(path, why);
  if (!name) return name;
  // When the system cannot make it absolute, it gets the name as it is, and
  // its own call then says what is wrong with it.
  return long_path(std::move(*name), [&calls](const std::wstring& relative) {
    std::wstring full(relative.size() + MAX_PATH, L'\0');
    for (;;) {
      const auto size = static_cast<DWORD>(full.size());
      const DWORD got = calls.full_path_name(relative.c_str(), size, full.data(), nullptr);
      if (got == 0) return relative;
      full.resize(got);  // how long it is, or else how long a buffer it needs
      if (got < size) return full;
    }
  });
}

// What is at `name`, links followed: nothing, a regular file (true), or
// something else (false). Nothing is opened for reading or writing.
std::optional<bool> regular_file_at(const System_Calls& calls, const std::wstring& name) {
  HANDLE handle =
      calls.create_file(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  const bool regular = ::GetFileType(handle) == FILE_TYPE_DISK &&
                       calls.file_information(handle, &information) != 0 &&
                       (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  calls.close_handle(handle);
  return regular;
}

class Windows_Input_File final : public Input_File {
 public:
  Windows_Input_File(const System_Calls& calls, HANDLE handle, std::string path)
      : calls_(calls), handle_(handle), path_(std::move(path)) {}
  ~Windows_Input_File() override { calls_.close_handle(handle_); }
  Windows_Input_File(const Windows_Input_File&) = delete;
  Windows_Input_File& operator=(const Windows_Input_File&) = delete;

  std::size_t read(char* buffer, std::size_t size) override {
    const auto got = read_some(handle_, buffer, size);
    if (!got) throw_system_failure("cannot read", path_, ::GetLastError());
    return *got;
  }
  const std::string& path() const override { return path_; }

 private:
  const System_Calls& calls_;
  HANDLE handle_;
  std::string path_;
};

class Windows_Output_File final : public Output_File {
 public:
  Windows_Output_File(const System_Calls& calls, HANDLE handle, std::string path)
      : calls_(calls), handle_(handle), path_(std::move(path)) {}
  ~Windows_Output_File() override {
    if (handle_ != INVALID_HANDLE_VALUE) calls_.close_handle(handle_);
  }
  Windows_Output_File(const Windows_Output_File&) = delete;
  Windows_Output_File& operator=(const Windows_Output_File&) = delete;

  void write(std::string_view bytes) override {
    std::string_view rest = bytes;
    const DWORD error = write_all(calls_, handle_, rest);
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
    if (calls_.close_handle(handle) == 0) {
      throw_system_failure("cannot close", path_, ::GetLastError());
    }
  }
  const std::string& path() const override { return path_; }

 private:
  const System_Calls& calls_;
  HANDLE handle_;
  std::string path_;
};

// Opens what a link that led nowhere names, now that creating it anew
// failed: opened always, it creates the file. Only what is empty is written
// into, so if something appeared there meanwhile, nothing of it is lost.
std::unique_ptr<Output_File> create_at_link(const System_Calls& calls, const std::wstring& name,
                                            const std::string& path) {
  HANDLE handle = calls.create_file(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    throw_system_failure("cannot create", path, ::GetLastError());
  }
  auto file = std::make_unique<Windows_Output_File>(calls, handle, path);
  LARGE_INTEGER size{};
  if (::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileSizeEx(handle, &size) != 0 &&
      size.QuadPart == 0) {
    return file;
  }
  if (regular_file_at(calls, name).value_or(false)) return nullptr;
  throw_failure("cannot create", path, "not a regular file");
}

}  // namespace

std::unique_ptr<Input_File> open_for_reading(const System_Calls& calls, const std::string& path) {
  std::string why;
  const auto name = name_for_system(calls, path, why);
  if (!name) throw_failure("cannot open", path, why);
  HANDLE handle = calls.create_file(name->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw_system_failure("cannot open", path, ::GetLastError());
  return std::make_unique<Windows_Input_File>(calls, handle, path);
}

bool is_regular_file(const System_Calls& calls, const std::string& path) {
  std::string why;
  if (names_device(path)) return false;
  const auto name = name_for_system(calls, path, why);
  return name && regular_file_at(calls, *name).value_or(false);
}

// A new file is created exclusively, so nothing that is there already is
// opened, but for a link that leads nowhere.
std::unique_ptr<Output_File> create_unless_regular(const System_Calls& calls,
                                                   const std::string& path) {
  std::string why;
  const auto name = name_for_system(calls, path, why);
  if (!name) throw_failure("cannot create", path, why);
  if (names_device(path)) throw_failure("cannot create", path, "not a regular file");
  HANDLE handle = calls.create_file(name->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    return std::make_unique<Windows_Output_File>(calls, handle, path);
  }
  const DWORD error = ::GetLastError();
  if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
    throw_system_failure("cannot create", path, error);
  }
  if (const auto regular = regular_file_at(calls, *name)) {
    if (*regular) return nullptr;
    throw_failure("cannot create", path, "not a regular file");
  }
  return create_at_link(calls, *name, path);
}

}  // namespace adaskel::windows
