// The real binary in a scratch directory: console bytes, exit status, and
// every file written or left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include <unistd.h>

#include "scratch.h"

namespace adaskel::testing {
namespace {

using Tree = std::vector<std::string>;
const std::string pause = "Press 'Enter' to continu, Ctrl+D else";
const std::string name_prompt = "Enter your name : ";

std::string start_of(const Run_Result& run) { return run.out.substr(11, 19); }

std::string banner(const Run_Result& run) {
  return "We are the " + start_of(run) + "\nThe version is 1.0\n";
}

// The header of every file written with the scratch resources.
std::string header(const Run_Result& run, const std::string& main_unit, const std::string& author) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  const std::string year = std::to_string(::localtime_r(&now, &local)->tm_year + 1900);
  return "-- Abstract\n-- " + main_unit + " is Copyright (C) " + year + " " + author + " ; \n"
         "--\n"
         "--   This program is free software; you can redistribute it and/or modify\n"
         "--   it under the terms of the GNU General Public License as published by\n"
         "--   the Free Software Foundation; either version 2 of the License, or\n"
         "--   (at your option) any later version.\n"
         "--\n"
         "--   This program is distributed in the hope that it will be useful,\n"
         "--   but WITHOUT ANY WARRANTY; without even the implied warranty of\n"
         "--   MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE.  See the\n"
         "--   GNU General Public License for more details.\n"
         "--\n"
         "--   You should have received a copy of the GNU General Public License along\n"
         "--   with this program; if not, write to the Free Software Foundation, Inc.,\n"
         "--   51 Franklin Street, Fifth Floor, Boston, MA 02110-1301 USA.\n"
         "--\n"
         "-- Date := \"" + start_of(run) + "\"\n-- Version := \"1.0\"\n";
}

// The list of the example, and its directories.
void make_demo(const Scratch& dir) {
  dir.write("demo.lst", "demo\ndemo\ndemo-util\ndemo-io\n");
  for (const char* d : {"demo/demo/src", "demo/demo-util/src/lib", "demo/demo-io/src/lib"}) dir.make_dirs(d);
}

TEST(E2e, DemoRunAndASecondRunThatChangesNothing) {
  Scratch dir;
  make_demo(dir);
  const Run_Result run = dir.run({"demo.lst"}, "typed at the pause\nJane Doe\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, banner(run) + pause + name_prompt + "\n");
  EXPECT_EQ(dir.read("demo/demo/src/demo.adb"),
            header(run, "Demo", "Jane Doe") +
                "with Demo.Util ; \nwith Demo.Io ; \nprocedure Demo is\n\nbegin\n\n   null;\nend Demo ; \n");
  EXPECT_EQ(dir.read("demo/demo-util/src/lib/demo-util.ads"),
            header(run, "Demo", "Jane Doe") + "package Demo.Util is\n\nend Demo.Util ; \n");
  const Tree before = dir.tree();
  const std::string main_before = dir.read("demo/demo/src/demo.adb");
  const Run_Result again = dir.run({"demo.lst"}, "\nSomeone Else\n");
  EXPECT_EQ(again.out, banner(again) + pause + name_prompt + "\n");
  EXPECT_EQ(dir.tree(), before);
  EXPECT_EQ(dir.read("demo/demo/src/demo.adb"), main_before);
}

TEST(E2e, TwoLineListAndAnEmptyName) {
  Scratch dir;
  dir.write("l", "tree\nmain");
  dir.make_dirs("tree/tree/src");
  const Run_Result run = dir.run({"l"}, "\n\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(dir.read("tree/tree/src/tree.adb"),
            header(run, "Main", "") + "procedure Main is\n\nbegin\n\n   null;\nend Main ; \n");
  EXPECT_EQ(dir.tree(), (Tree{"l", "tree/", "tree/tree/", "tree/tree/src/", "tree/tree/src/tree.adb"}));
}

// Runs without arguments: each resource file and standard input at its own step.
TEST(E2e, ResourceFilesAndStandardInput) {
  const std::string version = "The version is 1.0\n";
  std::string lines_4096;
  for (int i = 0; i < 4096; ++i) lines_4096 += "L\n";
  const std::string not_found = "\": No such file or directory", ends = version + pause + "\n";
  const std::string passes = version + pause + "Project name requiered.\n";
  const struct {
    const char* file;
    std::string content;  // "-" removes the file
    std::string input, console, error;  // the console after the banner line
  } cases[] = {
      {"Versions.lst", "-", "\n", "", "cannot open \"Versions.lst" + not_found},
      {"Versions.lst", "\n", "\n", "", "\"Versions.lst\" has no line to give the version"},
      {"Versions.lst", "1.0\n1.1\n1.2\r\n\n", "\n", "The version is 1.2\r\n" + pause + "Project name requiered.\n", ""},
      {"Versions.lst", "1.2\n\n\n", "\n", "The version is \n" + pause + "Project name requiered.\n", ""},
      {"Abstract.txt", "-", "", ends, "cannot read standard input: end of file"},  // never opened
      {"Abstract.txt", "-", "\n", ends, "cannot open \"Abstract.txt" + not_found},
      {"Abstract.txt", "", "\n", ends, "cannot read \"Abstract.txt\": end of file"},
      {"gpl.txt", "-", "no line feed", ends, "cannot open \"gpl.txt" + not_found},
      {"gpl.txt", lines_4096 + "\n", "\n", passes, ""},
      {"gpl.txt", lines_4096 + "x", "\n", ends, "\"gpl.txt\" has more than 4096 lines"},
  };
  for (const auto& c : cases) {
    Scratch dir;
    c.content == "-" ? (void)::unlink(dir.path(c.file).c_str()) : dir.write(c.file, c.content);
    const Run_Result run = dir.run({}, c.input);
    EXPECT_EQ(run.out, "We are the " + start_of(run) + "\n" + c.console) << c.file << c.content;
    EXPECT_EQ(run.err, c.error.empty() ? "" : "adaskel: error: " + c.error + "\n") << c.file;
    EXPECT_EQ(run.status, c.error.empty() ? 0 : 1) << c.file;
  }
}

TEST(E2e, ReportedInputErrors) {
  Scratch dir;
  dir.write("list", "demo\ndemo\n");
  dir.make_dirs("a_directory");
  ASSERT_EQ(::symlink("list", dir.path("link").c_str()), 0);
  const std::string max = "Max lines is not a positive.";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"missing"}, "File name : \"missing\" is not regulary file."},
      {{"a_directory", "0"}, "File name : \"a_directory\" is not regulary file."},
      {{""}, "File name : \"\" is not regulary file."},
      {{"list", "0"}, "Max lines is not a positive."},
      {{"list", "2147483648"}, "Max lines is not a positive."},
      {{"link", " 2#1#E1 ", "third"}, name_prompt},  // passes; then no name to read
  };
  for (const auto& [arguments, end] : cases) {
    const Run_Result run = dir.run(arguments, "\n");
    EXPECT_EQ(run.out, banner(run) + pause + end + "\n") << ::testing::PrintToString(arguments);
    EXPECT_EQ(run.status, end == name_prompt ? 1 : 0);
  }
  EXPECT_EQ(dir.tree(), (Tree{"a_directory/", "link@", "list"}));
}

