// SPDX-License-Identifier: GPL-2.0-or-later
// Derives a unit name from a line of the unit list: my-unit-io gives My.Unit.Io.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/string_set.h"

namespace adaskel::unitlist {

// Changes `text` in place, keeping its length:
// 1. The first byte and every byte right after a '-' are put in upper case.
// 2. Every '-' becomes '.'.
// Upper case is the ISO 8859-1 mapping, one byte at a time: a-z become A-Z,
// bytes 224-246 and 248-254 lose 32; every other byte stays (223, 247 and
// 255 among them). Nothing is lowered, and '_', '.' or a blank upper-case
// nothing. After "--" the second '-' is the one whose next byte is raised.
// Fails, as a failed check, when `text` is empty or ends in '-': the
// diagnostic begins with the file and line the text comes from, as
// "<file>:<line>: " ("e.lst:4: "), `file` shown as the diagnostic shows it.
void to_filename(Line_Text& text, std::string_view file, std::int32_t line);

}  // namespace adaskel::unitlist
