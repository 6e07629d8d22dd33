// SPDX-License-Identifier: GPL-2.0-or-later
// The three resource files of the working directory, each read once per run:
// Versions.lst (its last line is the version), Abstract.txt (its first line
// is the abstract) and gpl.txt (the licence text, at most 4096 lines).
#pragma once

#include "common/platform.h"
#include "driver/run_context.h"

namespace adaskel::driver {

// Reads every line of Versions.lst; the last one becomes the version line.
// A file without lines leaves it absent. Fails when the file cannot be read.
void read_version_file(Platform& platform, Run_Context& context);

// Reads the first line of Abstract.txt, even an empty one. Fails when the
// file cannot be read or holds no byte at all.
void read_abstract_file(Platform& platform, Run_Context& context);

// Stores the lines of gpl.txt as licence lines 1, 2, ... and counts them.
// Fails when the file cannot be read, or before reading a line 4097.
void read_licence_file(Platform& platform, Run_Context& context);

}  // namespace adaskel::driver