TEST(E2e, FailuresLeaveWhatWasWritten) {
  std::string licence_308;
  for (int i = 1; i <= 308; ++i) licence_308 += "L\n";
  const std::string complete = "cannot complete \"demo/demo/src/demo.adb\": ";
  const struct {
    std::string list, arguments, licence;  // licence: empty for the example's
    std::string error;
    Tree written;  // the files below demo/, with their line counts
  } cases[] = {
      {"demo\n", "", "", complete + "the unit list has no line 2 to name the main unit", {"demo/demo/src/demo.adb 1"}},
      {"demo\ndemo\n", "", licence_308, complete + "\"gpl.txt\" has no line 309", {"demo/demo/src/demo.adb 16"}},
      {"demo\ndemo\nhere\nnowhere\nthere\n", "", "",
       "cannot create \"demo/nowhere/src/lib/nowhere.ads\": No such file or directory",
       {"demo/demo/src/demo.adb 28", "demo/here/src/lib/here.ads 22"}},
      {"demo\ndemo\nthere\n", "", "", "cannot create \"demo/there/src/lib/there.ads\": Is a directory",
       {"demo/demo/src/demo.adb 26"}},
      {"demo\ndemo\nfull\nhere\n", "", "", "cannot write \"demo/full/src/lib/full.ads\": No space left on device",
       {"demo/demo/src/demo.adb 27"}},
      {std::string("demo\ndemo\nx\0\n", 13), "", "",
       std::string("cannot create \"demo/x\0/src/lib/x\0.ads\": the name holds a NUL byte", 65),
       {"demo/demo/src/demo.adb 26"}},
      {"", "", "", "the unit list is empty: it names no top directory", {}},
      {"demo\ndemo\nhere\n", "2", "", "\"l\" has more than 2 lines, the capacity", {}},
      {"demo\ndemo\nunit-\n", "", "", "the unit list line \"unit-\" ends in '-'", {}},
      {"demo\ndemo\n\n\n", "", "", "the unit list has an empty line after its first line", {}},
  };
  for (const auto& c : cases) {
    Scratch dir;
    dir.write("l", c.list);
    if (!c.licence.empty()) dir.write("gpl.txt", c.licence);
    for (const char* d : {"demo/demo/src", "demo/here/src/lib", "demo/there/src/lib/there.ads", "demo/full/src/lib"})
      dir.make_dirs(d);
    ASSERT_EQ(::symlink("/dev/full", dir.path("demo/full/src/lib/full.ads").c_str()), 0);
    const Run_Result run = dir.run(c.arguments.empty() ? Tree{"l"} : Tree{"l", c.arguments}, "\nJane\n");
    EXPECT_EQ(run.status, 1) << c.error;
    EXPECT_EQ(run.out, banner(run) + pause + name_prompt + "\n");
    EXPECT_EQ(run.err, "adaskel: error: " + c.error + "\n");
    Tree written;
    for (const std::string& entry : dir.tree()) {
      if (!entry.ends_with(".adb") && !entry.ends_with(".ads")) continue;
      const std::string text = dir.read(entry);
      written.push_back(entry + " " + std::to_string(std::count(text.begin(), text.end(), '\n')));
    }
    EXPECT_EQ(written, c.written) << c.error;
  }
}

