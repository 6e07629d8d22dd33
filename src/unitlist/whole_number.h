// SPDX-License-Identifier: GPL-2.0-or-later
// Reads a command-line argument as a whole number.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace adaskel::unitlist {

// The value of `text` when it is a whole number that fits a signed 32-bit
// integer, else nothing. The syntax, over the whole text:
// 1. Any number of spaces (only the space character), an optional '+' or
//    '-' directly followed by a numeral, an optional exponent, any number of
//    spaces, and nothing else.
// 2. A decimal numeral is one or more digits 0-9; a single underscore may
//    stand between two digits (1_000).
// 3. A based numeral is a decimal numeral from 2 to 16 (the base), '#', one
//    or more digits of that base (0-9, A-F in either case, each below the
//    base, single underscores between them as in 2), and a closing '#'.
//    ':' may stand for '#', the same at both ends: 16#FF# and 16:ff: are 255.
// 4. An exponent is 'E' or 'e', an optional '+' and a decimal numeral; the
//    value is multiplied by the base (10 for a decimal numeral) raised to
//    it: 1E3 is 1000, 2#1#E14 is 16384. A negative exponent is invalid.
// Any length of digits and any exponent is answered at once, without overflow.
std::optional<std::int32_t> to_whole_number(std::string_view text);

}  // namespace adaskel::unitlist
