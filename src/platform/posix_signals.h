// SPDX-License-Identifier: GPL-2.0-or-later
// The POSIX platform's hold on the signals that would end the process, so
// that while files are written only SIGKILL, the faults and a power loss can
// cut one short. Apart, as it is the one part of the platform with state of
// its own: what the process did with each signal before.
#pragma once

namespace adaskel::posix {

// From now until release_signals(), a signal that another process or the
// terminal can send and whose default action ends the process only marks
// itself held, unless it is ignored, which it stays. Linux's signals 32 up
// to the C library's SIGRTMIN are blocked instead.
void hold_signals();

// Gives every held signal its default action back and unblocks those that
// hold_signals() blocked; a signal that came meanwhile then ends the
// process. Does nothing when signals are not held.
void release_signals();

// Ends the process by the signal that came while signals were held, if one
// did, as it would have ended it on arrival.
void take_held_signal();

}  // namespace adaskel::posix
