// SPDX-License-Identifier: GPL-2.0-or-later
// Runs of the real binary that end early, or could: a table for what they
// read, one for the streams and limits they meet; each run checked for its
// console, diagnostic, exit status and files left.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "harness.h"

namespace adaskel::testing {
namespace {

using namespace std::string_literals;

// The list the runs name: a name no terminal should see raw. It holds
// "demo\ndemo\n" unless a row gives it other lines.
const std::string l = "l\x1b\n";
// A unit whose package spec is longer than its main file.
const std::string stem(200, 'p');

// A run in a new scratch directory, where the list `l` and "link", a link
// to it, stand beside the resource files, and the directories of the units
// "demo", "here" and `stem` are made; "there.ads" is a directory, "pipe.ads"
// a FIFO, "loop.ads" a link to itself, and "dir" a directory.
struct Early_Run {
  struct {
    // `file` is given `content`, or is `removed`, or is made a link (`link_to`).
    std::string file{}, content{};
    Args arguments{};
    std::string input = "\nJane\n", shell = "RUN <$IN >$OUT 2>$ERR";  // as Scratch::run takes them
    Environment environment = stepping_clock;
  } run{};
  // The console; the diagnostic after "adaskel: error: " (none: exit status
  // 0, else 1); and every file written, but links, by name and count of
  // lines, a "+" after it for a part line: "demo.adb 26 here.ads 21+"; and
  // whole lines the main file holds.
  struct {
    std::string out = dialogue, error{}, written{};
    std::vector<std::string> in_main_file{};
  } then{};
};
const std::string removed = "-";
std::string link_to(const std::string& target) { return "@" + target; }

// Names the row in a failure message.
std::ostream& operator<<(std::ostream& stream, const Early_Run& row) {
  const auto shown = [](const std::string& text) {
    return ::testing::PrintToString(text.substr(0, 24));
  };
  const auto& run = row.run;
  return stream << "row: arguments " << ::testing::PrintToString(run.arguments) << ", "
                << shown(run.file) << " given " << shown(run.content) << ", input "
                << shown(run.input) << ", shell " << run.shell;
}

// Runs `row` and checks its console, diagnostic, exit status and files.
void expect_run(const Early_Run& row) {
  const auto& run = row.run;
  Scratch dir;
  dir.write(l, "demo\ndemo\n");
  for (const std::string name :
       {"demo", "here", "there/src/lib/there.ads", "pipe", "loop", stem.c_str()}) {
    dir.make_dirs("demo/" + name + "/src/lib");
  }
  fs::create_symlink("loop.ads", dir.path("demo/loop/src/lib/loop.ads"));
  ASSERT_EQ(::mkfifo(dir.path("demo/pipe/src/lib/pipe.ads").c_str(), 0666), 0);
  dir.make_dirs("dir");
  fs::create_symlink(l, dir.path("link"));
  const bool link = run.content.starts_with("@");
  if (run.content == removed || link) fs::remove(dir.path(run.file));
  if (link) fs::create_symlink(run.content.substr(1), dir.path(run.file));
  if (run.content != removed && !link && !run.file.empty()) dir.write(run.file, run.content);
  const Run_Result result = dir.run(run.arguments, run.input, run.shell, run.environment);
  EXPECT_EQ(result.out, row.then.out) << row;
  EXPECT_EQ(result.err, row.then.error.empty() ? "" : "adaskel: error: " + row.then.error + "\n")
      << row;
  EXPECT_EQ(result.status, row.then.error.empty() ? 0 : 1) << row;
  std::string files;
  for (const auto& [path, text] : dir.files()) {
    if (path == l || text.starts_with("@")) continue;
    files += (files.empty() ? "" : " ") + fs::path(path).filename().string() + " " +
             std::to_string(std::count(text.begin(), text.end(), '\n')) +
             (text.empty() || text.ends_with('\n') ? "" : "+");
  }
  EXPECT_EQ(files, row.then.written) << row;
  const std::string main_file = dir.read("demo/demo/src/demo.adb");
  for (const auto& line : row.then.in_main_file)
    EXPECT_NE(main_file.find("\n" + line + "\n"), std::string::npos) << row << ": " << line;
}

#if !defined(__SANITIZE_ADDRESS__)  // for the runs out of memory
// `text` `count` times over.
std::string times(int count, const std::string& text) {
  std::string all;
  for (int i = 0; i < count; ++i) all += text;
  return all;
}
#endif

// What several themes' runs show or leave.
const std::string ended = banner + version + pause + "\n";  // at the pause, given no line
const std::string no_project = pause + "Project name requiered.\n";
const std::string eof = "cannot read standard input: end of file";
const std::string written = "demo.adb 25";  // the main file of "demo demo", whole
const std::string complete = "cannot complete \"demo/demo/src/demo.adb\": ";
std::string cannot_create(const std::string& unit, const std::string& reason) {
  return "cannot create \"demo/" + unit + "/src/lib/" + unit + ".ads\": " + reason;
}

// What a run reads, each at its step: the clock; each resource file,
// missing, empty, too long or too short, or one that cannot be written; a
// first argument that names no regular file, shown as given, and a capacity
// that is not positive; lists too short, too long for their capacity, or
// with a bad line, and units whose package spec cannot be created (a NUL in
// the name shown escaped): what was written stays.
TEST(RunsThatEndEarly, OnWhatTheyRead) {
  const std::string licence = numbered_licence(4096), missing = "\": No such file or directory";
  const std::string last =
      ADASKEL_EMULATOR_CLOCK ? "@9999-12-31 23:59:58 i1" : "@9999-12-31 23:59:59 i1";
  const auto not_regular = [](const std::string& name) {
    return banner + version + pause + "File name : \"" + name + "\" is not regulary file.\n";
  };
  const std::string no_line_2 = complete + "the unit list has no line 2 to name the main unit";
  const Early_Run cases[] = {
      // The clock and the resource files.
      // An hour east of UTC, the clock reads -1, which is no failure.
      {.run = {.input = "\n", .environment = faked_clock("1970-01-01 00:59:59")},
       .then = {.out = "We are the 1969-12-31 23:59:59\n" + version + no_project}},
      // The last second of the year 9999 in UTC; local time, an hour ahead, is
      // in 10000 at the header's reading.
      {.run = {.arguments = {"link"}, .environment = faked_clock(last)},
       .then = {.out = "We are the 9999-12-31 22:59:59\n" + version + pause + name_prompt + "\n",
                .error = "cannot read the clock: its year is outside 0000 to 9999",
                .written = "demo.adb 1"}},
      // Past 2038-01-19 03:14:07 UTC, where a signed 32-bit time_t ends, and
      // past 2106, where an unsigned one does: the banner and the Date line
      // show the start time in UTC, the header the year in local time.
      {.run = {.arguments = {"link"}, .environment = faked_clock("2038-01-19 04:14:08")},
       .then = {.out = "We are the 2038-01-19 03:14:08\n" + dialogue.substr(banner.size()),
                .written = written,
                .in_main_file = {"-- Demo is Copyright (C) 2038 Jane ; ",
                                 "-- Date := \"2038-01-19 03:14:08\""}}},
      {.run = {.arguments = {"link"}, .environment = faked_clock("2107-01-01 00:30:00")},
       .then = {.out = "We are the 2106-12-31 23:30:00\n" + dialogue.substr(banner.size()),
                .written = written,
                .in_main_file = {"-- Demo is Copyright (C) 2107 Jane ; ",
                                 "-- Date := \"2106-12-31 23:30:00\""}}},
      {.run = {.file = "Versions.lst", .content = removed, .input = "\n"},
       .then = {.out = banner, .error = "cannot open \"Versions.lst" + missing}},
      {.run = {.file = "Versions.lst", .content = "\n", .input = "\n"},
       .then = {.out = banner, .error = "\"Versions.lst\" has no line to give the version"}},
      {.run = {.file = "Versions.lst", .content = "0.9\n1.0\r\n\n", .input = "\n"},
       .then = {.out = banner + "The version is 1.0\r\n" + no_project}},
      // Never opened: the input ends first.
      {.run = {.file = "Abstract.txt", .content = removed, .input = ""},
       .then = {.out = ended, .error = eof}},
      {.run = {.file = "Abstract.txt", .content = "", .input = "\n"},
       .then = {.out = ended, .error = "cannot read \"Abstract.txt\": end of file"}},
      // A file no one may write.
      {.run = {.file = "Abstract.txt",
               .content = link_to("/proc/sys/kernel/ostype"),
               .arguments = {"link"}},
       .then = {.written = written}},
      {.run = {.file = "gpl.txt", .content = removed, .input = "no line feed"},
       .then = {.out = ended, .error = "cannot open \"gpl.txt" + missing}},
      {.run = {.file = "gpl.txt", .content = licence + "\n", .input = "\n"},
       .then = {.out = banner + version + no_project}},
      {.run = {.file = "gpl.txt", .content = licence + "x", .input = "\n"},
       .then = {.out = ended, .error = "\"gpl.txt\" has more than 4096 lines"}},
      {.run = {.file = "gpl.txt", .content = numbered_licence(308), .arguments = {l}},
       .then = {.error = complete + "\"gpl.txt\" has no line 309", .written = "demo.adb 16"}},
      // The arguments and the unit list.
      {.run = {.arguments = {"dir", "0"}, .input = "\n"}, .then = {.out = not_regular("dir")}},
      {.run = {.arguments = {""}, .input = "\n"}, .then = {.out = not_regular("")}},
      {.run = {.arguments = {"/dev/null"}, .input = "\n"},
       .then = {.out = not_regular("/dev/null")}},
      {.run = {.arguments = {"\x1b[2J\\\n"}, .input = "\n"},
       .then = {.out = not_regular("\x1b[2J\\\n")}},
      {.run = {.arguments = {"link", "0"}, .input = "\n"},
       .then = {.out = banner + version + pause + "Max lines is not a positive.\n"}},
      {.run = {.file = l, .content = "demo\n", .arguments = {l}},
       .then = {.error = no_line_2, .written = "demo.adb 1"}},
      {.run = {.file = l, .content = "demo\n", .arguments = {l, "1"}},
       .then = {.error = no_line_2, .written = "demo.adb 1"}},
      {.run = {.file = l, .content = "demo\ndemo\nhere\nnowhere\nthere\n", .arguments = {l}},
       .then = {.error = cannot_create("nowhere", "No such file or directory"),
                .written = "demo.adb 28 here.ads 22"}},
      {.run = {.file = l, .content = "demo\ndemo\nthere\nhere\n", .arguments = {l}},
       .then = {.error = cannot_create("there", "not a regular file"), .written = "demo.adb 27"}},
      {.run = {.file = l, .content = "demo\ndemo\npipe\n", .arguments = {l}},
       .then = {.error = cannot_create("pipe", "not a regular file"), .written = "demo.adb 26"}},
      {.run = {.file = l, .content = "demo\ndemo\nx\0\n"s, .arguments = {l}},
       .then = {.error = cannot_create("x\\0", "the name holds a NUL byte"),
                .written = "demo.adb 26"}},
      {.run = {.file = l, .content = "demo\ndemo\nloop\n", .arguments = {l}},
       .then = {.error = cannot_create("loop", "Too many levels of symbolic links"),
                .written = "demo.adb 26"}},
      {.run = {.file = l, .content = "", .arguments = {l}},
       .then = {.error = R"("l\x1b\n": the unit list is empty: it names no top directory)"}},
      {.run = {.file = l, .content = "demo\ndemo\n", .arguments = {l, "1"}},
       .then = {.error = R"("l\x1b\n" has more than 1 line, the capacity)"}},
      {.run = {.file = l, .content = "demo\ndemo\nhere\n", .arguments = {l, "2"}},
       .then = {.error = R"("l\x1b\n" has more than 2 lines, the capacity)"}},
      // What the run did not read of a shared input is left for the next command.
      {.run = {.file = l,
               .content = "demo\ndemo\nunit-\n",
               .arguments = {l},
               .input = "\nJane\nrest",
               .shell = shared_file},
       .then = {.out = dialogue + "rest",
                .error = R"("l\x1b\n":3: the unit list line "unit-" ends in '-')"}},
      {.run = {.file = l, .content = "demo\ndemo\nx\n\n\n", .arguments = {"link"}},
       .then = {.error = "link:4: the unit list has an empty line after its first line"}},
  };
  for (const auto& row : cases) expect_run(row);
}

// Standard input shared with a later command, which gets what the run did
// not need, or with standard error; standard output full, closed early, or
// not ready; a limit on the size of a file, with the lines written before it
// kept, and memory running out as a line is read.
TEST(RunsThatEndEarly, AtTheStreamsALimitOrOutOfMemory) {
  // The first read of standard input and the first write to standard output
  // fail as on a stream left non-blocking that is not ready: EAGAIN.
  const std::string not_ready =
      "export -f RUN; strace -f -o /dev/null -P $IN -P $OUT -e trace=read,write"
      " -e inject=read:error=EAGAIN:when=1 -e inject=write:error=EAGAIN:when=1"
      " bash -c RUN <$IN >$OUT 2>$ERR";
  // The reader of standard output goes, all of it, once it has read up to the
  // pause; then the input comes, and the run writes the name prompt.
  const std::string reader_gone =
      "mkfifo $IN.fifo && RUN <>$IN.fifo 2>$ERR | { head -c 87 >$OUT; exec <&-; cat $IN >$IN.fifo; "
      "}";
  const Early_Run cases[] = {
    // One stream for both: the diagnostic on a line of its own.
    {.run = {.arguments = {"link", " 2#1#E1 ", "third"},
             .input = "\n",
             .shell = "RUN <$IN >$OUT 2>&1; s=$?; tail -n 1 $OUT >$ERR; exit $s"},
     .then = {.out = dialogue + "adaskel: error: " + eof + "\n", .error = eof}},
    {.run = {.arguments = {"link"}, .input = "typed\nJane\nrest\n", .shell = shared_file},
     .then = {.out = dialogue + "rest\n", .written = written}},
    {.run = {.input = "\nJane\nrest\n", .shell = shared_pipe},
     .then = {.out = banner + version + no_project + "Jane\nrest\n"}},
    {.run = {.arguments = {"link"}, .input = "\n", .shell = "RUN <$IN >/dev/full 2>$ERR"},
     .then = {.out = "", .error = "cannot write to standard output: No space left on device"}},
    {.run = {.arguments = {"link"}, .shell = not_ready, .environment = traced(stepping_clock)},
     .then = {.written = written}},
    {.run = {.arguments = {"link"}, .shell = reader_gone},
     .then = {.out = banner + version + pause,
              .error = "cannot write to standard output: Broken pipe"}},
    // A limit on the size of a file, and memory running out.
    {.run = {.file = "Abstract.txt",
             .content = std::string(800, 'A'),
             .arguments = {"link"},
             .shell = "ulimit -f 1 && RUN <$IN >$OUT 2>$ERR"},
     .then = {.error = "cannot write \"demo/demo/src/demo.adb\": File too large",
              .written = "demo.adb 24"}},
    {.run = {.file = l,
             .content = "demo\ndemo\n" + stem + "\n",
             .arguments = {l},
             .shell = "set -o posix; ulimit -f 1 && RUN <$IN >$OUT 2>$ERR"},
     .then = {.error =
                  "cannot write \"demo/" + stem + "/src/lib/" + stem + ".ads\": File too large",
              .written = "demo.adb 26 " + stem + ".ads 21"}},
#if !defined(__SANITIZE_ADDRESS__)  // its allocator does not run out politely
    {.run = {.file = "Abstract.txt",
             .content = link_to("/dev/zero"),
             .arguments = {"link"},
             .input = "\n",
             .shell = address_space(262144) + " && RUN <$IN >$OUT 2>$ERR"},
     .then = {.out = ended, .error = "cannot read \"Abstract.txt\": out of memory"}},
    // A diagnostic escapes only the parts of a value it shows, and a path too
    // long for the system is refused unbuilt.
    {.run = {.file = l,
             .content = "demo\ndemo\n" + std::string(32 << 20, '\x1b') + "-\n",
             .arguments = {l},
             .shell = address_space(160000) + " && RUN <$IN >$OUT 2>$ERR"},
     .then = {.error = R"("l\x1b\n":3: the unit list line ")" + times(125, R"(\x1b)") +
                       "\"...(33554183 bytes)...\"" + times(124, R"(\x1b)") + "-\" ends in '-'"}},
    {.run = {.file = l,
             .content = std::string(32 << 20, 'a') + "\ndemo\n",
             .arguments = {l},
             .shell = address_space(100000) + " && RUN <$IN >$OUT 2>$ERR"},
     .then = {.error = "cannot create \"" + std::string(500, 'a') + "\"...(100662306 bytes)...\"" +
                       std::string(496, 'a') + ".adb\": File name too long"}},
    {.run = {.arguments = {"link"},
             .input = "\n" + std::string(96 << 20, 'n') + "\nrest\n",
             .shell = "{ " + address_space(65536) +
                      " && RUN; s=$?; tr -d n; exit $s; } <$IN >$OUT 2>$ERR"},
     .then = {.out = dialogue + "\nrest\n", .error = "cannot read standard input: out of memory"}},
#endif
  };
  for (const auto& row : cases) expect_run(row);
}

}  // namespace
}  // namespace adaskel::testing
