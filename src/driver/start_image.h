// SPDX-License-Identifier: GPL-2.0-or-later
// The run's start time as the console banner and every header show it.
#pragma once

#include <ctime>
#include <string>

namespace adaskel::driver {

// `time` in UTC as "YYYY-MM-DD hh:mm:ss", 19 characters. Fails, as a clock
// that cannot be read, for a time outside the years 0 to 9999.
std::string utc_image(std::time_t time);

}  // namespace adaskel::driver
