// SPDX-License-Identifier: GPL-2.0-or-later
// The real binary in a scratch directory: console bytes, exit status, and
// every file written or left behind; on a terminal; and against GNAT. Also
// the real platform's close().
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/text_file.h"

namespace adaskel::testing {
namespace {

namespace fs = std::filesystem;

// A licence text of numbered lines, "L<n>", but for lines 299 to 303, which
// try the excerpt's rules: a form feed after a line feed, an empty line, a
// line of one byte, leading blanks and a carriage return.
std::string numbered_licence(int lines = 309) {
  const char* special[] = {"\fab", "", "x", "    x", "L303\r"};
  std::string text;
  for (int n = 1; n <= lines; ++n) {
    text += (n >= 299 && n <= 303 ? special[n - 299] : "L" + std::to_string(n)) + "\n";
  }
  return text;
}

// An hour east of UTC, the clock starts a minute before midnight on New
// Year's Eve and moves on 30 seconds at each reading: the banner shows
// 22:59:00 UTC, the first header the year 2026, every later one 2027. The
// address sanitizer, if built in, is told to accept the clock preloaded.
const std::string stepping_clock =
    "ASAN_OPTIONS=verify_asan_link_order=0 TZ=EAST-1 faketime -f '@2026-12-31 23:59:00 i30'";

struct Run_Result {
  int status;  // the exit status; 124 when the run took too long
  std::string out, err;
};

class Scratch {
 public:
  // Versions.lst "1.0", Abstract.txt "Abstract", gpl.txt the numbered licence;
  // runs of `binary` (a command) on `clock`.
  explicit Scratch(std::string binary = ADASKEL_BINARY, std::string clock = stepping_clock)
      : binary_(std::move(binary)), clock_(std::move(clock)) {
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

  // Runs the binary here on its clock, with `input` on standard input and
  // `prefix` (shell words such as "ulimit -f 1 &&") before it; standard
  // output is captured unless `output` is a redirection target of its own.
  Run_Result run(const std::vector<std::string>& arguments, const std::string& input,
                 const std::string& prefix = {}, const std::string& output = {}) const {
    const auto shell_quoted = [](const std::string& text) {
      std::string words = "'";
      for (const char c : text) words += c == '\'' ? std::string("'\\''") : std::string(1, c);
      return words + "'";
    };
    const fs::path in = root_ / "in", out = root_ / "out", err = root_ / "err";
    std::ofstream(in, std::ios::binary) << input;
    fs::remove(out);
    std::string command = "cd " + shell_quoted(work_) + " && " + prefix + " " + clock_;
    command += " timeout 120 " + binary_;  // a run that hangs is ended
    for (const auto& argument : arguments) command += " " + shell_quoted(argument);
    command += " <" + in.string() + " >" + (output.empty() ? out.string() : output);
    command += " 2>" + err.string();
    static_cast<void>(std::signal(SIGPIPE, SIG_DFL));  // as a shell leaves it for the program
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(out), read_file(err)};
  }

