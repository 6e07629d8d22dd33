// SPDX-License-Identifier: GPL-2.0-or-later
#include "driver/start_image.h"

#include <chrono>
#include <cstdio>

#include "common/failure.h"
#include "common/platform.h"

namespace adaskel::driver {

std::string utc_image(std::time_t time) {
  using namespace std::chrono;
  // Checked first: a date past them is a wrong one, as chrono's years end at 32767.
  constexpr sys_seconds first{sys_days{year{first_year} / January / 1}};
  constexpr sys_seconds after{sys_days{year{last_year + 1} / January / 1}};
  if (time < first.time_since_epoch().count() || time >= after.time_since_epoch().count()) {
    throw Failure(std::string(unshown_year));
  }
  const sys_seconds instant{seconds{time}};
  const sys_days day = floor<days>(instant);
  const year_month_day date{day};
  const hh_mm_ss clock{instant - day};
  char image[64];  // large enough for any year, so the image is never cut short
  static_cast<void>(std::snprintf(
      image, sizeof image, "%04d-%02u-%02u %02ld:%02ld:%02ld", static_cast<int>(date.year()),
      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
      static_cast<long>(clock.hours().count()), static_cast<long>(clock.minutes().count()),
      static_cast<long>(clock.seconds().count())));
  return image;
}

}  // namespace adaskel::driver
