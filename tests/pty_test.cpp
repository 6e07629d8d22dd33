// The real binary on a pseudo-terminal: the prompts must be on the screen
// before the program waits for a key, and Ctrl+D at the pause ends the run.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scratch.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int limit_ms = 10000;  // for each step; generous for sanitizer builds
constexpr std::string_view pause_prompt = "Press 'Enter' to continu, Ctrl+D else";
constexpr std::string_view name_prompt = "Enter your name : ";

// The binary on the slave side of a terminal, in the scratch directory, with
// standard error sent to a pipe of its own; killed if a test leaves it running.
struct Terminal_Run {
  pid_t pid = -1;
  int master = -1, pidfd = -1, err = -1;
  std::string screen;  // everything the terminal has shown so far
  explicit Terminal_Run(const adaskel::testing::Scratch& scratch) {
    const std::string dir = scratch.path("");
    char* argv[] = {const_cast<char*>(ADASKEL_BINARY), const_cast<char*>("app.lst"), nullptr};
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) return;
    pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
      if (::chdir(dir.c_str()) != 0 || ::dup2(pipe_fds[1], 2) < 0) ::_exit(127);
      ::execv(argv[0], argv);
      ::_exit(127);
    }
    ::close(pipe_fds[1]);
    err = pipe_fds[0];
    ::fcntl(err, F_SETFL, O_NONBLOCK);  // reading it never waits for the program
    // By its system call: this glibc's <sys/pidfd.h> lacks the C linkage for C++.
    if (pid > 0) pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  }
  ~Terminal_Run() {
    if (pid > 0 && ::kill(pid, SIGKILL) == 0) ::waitpid(pid, nullptr, 0);
    for (int fd : {master, pidfd, err}) if (fd >= 0) ::close(fd);
  }

  // Reads the terminal until `text` is on it (an empty text: until the
  // terminal is closed) or the deadline has passed; tells whether it got there.
  bool read_until(std::string_view text) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(limit_ms);
    char buffer[512];
    while (text.empty() || screen.find(text) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      pollfd ready{master, POLLIN, 0};
      if (left <= 0 || ::poll(&ready, 1, static_cast<int>(left)) != 1) return false;
      const ssize_t count = ::read(master, buffer, sizeof buffer);
      if (count <= 0) return text.empty();  // EIO once the program has closed it
      screen.append(buffer, static_cast<std::size_t>(count));
    }
    return true;
  }
  void type(std::string_view keys) const {
    ASSERT_EQ(::write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }
  // The exit status once the program has ended, or -1 at the deadline.
  int wait_exit() {
    pollfd ended{pidfd, POLLIN, 0};
    int status = 0;
    if (::poll(&ended, 1, limit_ms) != 1 || ::waitpid(pid, &status, 0) != pid) return -1;
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  std::string error_text() const {  // what the program wrote to standard error so far
    std::string text;
    char buffer[512];
    for (ssize_t count; (count = ::read(err, buffer, sizeof buffer)) > 0;)
      text.append(buffer, static_cast<std::size_t>(count));
    return text;
  }
};

// Starts the program on a terminal and reads until its pause prompt is shown,
// before anything is typed.
struct Pty : ::testing::Test {
  adaskel::testing::Scratch scratch;
  std::unique_ptr<Terminal_Run> run;
  void SetUp() override {
    scratch.write("app.lst", "app\napp\ncore\n");
    scratch.make_dirs("app/app/src");
    scratch.make_dirs("app/core/src/lib");
    run = std::make_unique<Terminal_Run>(scratch);
    ASSERT_GE(run->pidfd, 0) << "could not start " ADASKEL_BINARY " on a terminal";
    ASSERT_TRUE(run->read_until(pause_prompt)) << "no pause prompt; terminal so far:\n" << run->screen;
  }
};

TEST_F(Pty, PromptsAppearBeforeEachKeyAndTheRunWritesTheFiles) {
  EXPECT_TRUE(run->screen.ends_with(pause_prompt)) << run->screen;  // nothing typed, nothing more
  run->type("\n");
  ASSERT_TRUE(run->read_until(name_prompt)) << "no name prompt; terminal so far:\n" << run->screen;
  EXPECT_TRUE(run->screen.ends_with(name_prompt)) << run->screen;
  run->type("Jane Doe\n");
  ASSERT_TRUE(run->read_until("")) << "the terminal stayed open:\n" << run->screen;
  ASSERT_EQ(run->wait_exit(), 0) << run->screen << run->error_text();
  EXPECT_EQ(run->error_text(), "");
  const std::string main_file = scratch.read("app/app/src/app.adb");
  const std::size_t start = main_file.find('\n') + 1;
  const std::string line_2 = main_file.substr(start, main_file.find('\n', start) - start);
  EXPECT_EQ(line_2.rfind("-- App is Copyright (C) ", 0), 0u) << main_file;
  EXPECT_TRUE(line_2.ends_with(" Jane Doe ; ")) << main_file;
  EXPECT_NE(scratch.read("app/core/src/lib/core.ads").find("package Core is\n"), std::string::npos);
}

TEST_F(Pty, CtrlDAtThePauseEndsTheLineAndTheRunWithStatus1) {
  run->type("\x04");
  ASSERT_TRUE(run->read_until("")) << "the terminal stayed open:\n" << run->screen;
  EXPECT_EQ(run->wait_exit(), 1) << run->screen;
  EXPECT_TRUE(run->screen.ends_with(std::string(pause_prompt) + "\r\n")) << run->screen;
  EXPECT_EQ(run->error_text().rfind("adaskel: error: ", 0), 0u);
  EXPECT_EQ(scratch.tree(), (std::vector<std::string>{"app.lst", "app/", "app/app/", "app/app/src/",
                                                      "app/core/", "app/core/src/", "app/core/src/lib/"}));
}

}  // namespace