TEST(E2e, ExistingFilesAreKeptAndCarriageReturnsStay) {
  Scratch dir;
  dir.write("l", "demo\r\ndemo\r\nempty\r\nlinked\r\nx-y\r\nx-y\r\n");
  dir.make_dirs("demo\r/demo\r/src");
  dir.write("demo\r/empty\r/src/lib/empty\r.ads", "");
  dir.write("target", "kept");
  dir.make_dirs("demo\r/linked\r/src/lib");
  ASSERT_EQ(::symlink("../../../../target", dir.path("demo\r/linked\r/src/lib/linked\r.ads").c_str()), 0);
  dir.make_dirs("demo\r/x-y\r/src/lib");
  const Run_Result run = dir.run({"l"}, "\r\nJane\r\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(dir.read("demo\r/empty\r/src/lib/empty\r.ads"), "");
  EXPECT_EQ(dir.read("target"), "kept");
  EXPECT_EQ(dir.read("demo\r/x-y\r/src/lib/x-y\r.ads"),
            header(run, "Demo\r", "Jane\r") + "package X.Y\r is\n\nend X.Y\r ; \n");
}

TEST(E2e, OutputAndMemoryFailures) {
  Scratch dir;
  make_demo(dir);
  Run_Result run = dir.run({"demo.lst"}, "\nJane\n", "/dev/full");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "adaskel: error: cannot write to \"standard output\": No space left on device\n");
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer's allocator does not run out politely
  ::unlink(dir.path("Abstract.txt").c_str());
  ASSERT_EQ(::symlink("/dev/zero", dir.path("Abstract.txt").c_str()), 0);  // one endless line
  run = dir.run({"demo.lst"}, "\nJane\n", {}, 256L << 20);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, banner(run) + pause + "\n");
  EXPECT_EQ(run.err, "adaskel: error: out of memory\n");
#endif
}

}  // namespace
}  // namespace adaskel::testing
