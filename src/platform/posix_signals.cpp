// SPDX-License-Identifier: GPL-2.0-or-later
// The signals held while files are written, on POSIX systems.
#include "platform/posix_signals.h"

#include <climits>
#include <csignal>

#include <unistd.h>
#ifdef __linux__
#include <sys/syscall.h>
#endif

namespace adaskel::posix {
namespace {

// The signal that arrived while signals were held, or 0. Global, as only
// such a variable may be set by a signal handler.
volatile std::sig_atomic_t held_signal = 0;

extern "C" void hold_signal(int signal) { held_signal = signal; }

// Every signal that another process or the terminal can send and whose
// default action ends the process, so that only SIGKILL can cut a file
// short. Left out: the faults (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP,
// SIGSYS, SIGABRT), which mean a defect and act at once, even when sent by
// another process; SIGPIPE and SIGXFSZ, ignored for the whole run; and the
// reserved signals below SIGRTMIN (Reserved_Signals). The real-time signals
// the C library hands out follow.
// clang-format off
constexpr int ending_signals[] = {
    SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU,
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGIO
    SIGIO,
#elif defined(SIGPOLL)
    SIGPOLL,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
};
// clang-format on

// Calls `action` with each signal that ending_signals describes.
template <typename Action>
void for_each_ending_signal(Action action) {
  for (const int signal : ending_signals) action(signal);
#ifdef SIGRTMIN
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) action(signal);
#endif
}

#ifdef __linux__
// Linux's first real-time signals, 32 up to the C library's SIGRTMIN, which
// it keeps for its threads: any process can send them and they end the
// process, but sigaction() and sigprocmask() refuse them. The program has
// one thread, so they are blocked with the system call itself while files
// are written; one that comes then is delivered, and ends the process, when
// the old mask is put back after the last file.
class Reserved_Signals {
 public:
  void block() {
    Mask reserved{};
    for (int signal = 32; signal < SIGRTMIN; ++signal) {
      const auto bit = static_cast<unsigned>(signal - 1);
      reserved.words[bit / word_bits] |= 1UL << (bit % word_bits);
    }
    blocked_ = ::syscall(SYS_rt_sigprocmask, SIG_BLOCK, &reserved, &before_, sizeof(Mask)) == 0;
  }
  void unblock() {
    if (blocked_) ::syscall(SYS_rt_sigprocmask, SIG_SETMASK, &before_, nullptr, sizeof(Mask));
    blocked_ = false;
  }

 private:
  // The kernel's signal set: a bit per signal, signal n at bit n - 1, in
  // words of unsigned long, whatever their width and byte order.
  static constexpr unsigned word_bits = sizeof(unsigned long) * CHAR_BIT;
  struct Mask {
    unsigned long words[(_NSIG - 1) / word_bits];
  };
  Mask before_{};
  bool blocked_ = false;
};
#else
struct Reserved_Signals {
  void block() {}
  void unblock() {}
};
#endif

bool signals_held = false;
Reserved_Signals reserved_signals;

}  // namespace

void hold_signals() {
  struct sigaction holding {};
  holding.sa_handler = hold_signal;
  holding.sa_flags = SA_RESTART;
  for_each_ending_signal([&holding](int signal) {
    struct sigaction before {};
    if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
      ::sigaction(signal, &holding, nullptr);
    }
  });
  reserved_signals.block();
  signals_held = true;
}

void release_signals() {
  if (!signals_held) return;
  for_each_ending_signal([](int signal) {
    struct sigaction now {};
    if (::sigaction(signal, nullptr, &now) == 0 && now.sa_handler == hold_signal) {
      static_cast<void>(std::signal(signal, SIG_DFL));
    }
  });
  signals_held = false;
  reserved_signals.unblock();
  take_held_signal();
}

// A core-dumping signal still dumps core.
void take_held_signal() {
  const int signal = held_signal;
  if (signal == 0) return;
  static_cast<void>(std::signal(signal, SIG_DFL));
  static_cast<void>(std::raise(signal));
  ::_exit(128 + signal);  // only when the signal is blocked
}

}  // namespace adaskel::posix
