// SPDX-License-Identifier: GPL-2.0-or-later
// What the end-to-end tests run the real binary with: scratch working
// directories, shell lines, faked clocks, terminals and processes to signal.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/close_range.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace adaskel::testing {

namespace fs = std::filesystem;

// A licence text of lines "L<n>" but for lines 299 to 303, which try the
// excerpt's rules: a form feed, an empty line, one byte, blanks and a CR.
inline std::string numbered_licence(int lines = 309) {
  const char* special[] = {"\fab", "", "x", "    x", "L303\r"};
  std::string text;
  for (int n = 1; n <= lines; ++n) {
    text += (n >= 299 && n <= 303 ? special[n - 299] : "L" + std::to_string(n)) + "\n";
  }
  return text;
}

// The variables of a run's program: faketime's library preloaded (and
// accepted by the address sanitizer), no wrapper process between; under an
// emulator, into the program or into the emulator (tests/CMakeLists.txt).
using Environment = std::vector<std::pair<std::string, std::string>>;
inline Environment faked_clock(const std::string& time) {
  return {{"ASAN_OPTIONS", "verify_asan_link_order=0"},
          {ADASKEL_PRELOAD, ADASKEL_LIBFAKETIME},
          {"TZ", "EAST-1"},
          {"FAKETIME", time}};
}
// An hour east of UTC, the clock starts a minute before midnight on New
// Year's Eve and moves on 30 seconds at each reading: the banner shows
// 22:59:00 UTC, the first header the year 2026, every later one 2027. An
// emulator that serves the clock takes one reading first, as glib loads.
inline const Environment stepping_clock =
    faked_clock(ADASKEL_EMULATOR_CLOCK ? "@2026-12-31 23:58:30 i30" : "@2026-12-31 23:59:00 i30");
inline const Environment frozen_clock = faked_clock("2026-12-31 23:59:00");
// `environment` for a program that strace traces: LeakSanitizer cannot work
// under a tracer, and the signals of a fault sent to it end it as they would
// without the sanitizer, which takes them for a crash of its own.
inline Environment traced(Environment environment) {
  for (auto& [name, value] : environment) {
    if (name != "ASAN_OPTIONS") continue;
    value += ":detect_leaks=0:handle_segv=0:handle_sigbus=0:handle_sigfpe=0";
  }
  return environment;
}

// faketime's library leaves what it shares with child processes behind a
// killed one; a later process given the same id would take up its clock.
inline void forget_killed_clocks() {
  for (const auto& entry : fs::directory_iterator("/dev/shm")) {
    const std::string name = entry.path().filename().string();
    const std::size_t id = name.find_last_not_of("0123456789") + 1;
    if (name.find("faketime_") == std::string::npos || id == name.size()) continue;
    if (::kill(std::stoi(name.substr(id)), 0) != 0 && errno == ESRCH) fs::remove(entry);
  }
}

// `text` as one word of a POSIX shell.
inline std::string shell_quoted(const std::string& text) {
  std::string words = "'";
  for (const char c : text) words += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return words + "'";
}

// In a child, whatever the test runner left: every signal at its default but
// those `ignored` (through the system call, which takes 32 and 33) and none
// blocked, umask 022, no core files, no file or memory limit but the hard
// one, UTC, the locale C.UTF-8, no clock library of the caller's
// (faketime's), and the runner's open files closed at exec.
inline void own_world(const std::vector<int>& ignored = {}) {
  struct {
    void (*handler)(int);  // first on every target; the other fields are 0
    unsigned long flags = 0;
    void* restorer = nullptr;
    std::uint64_t mask = 0;
  } action{};
  for (int signal = 1; signal <= 64; ++signal) {
    const bool ignore = std::find(ignored.begin(), ignored.end(), signal) != ignored.end();
    action.handler = ignore ? SIG_IGN : SIG_DFL;
    ::syscall(SYS_rt_sigaction, signal, &action, nullptr, sizeof action.mask);
  }
  ::syscall(SYS_rt_sigprocmask, SIG_SETMASK, &action.mask, nullptr, sizeof action.mask);
  ::umask(022);
  for (const int resource : {RLIMIT_CORE, RLIMIT_FSIZE, RLIMIT_AS, RLIMIT_DATA}) {
    rlimit limit{};
    ::getrlimit(resource, &limit);
    limit.rlim_cur = resource == RLIMIT_CORE ? 0 : limit.rlim_max;
    ::setrlimit(resource, &limit);
  }
  for (const char* name : {"LD_PRELOAD", "FAKETIME", "FAKETIME_SHARED"}) ::unsetenv(name);
  ::setenv("TZ", "UTC0", 1);
  ::setenv("LC_ALL", "C.UTF-8", 1);  // Wine names files in its character set
  ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
}

