// SPDX-License-Identifier: GPL-2.0-or-later
// One run of the program, from the banner to the last generated file, and
// the one place where a failed run is reported.
#pragma once

#include "common/platform.h"
#include "unitlist/command_line.h"

namespace adaskel::driver {

// Performs the run with `arguments` (those after the program name) and
// returns the exit status: 0 after a normal run or a reported input error;
// 1 after a failure, which ends standard output's last line and writes
// "adaskel: error: <what failed>" as one line on standard error. A signal
// that waited while files were written ends the process instead, as soon as
// the last file is closed or the failure has ended the writing, before
// anything more is written.
int run_main(Platform& platform, const unitlist::Arguments& arguments);

}  // namespace adaskel::driver
