// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/windows_interrupts.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>

namespace adaskel::windows {
namespace {

// The interrupt that arrived while interrupts were held: the system calls
// the handler on a thread of its own.
std::atomic<bool> interrupt_held{false};

BOOL WINAPI hold_interrupt(DWORD event) {
  interrupt_held = true;
  // Closing the console ends the process as soon as this returns, and 5
  // seconds after the close if it does not: wait here until the run ends it
  // between two files, or Windows does. Logging off and shutting down never
  // come here, since shell32 loads user32: Windows then takes the program
  // for one with windows, and ends it without a word.
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) ::Sleep(INFINITE);
  return TRUE;
}

}  // namespace

bool hold_interrupts() { return ::SetConsoleCtrlHandler(hold_interrupt, TRUE) != 0; }

void take_held_interrupt() {
  if (interrupt_held) ::ExitProcess(STATUS_CONTROL_C_EXIT);
}

void release_interrupts() {
  ::SetConsoleCtrlHandler(hold_interrupt, FALSE);
  take_held_interrupt();
}

}  // namespace adaskel::windows
