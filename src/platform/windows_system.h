// SPDX-License-Identifier: GPL-2.0-or-later
// The system calls of the Windows platform that a test may replace, to make
// one fail or to change the file system between two of them: one table of
// function pointers that the platform calls through, and the helpers over it.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/platform.h"

namespace adaskel::windows {

// The calls that find the standard streams, create, write, close and look
// at files, resolve paths and read the clock; each the system's own unless a
// test puts another in.
struct System_Calls {
  decltype(&::GetStdHandle) std_handle = ::GetStdHandle;
  decltype(&::CreateFileW) create_file = ::CreateFileW;
  decltype(&::WriteFile) write_file = ::WriteFile;
  decltype(&::CloseHandle) close_handle = ::CloseHandle;
  decltype(&::GetFileInformationByHandle) file_information = ::GetFileInformationByHandle;
  decltype(&::GetFullPathNameW) full_path_name = ::GetFullPathNameW;
  decltype(&::GetSystemTimeAsFileTime) system_time = ::GetSystemTimeAsFileTime;
};

// The Windows platform over `calls`, which must outlive it: system_platform()
// is the one over the system's own.
std::unique_ptr<Platform> platform_over(const System_Calls& calls);

// Writes all of `bytes` to `handle`, taking off what was written: 0 when it
// was all, else the system's error.
DWORD write_all(const System_Calls& calls, HANDLE handle, std::string_view& bytes);

// Reads up to `size` bytes: how many, 0 at the end (also when a pipe's
// writer has gone), or nothing with the system's error set.
std::optional<std::size_t> read_some(HANDLE handle, char* buffer, std::size_t size);

// Throws "<what> <path quoted>: <the reason for error>".
[[noreturn]] void throw_system_failure(std::string_view what, std::string_view path, DWORD error);

}  // namespace adaskel::windows