// Starts bash -c `line` in its own world, standard input empty. A line that
// execs the program leaves no shell between it and a signal.
inline pid_t spawn(const std::string& line, const std::vector<int>& ignored = {}) {
  static_cast<void>(std::signal(SIGCHLD, SIG_DFL));  // an ignored one leaves no status to wait for
  const pid_t pid = ::fork();
  if (pid == 0) {
    own_world(ignored);
    if (const int empty = ::open("/dev/null", O_RDONLY); empty > 0)
      ::dup2(empty, 0), ::close(empty);
    ::execl("/bin/bash", "bash", "-c", line.c_str(), nullptr);
    ::_exit(127);
  }
  return pid;
}

// The wait status of `pid` once it has ended, killed after 120 seconds.
inline int wait_status(pid_t pid) {
  int status = -1;
  for (int i = 0; ::waitpid(pid, &status, WNOHANG) == 0; ++i) {
    if (i == 120'000) ::kill(pid, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  forget_killed_clocks();
  return status;
}

struct Run_Result {
  int status;  // the exit status; 124 when the run took too long
  std::string out, err;
};

using Args = std::vector<std::string>;

// A working directory of its own, removed with everything in it at the end.
class Scratch {
 public:
  // Versions.lst "1.0", Abstract.txt "Abstract", gpl.txt the numbered licence.
  explicit Scratch(std::string binary = ADASKEL_BINARY) : binary_(std::move(binary)) {
    std::string pattern = (fs::temp_directory_path() / "adaskel-test-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    work_ = root_ / "work";
    write("Versions.lst", "1.0\n");
    write("Abstract.txt", "Abstract\n");
    write("gpl.txt", numbered_licence());
  }
  ~Scratch() { fs::remove_all(root_); }

  std::string path(const std::string& relative) const { return (work_ / relative).string(); }
  void make_dirs(const std::string& relative) const { fs::create_directories(work_ / relative); }
  std::string read(const std::string& relative) const { return read_file(work_ / relative); }
  static std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void write(const std::string& relative, const std::string& bytes) const {
    fs::create_directories((work_ / relative).parent_path());
    std::ofstream(work_ / relative, std::ios::binary) << bytes;
  }

  // Every file and link below the working directory but the resource files:
  // a file's text, or "@" and a link's target, under its path.
  std::map<std::string, std::string> files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(work_)) {
      const std::string name = entry.path().lexically_relative(work_).string();
      if (name == "Versions.lst" || name == "Abstract.txt" || name == "gpl.txt") continue;
      if (entry.is_symlink() || entry.is_regular_file()) {
        files[name] =
            entry.is_symlink() ? "@" + fs::read_symlink(entry).string() : read_file(entry);
      }
    }
    return files;
  }

  // The shell words that run the binary, after `prefix`, with `arguments`
  // on `environment`, in the working directory.
  std::string command(const Args& arguments, const Environment& environment = frozen_clock,
                      const std::string& prefix = {}) const {
    std::string words = "cd " + shell_quoted(work_) + " && ";
    for (const auto& [name, value] : environment) words += name + "=" + shell_quoted(value) + " ";
    words += prefix + binary_;
    for (const auto& argument : arguments) words += " " + shell_quoted(argument);
    return words;
  }

  // Runs `shell`, a bash command line with pipefail set, in the working
  // directory. In it, RUN runs the binary with `arguments` on `environment`
  // (ended after 120 s), and $IN, $OUT and $ERR name files: $IN holds
  // `input`, and $OUT and $ERR are read back.
  Run_Result run(const Args& arguments, const std::string& input,
                 const std::string& shell = "RUN <$IN >$OUT 2>$ERR",
                 const Environment& environment = stepping_clock) const {
    std::ofstream(root_ / "in", std::ios::binary) << input;
    fs::remove(root_ / "out");
    fs::remove(root_ / "err");
    const std::string line = "set -o pipefail; IN=" + (root_ / "in").string() +
                             " OUT=" + (root_ / "out").string() +
                             " ERR=" + (root_ / "err").string() + "; RUN() { (" +
                             command(arguments, environment, "timeout 120 ") + "); }; cd " +
                             shell_quoted(work_) + " && " + shell;
    const int status = wait_status(spawn(line));
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(root_ / "out"),
            read_file(root_ / "err")};
  }

 private:
  std::string binary_;
  fs::path root_, work_;
};

