// SPDX-License-Identifier: GPL-2.0-or-later
// Runs a command the way a careless caller might: every signal that can be
// is ignored (32 and 33 too, through the system call itself, which the C
// library refuses them) and every one blocked. The tests must pass under it.
// Usage: hostile-parent COMMAND [ARGUMENT...]
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/syscall.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  struct {
    void (*handler)(int);  // first on every Linux target; the rest is 0
    unsigned long flags;
    void* restorer;
    uint64_t mask;
  } action = {SIG_IGN, 0, NULL, 0};
  for (int signal = 1; signal <= 64; ++signal) {
    if (signal == SIGKILL || signal == SIGSTOP) continue;
    if (syscall(SYS_rt_sigaction, signal, &action, NULL, sizeof action.mask) != 0)
      perror("rt_sigaction");
  }
  uint64_t all = UINT64_MAX;
  syscall(SYS_rt_sigprocmask, SIG_SETMASK, &all, NULL, sizeof all);
  execvp(argv[1], argv + 1);
  perror(argv[1]);
  return 127;
}