 private:
  std::string binary_, clock_;
  fs::path root_, work_;
};

// A command run on a pseudo-terminal in a scratch directory.
class Terminal_Run {
 public:
  Terminal_Run(const Scratch& dir, std::vector<const char*> command) {
    pid_ = ::forkpty(&terminal_, nullptr, nullptr, nullptr);
    command.push_back(nullptr);
    // Enter gives a carriage return, as a console's Enter does, untranslated.
    termios settings{};
    if (pid_ == 0 && ::tcgetattr(0, &settings) == 0) settings.c_iflag &= ~tcflag_t{ICRNL};
    if (pid_ == 0 && ::tcsetattr(0, TCSANOW, &settings) == 0 &&
        ::chdir(dir.path("").c_str()) == 0) {
      ::execvp(command[0], const_cast<char**>(command.data()));
    }
    if (pid_ == 0) ::_exit(127);
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
    int status = 0;
    ::waitpid(pid_, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string screen;

 private:
  int terminal_ = -1;
  pid_t pid_ = -1;
};

using Args = std::vector<std::string>;
const std::string banner = "We are the 2026-12-31 22:59:00\n", version = "The version is 1.0\n";
const std::string pause = "Press 'Enter' to continu, Ctrl+D else";
const std::string name_prompt = "Enter your name : ";
const std::string dialogue = banner + version + pause + name_prompt + "\n";

std::string header(const std::string& year) {
  return "-- Abstract\n-- App is Copyright (C) " + year + " Jane Doe\r ; \n" +
         "--295\n--296\n--297\n--298\n--b\n--\n--\n--   x\n--303\r\n--304\n--305\n--306\n--307\n"
         "--308\n--309\n-- Date := \"2026-12-31 22:59:00\"\n-- Version := \"1.0\"\n";
}

TEST(E2e, RunKeepsExistingFilesAndASecondRunChangesNothing) {
  Scratch dir;
  dir.write("l", "demo\napp\ndemo-util\nkept\nlinked\ndangling\nx-y\r\nx-y\r\ndemo-util\n");
  for (const char* name : {"demo", "demo-util", "linked", "dangling", "x-y\r"}) {
    dir.make_dirs("demo/" + std::string(name) + "/src/lib");
  }
  dir.write("demo/kept/src/lib/kept.ads", "");
  dir.write("target", "kept");
  fs::create_symlink("../../../../target", dir.path("demo/linked/src/lib/linked.ads"));
  fs::create_symlink("../lib/hop", dir.path("demo/dangling/src/lib/dangling.ads"));
  fs::create_symlink("new.ads", dir.path("demo/dangling/src/lib/hop"));  // two dangling links
  const Run_Result first = dir.run({"l"}, "typed at the pause\nJane Doe\r\n");
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, dialogue);
  const std::map<std::string, std::string> files = {
      {"l", dir.read("l")},
      {"target", "kept"},
      {"demo/demo/src/demo.adb",
       header("2026") + "with Demo.Util ; \nwith Kept ; \nwith Linked ; \nwith Dangling ; \n" +
           "with X.Y\r ; \nwith X.Y\r ; \nwith Demo.Util ; \n" +
           "procedure App is\n\nbegin\n\n   null;\nend App ; \n"},
      {"demo/demo-util/src/lib/demo-util.ads",
       header("2027") + "package Demo.Util is\n\nend Demo.Util ; \n"},
      {"demo/kept/src/lib/kept.ads", ""},
      {"demo/linked/src/lib/linked.ads", "@../../../../target"},
      {"demo/dangling/src/lib/dangling.ads", "@../lib/hop"},
      {"demo/dangling/src/lib/hop", "@new.ads"},
      {"demo/dangling/src/lib/new.ads",
       header("2027") + "package Dangling is\n\nend Dangling ; \n"},
      {"demo/x-y\r/src/lib/x-y\r.ads", header("2027") + "package X.Y\r is\n\nend X.Y\r ; \n"},
  };
  EXPECT_EQ(dir.files(), files);
  const Run_Result second = dir.run({"l"}, "\nSomeone Else");
  EXPECT_EQ(second.out, dialogue);
  EXPECT_EQ(dir.files(), files);
}

// One run for each row, in a scratch directory where a file is given its
// content ("-" removes it): the diagnostic (none: exit status 0), every file
// written with its number of lines, and the console after the banner. Each
// resource file and standard input at its own step, the three reported input
// errors, and failures that leave what was written, down to the lines of a
// file cut short.
TEST(E2e, RunsThatEndEarly) {
  const std::string l = "l\x1b\n";  // a list name no terminal should see raw
  const std::string licence = numbered_licence(4096), missing = "\": No such file or directory";
  const std::string ended = version + pause + "\n", eof = "cannot read standard input: end of file";
  const std::string no_project = pause + "Project name requiered.\n";
  const std::string complete = "cannot complete \"demo/demo/src/demo.adb\": ";
  const std::string no_line_2 = complete + "the unit list has no line 2 to name the main unit";
  const auto not_regular = [](const std::string& name) {
    return version + pause + "File name : \"" + name + "\" is not regulary file.\n";
  };
  const auto cannot = [](const std::string& name, const std::string& reason) {
    return "cannot create \"demo/" + name + "/src/lib/" + name + ".ads\": " + reason;
  };
  const struct {
    std::string file, content;
    Args arguments;
    std::string error, written, input = "\nJane\n", out = version + pause + name_prompt + "\n";
  } cases[] = {
      // clang-format off
      {"Versions.lst", "-", {}, "cannot open \"Versions.lst" + missing, "", "\n", ""},
      {"Versions.lst", "\n", {}, "\"Versions.lst\" has no line to give the version", "", "\n", ""},
      {"Versions.lst", "0.9\n1.0\r\n\n", {}, "", "", "\n", "The version is 1.0\r\n" + no_project},
      {"Abstract.txt", "-", {}, eof, "", "", ended},  // never opened
      {"Abstract.txt", "-", {}, "cannot open \"Abstract.txt" + missing, "", "\n", ended},
      {"Abstract.txt", "", {}, "cannot read \"Abstract.txt\": end of file", "", "\n", ended},
      {"gpl.txt", "-", {}, "cannot open \"gpl.txt" + missing, "", "no line feed", ended},
      {"gpl.txt", licence + "\n", {}, "", "", "\n", version + no_project},
      {"gpl.txt", licence + "x", {}, "\"gpl.txt\" has more than 4096 lines", "", "\n", ended},
      {"gpl.txt", "", {l}, complete + "\"gpl.txt\" has no line 295", "demo.adb 2"},
      {"gpl.txt", numbered_licence(308), {l}, complete + "\"gpl.txt\" has no line 309", "demo.adb 16"},
      {"", "", {"dir", "0"}, "", "", "\n", not_regular("dir")},
      {"", "", {""}, "", "", "\n", not_regular("")},
      {"", "", {"\x1b[2J\\\n"}, "", "", "\n", not_regular("\x1b[2J\\\n")},
      {"", "", {"link", "0"}, "", "", "\n", version + pause + "Max lines is not a positive.\n"},
      {"", "", {"link", " 2#1#E1 ", "third"}, eof, "", "\n"},
      {l, "demo\n", {l}, no_line_2, "demo.adb 1"},
      {l, "demo\n", {l, "1"}, no_line_2, "demo.adb 1"},
      {l, "demo\ndemo\nhere\nnowhere\nthere\n", {l}, cannot("nowhere", "No such file or directory"),
       "demo.adb 28 here.ads 22"},
      {l, "demo\ndemo\nthere\nhere\n", {l}, cannot("there", "not a regular file"), "demo.adb 27"},
      {l, "demo\ndemo\nnull\n", {l}, cannot("null", "not a regular file"), "demo.adb 26"},
      {l, "demo\ndemo\npipe\n", {l}, cannot("pipe", "not a regular file"), "demo.adb 26"},
      {l, std::string("demo\ndemo\nx\0\n", 13), {l}, cannot("x\\0", "the name holds a NUL byte"), "demo.adb 26"},
      {l, "demo\ndemo\n\t\\\x7f\xe9\r\n", {l}, cannot("\\t\\\\\\x7f\xe9\\r", "No such file or directory"),
       "demo.adb 26"},
      {l, "", {l}, "the unit list is empty: it names no top directory", ""},
      {l, "demo\ndemo\n", {l, "1"}, "\"l\\x1b\\n\" has more than 1 line, the capacity", ""},
      {l, "demo\ndemo\nhere\n", {l, "2"}, "\"l\\x1b\\n\" has more than 2 lines, the capacity", ""},
      {l, "demo\ndemo\nunit-\n", {l}, "the unit list line \"unit-\" ends in '-'", ""},
      {l, "demo\ndemo\n\n\n", {l}, "the unit list has an empty line after its first line", ""},
      // clang-format on
  };
  for (const auto& c : cases) {
    Scratch dir;
    dir.write(l, "demo\ndemo\n");
    for (const char* name : {"demo", "here", "there/src/lib/there.ads", "null", "pipe"}) {
      dir.make_dirs("demo/" + std::string(name) + "/src/lib");
    }
    fs::create_symlink("/dev/null", dir.path("demo/null/src/lib/null.ads"));
    ASSERT_EQ(::mkfifo(dir.path("demo/pipe/src/lib/pipe.ads").c_str(), 0666), 0);
    dir.make_dirs("dir");
    fs::create_symlink(l, dir.path("link"));
    if (c.content == "-") fs::remove(dir.path(c.file));
    if (c.content != "-" && !c.file.empty()) dir.write(c.file, c.content);
    const Run_Result result = dir.run(c.arguments, c.input);
    EXPECT_EQ(result.out, banner + c.out) << c.error << ::testing::PrintToString(c.arguments);
    EXPECT_EQ(result.err, c.error.empty() ? "" : "adaskel: error: " + c.error + "\n");
    EXPECT_EQ(result.status, c.error.empty() ? 0 : 1) << c.error;
    std::string written;
    for (const auto& [path, text] : dir.files()) {
      if (path == l || text.starts_with("@")) continue;
      written += (written.empty() ? "" : " ") + fs::path(path).filename().string() + " " +
                 std::to_string(std::count(text.begin(), text.end(), '\n'));
    }
    EXPECT_EQ(written, c.written) << c.error;
  }
}

TEST(E2e, OutputThatCannotBeWritten) {
  Scratch dir;
  dir.write("l", "demo\ndemo\ndemo-util\n");
  dir.make_dirs("demo/demo/src");
  dir.make_dirs("demo/demo-util/src/lib");
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  ::close(pipe_ends[0]);  // a pipe with no reader
  for (const auto& [output, reason] :
       {std::pair<std::string, std::string>{"/dev/full", "No space left on device"},
        {"&" + std::to_string(pipe_ends[1]), "Broken pipe"}}) {
    const Run_Result result = dir.run({"l"}, "\nJane\n", "", output);
    EXPECT_EQ(result.err, "adaskel: error: cannot write to \"standard output\": " + reason + "\n");
    EXPECT_EQ(result.status, 1);
  }
  ::close(pipe_ends[1]);
  // With 512 bytes a file, the main file, then in a second run the package
  // file, is cut short there; the first run's file is not written again.
  dir.write("Abstract.txt", std::string(600, 'A'));
  for (const std::string path :
       {"demo/demo/src/demo.adb", "demo/demo-util/src/lib/demo-util.ads"}) {
    const Run_Result result = dir.run({"l"}, "\nJane\n", "ulimit -f 1 && trap '' XFSZ &&");
    EXPECT_EQ(result.err, "adaskel: error: cannot write \"" + path + "\": File too large\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(dir.read(path), "-- " + std::string(509, 'A'));
  }
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer's allocator does not run out politely
  fs::remove(dir.path("Abstract.txt"));
  fs::create_symlink("/dev/zero", dir.path("Abstract.txt"));  // one endless line
  const Run_Result result = dir.run({"l"}, "\nJane\n", "ulimit -v 262144 &&");
  EXPECT_EQ(result.out, banner + version + pause + "\n");
  EXPECT_EQ(result.err, "adaskel: error: out of memory\n");
  EXPECT_EQ(result.status, 1);
#endif
}

// Each prompt is on the screen before the program waits for a key, and
// Ctrl+D at the name prompt ends the run.
TEST(Terminal, PromptsComeBeforeTheKeysAndCtrlDEndsTheRun) {
  Scratch dir;
  dir.write("app.lst", "app\napp\n");
  Terminal_Run run(dir, {ADASKEL_BINARY, "app.lst"});
  EXPECT_TRUE(run.shows("\r\nThe version is 1.0\r\n" + pause)) << run.screen;
  run.type("typed\n");
  EXPECT_TRUE(run.shows(pause + "typed\r\n" + name_prompt)) << run.screen;
  run.type("\x04");
  EXPECT_TRUE(run.shows("\r\nadaskel: error: cannot read standard input: end of file\r\n"))
      << run.screen;
  EXPECT_EQ(run.status(), 1);
  EXPECT_EQ(dir.files().size(), 1);  // the list, and nothing written
}

// A list whose units form a valid hierarchy gives a tree that GNAT builds
// into a program that runs.
TEST(Gnat, GeneratedTreeCompilesAndRuns) {
  ASSERT_EQ(std::system("command -v gnatmake >/dev/null"), 0) << "install gnat, the Ada compiler";
  Scratch dir;
  dir.write("app.lst", "app\napp\ncore\ncore-config\ncore-log\n");
  std::string build = "cd " + dir.path("obj") + " && timeout 120 gnatmake -q -o app ";
  for (const std::string stem : {"core", "core-config", "core-log"}) {
    dir.make_dirs("app/" + stem + "/src/lib");
    build += "-I" + dir.path("app/" + stem + "/src/lib") + " ";
  }
  dir.make_dirs("app/app/src");
  dir.make_dirs("obj");
  ASSERT_EQ(dir.run({"app.lst"}, "\nJane\n").status, 0);
  build += dir.path("app/app/src/app.adb") + " > log 2>&1 && ./app >> log 2>&1";
  EXPECT_EQ(std::system(build.c_str()), 0) << dir.read("obj/log");
}

// Under Wine, the Windows build shows and writes what the POSIX build does,
// byte for byte; where the systems differ, a device name or a name that is
// not UTF-8 is no file there. Runs when ADASKEL_WINDOWS_EXE names the
// cross-built executable.
TEST(Windows, WritesWhatThePosixBuildWrites) {
  const char* exe = std::getenv("ADASKEL_WINDOWS_EXE");
  if (exe == nullptr) GTEST_SKIP() << "ADASKEL_WINDOWS_EXE names no Windows executable";
  const std::string frozen = "TZ=EAST-1 faketime -f '2027-01-01 00:08:59'";
  Scratch posix(ADASKEL_BINARY, frozen), windows("wine " + std::string(exe), frozen);
  for (const Scratch* dir : {&posix, &windows}) {
    fs::copy(ADASKEL_EXAMPLES, dir->path(""),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    dir->write("more.lst", "demo\ndemo\nkept\nthere\n");
    dir->write("demo/kept/src/lib/kept.ads", "kept");
    dir->make_dirs("demo/there/src/lib/there.ads");
    dir->write("device.lst", "demo\ndemo\ncon\n");
    dir->write("gone.lst", "demo\ndemo\nnowhere\n");
  }
  posix.make_dirs("demo/con/src/lib/con.ads");  // what a device name is on Windows
  windows.make_dirs("demo/con/src/lib");
  const struct {
    std::string list, input, output = {};
  } runs[] = {
      {"demo.lst", "typed\nJane Doe\n"},
      {"demo.lst", "\r\nSomeone Else\r\n"},
      {"more.lst", "\r\nJane\r\n"},
      {"device.lst", "\nJane\n"},
      {"gone.lst", "\nJane\n"},
      {"missing.lst", "\n"},
      {"demo.lst", "\n"},
      {"demo.lst", "\nJane\n", "/dev/full"},
  };
  for (const auto& run : runs) {
    const Run_Result expected = posix.run({run.list}, run.input, "", run.output);
    const Run_Result got = windows.run({run.list}, run.input, "", run.output);
    EXPECT_EQ(got.out, expected.out) << run.list << run.input;
    EXPECT_EQ(got.err, expected.err) << run.list << run.input;
    EXPECT_EQ(got.status, expected.status) << run.list << run.input;
    EXPECT_EQ(windows.files(), posix.files()) << run.list << run.input;
  }
  windows.write("bad.lst", "demo\ndemo\nb\xff\n");
  const Run_Result bad = windows.run({"bad.lst"}, "\nJane\n");
  EXPECT_EQ(bad.err,
            "adaskel: error: cannot create \"demo/b\xff/src/lib/b\xff.ads\": the name is not valid "
            "UTF-8\n");
  EXPECT_EQ(bad.status, 1);
  // At a console, Enter ends the name as it does on a POSIX terminal.
  fs::remove(windows.path("demo/demo/src/demo.adb"));
  Terminal_Run run(windows, {"wine", exe, "demo.lst"});
  EXPECT_TRUE(run.shows("else")) << run.screen;
  run.type("\r");
  EXPECT_TRUE(run.shows("name")) << run.screen;
  run.type("Jane\r");
  EXPECT_EQ(run.status(), 0) << run.screen;
  EXPECT_NE(windows.read("demo/demo/src/demo.adb").find(" Jane ; \n"), std::string::npos);
}

// A close() that fails, made to fail for real, is a failure.
TEST(Platform, AFailingCloseIsAFailure) {
  const std::string path = ::testing::TempDir() + "adaskel-close-test";
  ::unlink(path.c_str());
  const int next_fd = ::dup(0);  // the descriptor the file will get
  ::close(next_fd);
  Text_File file(system_platform()->create_unless_regular(path));
  ASSERT_EQ(::close(next_fd), 0);  // taken away, so the file's own close() fails
  EXPECT_THROW(file.close(), Failure);
  ::unlink(path.c_str());
}

}  // namespace
}  // namespace adaskel::testing