// A shell command run on a pseudo-terminal, Enter giving a carriage return
// untranslated, as a console's Enter does.
class Terminal_Run {
 public:
  explicit Terminal_Run(const std::string& command) {
    static_cast<void>(std::signal(SIGCHLD, SIG_DFL));
    pid_ = ::forkpty(&terminal_, nullptr, nullptr, nullptr);
    if (pid_ != 0) return;
    own_world();
    ::execl("/bin/bash", "bash", "-c", ("stty -icrnl && " + command).c_str(), nullptr);
    ::_exit(127);
  }
  ~Terminal_Run() { ::close(terminal_); }

  // Whether the screen comes to show `text` (with no text: once the command
  // has closed the terminal), waiting at most 10 seconds a piece.
  bool shows(const std::string& text) {
    char piece[512];
    pollfd ready{terminal_, POLLIN, 0};
    for (ssize_t n = 0; (text.empty() || screen.find(text) == std::string::npos) &&
                        ::poll(&ready, 1, 10'000) == 1 &&
                        (n = ::read(terminal_, piece, sizeof piece)) > 0;) {
      screen.append(piece, static_cast<std::size_t>(n));
    }
    return screen.find(text) != std::string::npos;
  }
  void type(const std::string& keys) {
    ASSERT_EQ(::write(terminal_, keys.data(), keys.size()), ssize_t(keys.size()));
  }
  // The exit status, once the command has ended.
  int status() {
    shows("");
    const int status = wait_status(pid_);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string screen;

 private:
  int terminal_ = -1;
  pid_t pid_ = -1;
};

inline const std::string banner = "We are the 2026-12-31 22:59:00\n",
                         version = "The version is 1.0\n";
inline const std::string pause = "Press 'Enter' to continu, Ctrl+D else";
inline const std::string name_prompt = "Enter your name : ";
inline const std::string dialogue = banner + version + pause + name_prompt + "\n";
// A limit of the run's address space, beyond what an emulator takes for
// itself. qemu holds all the 4 GiB of a 32-bit program, out of the limit's
// reach: there a library preloaded into the program leaves it the limit alone
// (address_limit.c).
inline std::string address_space(int kib) {
  const bool held = ADASKEL_EMULATOR_KIB > 0 && sizeof(void*) == 4;
  return held ? "export ADASKEL_ADDRESS_SPACE=" + std::to_string(kib)
              : "ulimit -v " + std::to_string(kib + ADASKEL_EMULATOR_KIB);
}
// The shell lines of runs that share standard input with a later command.
inline const std::string then_cat = "{ RUN; s=$?; cat; exit $s; }";
inline const std::string shared_file = then_cat + " <$IN >$OUT 2>$ERR";
inline const std::string shared_pipe = "cat $IN | " + then_cat + " >$OUT 2>$ERR";

// The header of a file of the program App, written in `year` for "Jane Doe\r"
// (the name typed with CR LF), under a new Scratch's resource files on the
// stepping clock.
inline std::string header(const std::string& year) {
  return "-- Abstract\n-- App is Copyright (C) " + year + " Jane Doe\r ; \n" +
         "--295\n--296\n--297\n--298\n--b\n--\n--\n--   x\n--303\r\n--304\n--305\n--306\n--307\n"
         "--308\n--309\n-- Date := \"2026-12-31 22:59:00\"\n-- Version := \"1.0\"\n";
}

}  // namespace adaskel::testing
