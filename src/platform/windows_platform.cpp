// SPDX-License-Identifier: GPL-2.0-or-later
// The platform on Windows, made of its parts: the standard streams, the
// interrupts, the files, and the clock. It keeps the bytes of the POSIX
// build: the standard streams and files are written and read untranslated,
// a path is the list's bytes taken as UTF-8, and the system's reasons are
// told in the same words.
#include "common/platform.h"

#include "platform/windows_system.h"
// After windows.h, which it needs.
#include <shellapi.h>

#include <utility>

#include "common/failure.h"
#include "platform/windows_files.h"
#include "platform/windows_interrupts.h"
#include "platform/windows_rules.h"
#include "platform/windows_streams.h"

namespace adaskel {
namespace {

using namespace windows;

// A FILETIME counts tenths of microseconds since 1601.
constexpr ULONGLONG ticks_per_second = 10'000'000;
constexpr ULONGLONG seconds_1601_to_1970 = 11'644'473'600;

class Windows_Platform final : public Platform {
 public:
  explicit Windows_Platform(const System_Calls& calls) : calls_(calls), streams_(calls) {}

  void write_output(std::string_view bytes) override { streams_.write_output(bytes); }
  void write_error(std::string_view bytes) override { streams_.write_error(bytes); }
  std::size_t read_input(char* buffer, std::size_t size) override {
    return streams_.read_input(buffer, size);
  }
  void unread_input(std::string_view bytes) override { streams_.unread_input(bytes); }

  void hold_interrupts() override { holding_ = windows::hold_interrupts(); }
  void release_interrupts() override {
    if (std::exchange(holding_, false)) windows::release_interrupts();
  }

  // Every second reads right, those before 1970 too: the system's call has
  // no value that stands for a failure, as time()'s -1 does.
  std::time_t now() override {
    FILETIME time{};
    calls_.system_time(&time);
    SYSTEMTIME fields{};
    // A time that the system cannot tell as a date is a clock gone wrong.
    if (::FileTimeToSystemTime(&time, &fields) == 0) {
      throw_stream_failure("cannot read", "the clock", reason(::GetLastError()));
    }
    const ULONGLONG ticks = (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    return static_cast<std::time_t>(ticks / ticks_per_second) -
           static_cast<std::time_t>(seconds_1601_to_1970);
  }

  int local_year(std::time_t time) override {
    const auto ticks = (static_cast<ULONGLONG>(time) + seconds_1601_to_1970) * ticks_per_second;
    const FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc_fields{}, local{};
    if (::FileTimeToSystemTime(&utc, &utc_fields) == 0 ||
        ::SystemTimeToTzSpecificLocalTime(nullptr, &utc_fields, &local) == 0) {
      throw Failure("cannot read the local time");
    }
    return local.wYear;
  }

  // What system_name() would refuse, refused before the path is built.
  Path_Limit path_limit() override { return {windows::longest_path, "File name too long"}; }

  std::unique_ptr<Input_File> open_for_reading(const std::string& path) override {
    return windows::open_for_reading(calls_, path);
  }
  bool is_regular_file(const std::string& path) override {
    return windows::is_regular_file(calls_, path);
  }
  std::unique_ptr<Output_File> create_unless_regular(const std::string& path) override {
    take_held_interrupt();  // the file before this one, if any, is whole and closed
    return windows::create_unless_regular(calls_, path);
  }

 private:
  const System_Calls& calls_;
  Standard_Streams streams_;
  bool holding_ = false;
};

}  // namespace

std::unique_ptr<Platform> windows::platform_over(const System_Calls& calls) {
  return std::make_unique<Windows_Platform>(calls);
}

std::unique_ptr<Platform> system_platform() {
  static const System_Calls system_calls;
  return platform_over(system_calls);
}

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
