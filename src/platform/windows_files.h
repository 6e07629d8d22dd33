// SPDX-License-Identifier: GPL-2.0-or-later
// Files on Windows: a path of the list as the system is given it, reading a
// file, and creating one unless a file is there already.
#pragma once

#include <memory>
#include <string>

#include "common/platform.h"
#include "platform/windows_system.h"

namespace adaskel::windows {

// As Platform::open_for_reading, through `calls`.
std::unique_ptr<Input_File> open_for_reading(const System_Calls& calls, const std::string& path);

// As Platform::is_regular_file, through `calls`.
bool is_regular_file(const System_Calls& calls, const std::string& path);

// As Platform::create_unless_regular, through `calls`.
std::unique_ptr<Output_File> create_unless_regular(const System_Calls& calls,
                                                   const std::string& path);

}  // namespace adaskel::windows
