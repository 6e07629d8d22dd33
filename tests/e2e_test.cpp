// SPDX-License-Identifier: GPL-2.0-or-later
// The real binary in scratch directories: console bytes, exit status, every
// file left; the local year, signals, a terminal, GNAT and Windows under
// Wine; and the platform on a real file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "common/failure.h"
#include "common/text_file.h"
#include "harness.h"

namespace {
std::size_t allocation_limit = SIZE_MAX;  // larger allocations fail
}  // namespace

// Replacements, not inlined, so the compiler pairs them only with each other.
[[gnu::noinline]] void* operator new(std::size_t size) {
  void* memory = size <= allocation_limit ? std::malloc(size > 0 ? size : 1) : nullptr;
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}
[[gnu::noinline]] void operator delete(void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace adaskel::testing {
namespace {

using namespace std::string_literals;

TEST(E2e, RunKeepsExistingFilesAndASecondRunChangesNothing) {
  Scratch dir;
  dir.write("l",
            "demo\napp\ndemo-util\nkept\nlinked\ndangling\nabs\nfar\nx-y\r\nx-y\r\ndemo-util\n");
  for (const char* name : {"demo", "demo-util", "linked", "dangling", "abs", "far", "x-y\r"}) {
    dir.make_dirs("demo/" + std::string(name) + "/src/lib");
  }
  dir.write("demo/kept/src/lib/kept.ads", "");
  dir.write("target", "kept");
  fs::create_symlink("../../../../target", dir.path("demo/linked/src/lib/linked.ads"));
  fs::create_symlink("../lib/hop", dir.path("demo/dangling/src/lib/dangling.ads"));
  fs::create_symlink("new.ads", dir.path("demo/dangling/src/lib/hop"));  // two dangling links
  // Dangling links with an absolute target, and with one of 3,999 bytes.
  const std::string absolute = dir.path("demo/abs/src/lib/new.ads");
  std::string far = "new.ads";
  for (int i = 0; i < 1996; ++i) far.insert(0, "./");
  fs::create_symlink(absolute, dir.path("demo/abs/src/lib/abs.ads"));
  fs::create_symlink(far, dir.path("demo/far/src/lib/far.ads"));
  const Run_Result first =
      dir.run({"l"}, "typed at the pause\nJane Doe\r\n", "umask 0 && RUN <$IN >$OUT 2>$ERR");
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, dialogue);
  EXPECT_EQ(fs::status(dir.path("demo/demo/src/demo.adb")).permissions(), fs::perms(0666));
  const auto package = [](const std::string& name) {
    return header("2027") + "package " + name + " is\n\nend " + name + " ; \n";
  };
  const std::map<std::string, std::string> files = {
      {"l", dir.read("l")},
      {"target", "kept"},
      {"demo/demo/src/demo.adb",
       header("2026") + "with Demo.Util ; \nwith Kept ; \nwith Linked ; \nwith Dangling ; \n" +
           "with Abs ; \nwith Far ; \nwith X.Y\r ; \nwith X.Y\r ; \nwith Demo.Util ; \n" +
           "procedure App is\n\nbegin\n\n   null;\nend App ; \n"},
      {"demo/demo-util/src/lib/demo-util.ads", package("Demo.Util")},
      {"demo/kept/src/lib/kept.ads", ""},
      {"demo/linked/src/lib/linked.ads", "@../../../../target"},
      {"demo/dangling/src/lib/dangling.ads", "@../lib/hop"},
      {"demo/dangling/src/lib/hop", "@new.ads"},
      {"demo/dangling/src/lib/new.ads", package("Dangling")},
      {"demo/abs/src/lib/abs.ads", "@" + absolute},
      {"demo/abs/src/lib/new.ads", package("Abs")},
      {"demo/far/src/lib/far.ads", "@" + far},
      {"demo/far/src/lib/new.ads", package("Far")},
      {"demo/x-y\r/src/lib/x-y\r.ads", package("X.Y\r")},
  };
  EXPECT_EQ(dir.files(), files);
  EXPECT_EQ(dir.run({"l"}, "\nSomeone Else").out, dialogue);
  EXPECT_EQ(dir.files(), files);
}

// With one descriptor left when a header is written, the year still comes
// from the local time zone: here one a year ahead of UTC.
TEST(E2e, LocalYearWithFewDescriptors) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers need descriptors of their own";
#endif
  Scratch dir;
  std::string zone(54, '\0');  // TZif: one type, 366 days ahead, named FUT
  zone.replace(0, 4, "TZif").replace(36, 17, "\0\0\0\1\0\0\0\4\1\xe2\x85\0\0\0FUT"s);
  dir.write("zone", zone);
  dir.write("l", "demo\ndemo\n");
  dir.make_dirs("demo/demo/src");
  const Run_Result run = dir.run({"l"}, "\nJane\n", "(ulimit -n 4 && RUN) <$IN >$OUT 2>$ERR",
                                 {{"TZ", ":" + dir.path("zone")}});
  EXPECT_EQ(run.status, 0) << run.err;
  // The year in UTC by the clock the program reads, not by the test's own.
  ASSERT_EQ(wait_status(spawn("date -u +%Y > " + shell_quoted(dir.path("year")))), 0);
  const std::string year = " " + std::to_string(std::stoi(dir.read("year")) + 1) + " Jane ; \n";
  EXPECT_NE(dir.read("demo/demo/src/demo.adb").find(year), std::string::npos);
}

// A signal that would end the process waits for the file in progress, and
// then ends the run: before the next file, or, for the reserved signals 32
// and 33, which can only be blocked, after the last one. Never later for
// standard output, which blocks for good: its pipe is filled, by a second
// opening of it, but for the dialogue. An ignored signal stays ignored, and
// one that reports a fault acts at once.
// strace sends each signal as the program starts one system call on one
// file, so each row happens at its moment however busy the machine is.
TEST(E2e, SignalsWaitForTheFileNotForOutput) {
  Scratch dir;
  dir.write("l", "demo\ndemo\nnext\n");
  dir.write("answers", "\nJane\n");
  dir.make_dirs("demo/demo/src");
  dir.make_dirs("demo/next/src/lib");
  static constexpr const char* main_file = "demo/demo/src/demo.adb";
  static constexpr const char* next = "demo/next/src/lib/next.ads";
  ASSERT_EQ(dir.run({"l"}, "\nJane\n", "RUN <$IN >$OUT 2>$ERR", frozen_clock).status, 0);
  const std::map<std::string, std::string> whole = dir.files();
  ASSERT_EQ(::mkfifo(dir.path("out").c_str(), 0600), 0);
  const int output = ::open(dir.path("out").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  const std::string filler(std::size_t(::fcntl(output, F_GETPIPE_SZ)) + 1 - dialogue.size(), 'x');
  // Under qemu-user the program's signal n from 32 on is the host's n + 2,
  // so its last two real-time signals are out of reach; a status the test,
  // emulated too, waits for is told in the program's numbers.
  const int shift = ADASKEL_EMULATOR_KIB > 0 ? 2 : 0;
  const auto sent = [shift](int signal) { return signal >= 32 ? signal + shift : signal; };
  // Each row: the signal, sent as the program starts the `when`th `call` on
  // `file` (by default as it creates the main file), whether the next, last
  // file is then written, whether the caller ignores the signal, and whether
  // it acts at once, leaving the main file created but empty.
  struct Row {
    int signal;
    std::string call = "openat", file = main_file;
    int when = 1;
    bool next_written = false, ignored = false, at_once = false;
  };
  std::vector<Row> cases = {
      {.signal = 32, .next_written = true},
      {.signal = 33, .next_written = true},
      {.signal = SIGTERM, .call = "close"},
      {.signal = SIGINT, .file = next, .next_written = true},
      // The fifth write to standard output, after the banner, the version
      // line and the two prompts, is the line end that ends the run.
      {.signal = SIGTERM, .call = "write", .file = "out", .when = 5, .next_written = true},
      {.signal = SIGHUP, .next_written = true, .ignored = true},
      {.signal = 32, .next_written = true, .ignored = true},
  };
  // Every other signal that would end the run, sent as the main file is created.
  const int alike[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT,  SIGUSR1,
                       SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,  SIGXCPU,
                       SIGPWR,  SIGIO,   SIGSTKFLT, SIGRTMIN, SIGRTMAX - shift};
  std::transform(std::begin(alike), std::end(alike), std::back_inserter(cases),
                 [](int signal) { return Row{.signal = signal}; });
  // The signals of a fault, sent as the main file is created; qemu-user takes
  // SIGSEGV and SIGBUS as faults of its own and passes no sent one on.
  std::vector<int> faults = {SIGABRT, SIGFPE, SIGILL, SIGTRAP, SIGSYS};
  if (shift == 0) faults.insert(faults.end(), {SIGSEGV, SIGBUS});
  std::transform(faults.begin(), faults.end(), std::back_inserter(cases),
                 [](int signal) { return Row{.signal = signal, .at_once = true}; });
  char bytes[65536];
  for (const auto& c : cases) {
    const std::string row = std::to_string(c.signal) + " at " + c.call + " " + c.file;
    fs::remove(dir.path(main_file));
    fs::remove(dir.path(next));
    while (::read(output, bytes, sizeof bytes) > 0) {
    }
    const std::string fill = c.ignored ? "" : filler;  // an ignored signal lets the run end
    ASSERT_EQ(::write(output, fill.data(), fill.size()), ssize_t(fill.size()));
    // strace names the file as the program does, for a call that takes the
    // path, and by its whole path, for calls on its descriptor.
    const std::string strace = "exec strace -o trace --quiet=path-resolution -P " + c.file +
                               " -P " + (fs::canonical(dir.path("")) / c.file).string() +
                               " -e trace=" + c.call + " -e inject=" + c.call +
                               ":signal=" + std::to_string(sent(c.signal)) +
                               ":when=" + std::to_string(c.when) + " ";
    const pid_t pid =
        spawn(dir.command({"l"}, traced(frozen_clock), strace) + " <answers >out 2>err",
              c.ignored ? std::vector{c.signal} : std::vector<int>{});
    const int status = wait_status(pid);
    // A run that never ended blocks on its output until killed: no row
    // after it can tell more.
    ASSERT_FALSE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << row;
    std::map<std::string, std::string> left = dir.files();
    const std::string trace = left["trace"], end = trace.substr(trace.rfind("+++ "));
    if (c.ignored) {
      EXPECT_EQ(end, "+++ exited with 0 +++\n") << row;
    } else {
      EXPECT_TRUE(end.starts_with("+++ killed by ")) << row << ": " << end;
      // strace then ends by the same signal, or with 128 + its number when
      // the C library will not let it raise that one (32 and 33).
      EXPECT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status) - 128, c.signal)
          << row;
    }
    // No diagnostic; qemu says when a signal ends the program, as a shell would.
    const std::string err = left["err"];
    EXPECT_TRUE(err.empty() || (shift > 0 && err.starts_with("qemu: uncaught target signal")))
        << row << ": " << err;
    left.erase("err");
    left.erase("trace");
    for (const auto& [path, text] : left) {
      const bool cut = c.at_once && path == main_file;
      EXPECT_TRUE(text == (cut ? "" : whole.at(path))) << path << row;
    }
    EXPECT_TRUE(left.contains(main_file)) << row;
    EXPECT_EQ(left.contains(next), c.next_written) << row;
  }
  ::close(output);
}

