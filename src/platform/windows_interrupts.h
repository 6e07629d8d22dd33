// SPDX-License-Identifier: GPL-2.0-or-later
// Interrupts on Windows while files are written: Ctrl+C and Ctrl+Break wait
// until the file in progress is whole and closed, and closing the console as
// long as Windows lets it, 5 seconds.
#pragma once

namespace adaskel::windows {

// Ctrl+C, Ctrl+Break and closing the console wait from now on:
// Platform::hold_interrupts. Returns whether they do.
bool hold_interrupts();

// Ends the process as Ctrl+C would have, if an interrupt waited.
void take_held_interrupt();

// Lets interrupts take effect again, one that waited at once.
void release_interrupts();

}  // namespace adaskel::windows
