// SPDX-License-Identifier: GPL-2.0-or-later
// adaskel: lays out the first source files of a new Ada program.

#include "common/platform.h"
#include "driver/run.h"

int main(int argc, char** argv) {
  const auto platform = adaskel::system_platform();
  return adaskel::driver::run_main(*platform, adaskel::process_arguments(argc, argv));
}
