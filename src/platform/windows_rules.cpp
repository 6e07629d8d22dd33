// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/windows_rules.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <utility>

namespace adaskel::windows {

std::string utf8(std::wstring_view text) {
  const int wide_size = static_cast<int>(text.size());
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide_size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(std::max(size, 0)), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide_size, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

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

bool ends_input(unsigned long error) {
  return error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF;
}

std::optional<std::wstring> system_name(const std::string& path, std::string& why) {
  const auto refuse = [&why](const char* problem) -> std::optional<std::wstring> {
    why = problem;
    return std::nullopt;
  };
  if (path.find('\0') != std::string::npos) return refuse("the name holds a NUL byte");
  if (path.size() > longest_path) return refuse("File name too long");
  if (path.find('\r') != std::string::npos) {
    return refuse("a name in it holds a carriage return, as a list with CRLF line ends gives");
  }
  if (std::any_of(path.begin(), path.end(), [](char c) { return c > 0 && c < ' '; })) {
    return refuse("a name in it holds a control character, which Windows refuses");
  }
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
    const std::string_view number =
        std::string_view(stem).substr(std::min<std::size_t>(stem.size(), 3));
    const bool numbered = (stem.starts_with("com") || stem.starts_with("lpt")) &&
                          ((number.size() == 1 && number[0] >= '0' && number[0] <= '9') ||
                           number == "\xc2\xb9" || number == "\xc2\xb2" || number == "\xc2\xb3");
    if (numbered || stem == "con" || stem == "prn" || stem == "aux" || stem == "nul" ||
        stem == "conin$" || stem == "conout$") {
      return true;
    }
    if (end == std::string::npos) return false;
    start = end + 1;
  }
}

std::wstring long_path(std::wstring name, const Full_Path& full_path) {
  const std::wstring_view verbatim = L"\\\\?\\";
  if (name.size() <= longest_plain_path || name.starts_with(verbatim) ||
      name.starts_with(L"\\??\\")) {
    return name;
  }
  std::wstring full = full_path(name);
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return full.insert(0, verbatim);
  if (full.starts_with(L"\\\\.\\")) return full.replace(0, 4, verbatim);
  if (full.starts_with(verbatim) || full.starts_with(L"\\??\\")) return full;
  if (full.starts_with(L"\\\\")) return full.replace(0, 2, L"\\\\?\\UNC\\");
  return full;
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

}  // namespace adaskel::windows
