// The real binary on a pseudo-terminal: each prompt is on the screen before
// the program waits for a key, and Ctrl+D at the pause ends the run.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "scratch.h"

namespace adaskel::testing {
namespace {

const std::string pause = "Press 'Enter' to continu, Ctrl+D else";

class Terminal : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("app.lst", "app\napp\n");
    dir.make_dirs("app/app/src");
    pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0 && ::chdir(dir.path("").c_str()) == 0) ::execl(ADASKEL_BINARY, ADASKEL_BINARY, "app.lst", nullptr);
    if (pid == 0) ::_exit(127);
  }
  void TearDown() override {
    if (::kill(pid, SIGKILL) == 0) ::waitpid(pid, nullptr, 0);  // left running by a failed test
    ::close(master);
  }
  // The screen once it ends with `text`, or once the program has closed the
  // terminal (an empty text), waiting at most 10 seconds for each piece.
  std::string screen_until(const std::string& text) {
    char buffer[512];
    pollfd ready{master, POLLIN, 0};
    for (ssize_t count = 0; (text.empty() || !screen.ends_with(text)) && ::poll(&ready, 1, 10'000) == 1 &&
                            (count = ::read(master, buffer, sizeof buffer)) > 0;) {
      screen.append(buffer, static_cast<std::size_t>(count));
    }
    return screen;
  }
  int exit_status() {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  Scratch dir;
  pid_t pid = -1;
  int master = -1;
  std::string screen;
};

TEST_F(Terminal, PromptsAppearBeforeTheKeysAreTyped) {
  ASSERT_TRUE(screen_until(pause).ends_with("\r\nThe version is 1.0\r\n" + pause)) << screen;
  ASSERT_EQ(::write(master, "\n", 1), 1);
  ASSERT_TRUE(screen_until("Enter your name : ").ends_with(pause + "\r\nEnter your name : ")) << screen;
  ASSERT_EQ(::write(master, "Jane\n", 5), 5);
  EXPECT_TRUE(screen_until("").ends_with("Enter your name : Jane\r\n\r\n")) << screen;
  EXPECT_EQ(exit_status(), 0);
  EXPECT_NE(dir.read("app/app/src/app.adb").find(" Jane ; \n"), std::string::npos);
}

TEST_F(Terminal, CtrlDAtThePauseEndsTheRun) {
  screen_until(pause);
  ASSERT_EQ(::write(master, "\x04", 1), 1);
  EXPECT_TRUE(screen_until("").ends_with(pause + "\r\nadaskel: error: cannot read standard input: end of file\r\n"))
      << screen;
  EXPECT_EQ(exit_status(), 1);
  EXPECT_EQ(dir.tree(), (std::vector<std::string>{"app.lst", "app/", "app/app/", "app/app/src/"}));
}

}  // namespace
}  // namespace adaskel::testing