// Each prompt is on the screen before the program waits for a key, the name
// typed after Enter is the author's, as the terminal's editing leaves it, and
// the shipped example, what README command 1 writes, builds through
// examples/demo.gpr (with gprbuild; without it, gnatmake on the same
// folders) into a program that runs.
TEST(Terminal, PromptsComeBeforeTheKeysAndGnatBuildsTheTree) {
  ASSERT_EQ(wait_status(spawn("command -v gnatmake >/dev/null")), 0)
      << "install gnat, the Ada compiler";
  Scratch dir;
  fs::copy(ADASKEL_EXAMPLES, dir.path(""),
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  Terminal_Run run(dir.command({"demo.lst"}, {}));
  EXPECT_TRUE(run.shows("\r\nThe version is 1.0.0\r\n" + pause)) << run.screen;
  run.type("typed\n");
  EXPECT_TRUE(run.shows(pause + "typed\r\n" + name_prompt)) << run.screen;
  // The terminal's line editing (Ctrl+U, then Backspace) shapes the name; an
  // arrow key is no editing and goes into it as typed.
  run.type("Bob\x15Jaxx\x7f\x7fne\x1b[D\n");
  EXPECT_EQ(run.status(), 0) << run.screen;
  EXPECT_NE(dir.read("demo/demo/src/demo.adb").find(" Jane\x1b[D ; \n"), std::string::npos);
  const std::string build =
      "cd " + shell_quoted(dir.path("")) +
      " && if command -v gprbuild; then timeout 120 gprbuild -q -p -P demo.gpr;"
      " else mkdir -p obj bin && timeout 120 gnatmake -q -D obj -o bin/demo"
      " $(printf -- '-I%s ' demo/*/src/lib) demo/demo/src/demo.adb;"
      " fi > log 2>&1 && bin/demo >> log 2>&1";
  EXPECT_EQ(wait_status(spawn(build)), 0) << dir.read("log");
  // GNAT compiles only the units the main procedure reaches, each into a
  // library file in obj: one for each file written shows the program holds
  // every unit of the list, none left out of the main file's with clauses.
  for (const auto& file : fs::recursive_directory_iterator(dir.path("demo"))) {
    const fs::path& path = file.path();
    if (path.extension() != ".ads" && path.extension() != ".adb") continue;
    EXPECT_TRUE(fs::exists(dir.path("obj/" + path.stem().string() + ".ali"))) << path;
  }
}

// Under Wine, the Windows build (ADASKEL_WINDOWS_EXE) shows and writes what
// the POSIX build does; where the systems differ, as the README says.
TEST(Windows, WritesWhatThePosixBuildWrites) {
  const char* exe = std::getenv("ADASKEL_WINDOWS_EXE");
  if (exe == nullptr) GTEST_SKIP() << "ADASKEL_WINDOWS_EXE names no Windows executable";
  Scratch posix, windows("wine " + std::string(exe));
  const std::string utf8 = "d\xc3\xa9";  // a name that is not ASCII
  for (const Scratch* dir : {&posix, &windows}) {
    fs::copy(ADASKEL_EXAMPLES, dir->path(""),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    dir->write("more.lst", "demo\ndemo\nkept\nthere\n");
    dir->write("demo/kept/src/lib/kept.ads", "kept");
    dir->make_dirs("demo/there/src/lib/there.ads");
    dir->write("device.lst", "demo\ndemo\nCom9\n");
    dir->write("gone.lst", "demo\ndemo\nnowhere\n");
    dir->write("zero.lst", "demo\ndemo\nx\0y\n"s);
    dir->write(utf8 + ".lst", "d\xc3\xa9\nd\xc3\xa9-x\nd\xc3\xa9-y\n");
    dir->make_dirs("d\xc3\xa9/d\xc3\xa9/src");
    dir->make_dirs("d\xc3\xa9/d\xc3\xa9-y/src/lib");
    dir->make_dirs("sub");
  }
  posix.make_dirs("demo/Com9/src/lib/Com9.ads");  // what a device name is on Windows
  windows.make_dirs("demo/Com9/src/lib");
  const struct {
    std::string list, input, shell = "RUN <$IN >$OUT 2>$ERR";
  } runs[] = {
      {.list = "demo.lst", .input = "typed\nJane Doe\nrest\n", .shell = shared_file},
      {.list = "demo.lst", .input = "\r\nSomeone Else\r\nrest", .shell = shared_pipe},
      {.list = "demo.lst", .input = "\n", .shell = shared_pipe},
      {.list = "./more.lst", .input = "\r\nJane\r\n"},     // a file kept, a directory in the way
      {.list = "sub/../device.lst", .input = "\nJane\n"},  // a device's name
      {.list = "gone.lst", .input = "\nJane\n"},           // a directory missing
      {.list = "zero.lst", .input = "\nJane\n"},           // a NUL byte in a name
      {.list = utf8 + ".lst", .input = "\nJ\xc3\xa9r\xc3\xb4me\n"},
      {.list = "missing.lst", .input = "\n"},
      {.list = "demo.lst", .input = "\n"},  // no name before the end of input
      {.list = "demo.lst", .input = "\nJane\n", .shell = "RUN <$IN >/dev/full 2>$ERR"},
      {.list = "demo.lst",
       .input = "\n",
       .shell = "mv gpl.txt g; RUN <$IN >$OUT 2>$ERR; s=$?; mv g gpl.txt; exit $s"},
      {.list = "demo.lst",  // a dangling link where the main file goes
       .input = "\nJane\n",
       .shell = "cd demo/demo/src && ln -sf d demo.adb && RUN <$IN >$OUT 2>$ERR"},
  };
  const Environment frozen = faked_clock("2027-01-01 00:08:59");
  for (const auto& run : runs) {
    const Run_Result expected = posix.run({run.list}, run.input, run.shell, frozen);
    const Run_Result got = windows.run({run.list}, run.input, run.shell, frozen);
    EXPECT_EQ(std::tie(got.out, got.err, got.status),
              std::tie(expected.out, expected.err, expected.status))
        << run.list << run.input;
    EXPECT_EQ(windows.files(), posix.files()) << run.list << run.input;
  }
  // At a console, Enter ends the name as it does on a POSIX terminal.
  fs::remove(windows.path("demo/demo/src/demo.adb"));
  Terminal_Run run(windows.command({"demo.lst"}, {}));
  EXPECT_TRUE(run.shows("else")) << run.screen;
  run.type("\r");
  EXPECT_TRUE(run.shows("name")) << run.screen;
  run.type("Jane\r");
  EXPECT_EQ(run.status(), 0) << run.screen;
  EXPECT_NE(windows.read("demo/demo/src/demo.adb").find(" Jane ; \n"), std::string::npos);
}

// A real file: a close() that fails, made to fail for real, is a failure;
// and when memory runs out as a line is composed, the failure names the
// file, which keeps the whole lines composed before.
TEST(Platform, FailingCloseAndMemoryRunningOut) {
  const std::string path = ::testing::TempDir() + "adaskel-platform-test";
  ::unlink(path.c_str());
  const int next_fd = ::dup(0);  // the descriptor the file will get
  ::close(next_fd);
  Text_File closing(system_platform()->create_unless_regular(path));
  ASSERT_EQ(::close(next_fd), 0);  // taken away, so the file's own close() fails
  EXPECT_THROW(closing.close(), Failure);
  ::unlink(path.c_str());
  std::string message = "no failure";
  {
    Text_File file(system_platform()->create_unless_regular(path));
    file.write_line({"-- ", "Abstract"});
    const std::string big(100'000, 'x');
    allocation_limit = 50'000;
    try {
      file.write_line({"-- ", big});
    } catch (const Failure& failure) {
      message = failure.message();
    }
    allocation_limit = SIZE_MAX;
  }  // not closed, as when a failure ends the run
  EXPECT_EQ(message, "cannot complete \"" + path + "\": out of memory");
  EXPECT_EQ(Scratch::read_file(path), "-- Abstract\n");
  ::unlink(path.c_str());
}

}  // namespace
}  // namespace adaskel::testing
