// SPDX-License-Identifier: GPL-2.0-or-later
// The comment header that opens every generated source file.
#pragma once

#include "common/platform.h"
#include "common/string_set.h"
#include "common/text_file.h"

namespace adaskel::generate {

// The values the header quotes. Every file of a run gets the same ones.
struct Header_Values {
  const Line_Text& abstract_line;  // first line of Abstract.txt
  const String_Set& unit_names;    // entry 2 names the main unit
  const Line_Text& author_name;
  const String_Set& licence_lines;  // the lines of gpl.txt
  const std::string& start_image;   // the run's UTC start time
  const Line_Text& version_line;    // last line of Versions.lst
};

constexpr std::int32_t licence_excerpt_first = 295;
constexpr std::int32_t licence_excerpt_last = 309;

// Writes the 19 header lines to `file`, which was just created:
// 1.      "-- " and the abstract.
// 2.      "-- ", the main unit name, " is Copyright (C)", a blank and the year
//         in local time (the clock is read for each header), a blank, the
//         author's name, " ; " (it ends with a blank).
// 3..17.  For licence lines 295 to 309: "--" and the line from its second
//         byte on ("--" alone for a line of one byte or none).
// 18.     "-- Date := \"", the start image, "\"".
// 19.     "-- Version := \"", the version, "\"".
// A missing main unit name or licence line, or a local year outside 0 to
// 9999 (a clock that cannot be read), fails before its line is written, so
// the file keeps the lines before it.
void write_header(Text_File& file, const Header_Values& values, Clock& clock);

}  // namespace adaskel::generate
