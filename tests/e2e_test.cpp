// The real binary in a scratch directory: console bytes, exit status, and
// every file written or left behind.
#include <gtest/gtest.h>

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
const std::string end_of_input = "adaskel: error: cannot read standard input: end of file\n";

std::string local_year() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return std::to_string(local.tm_year + 1900);
}

// The start time the run showed in its banner.
std::string start_of(const Run_Result& run) { return run.out.substr(11, 19); }

// What the console shows up to the pause, for the scratch resources.
std::string banner(const Run_Result& run) {
  return "We are the " + start_of(run) + "\nThe version is 1.0\n";
}

// The header of every file written with the scratch resources.
std::string header(const Run_Result& run, const std::string& main_unit, const std::string& author) {
  return "-- Abstract\n-- " + main_unit + " is Copyright (C) " + local_year() + " " + author +
         " ; \n"
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
         "-- Date := \"" + start_of(run) + "\"\n"
         "-- Version := \"1.0\"\n";
}

class E2e : public ::testing::Test {
 protected:
  // The demo tree of the example: its list and directories.
  void make_demo() {
    dir.write("demo.lst", "demo\ndemo\ndemo-util\ndemo-io\n");
    for (const char* d : {"demo/demo/src", "demo/demo-util/src/lib", "demo/demo-io/src/lib"}) {
      dir.make_dirs(d);
    }
  }
  Scratch dir;
};

TEST_F(E2e, DemoRun) {
  make_demo();
  const Run_Result run = dir.run({"demo.lst"}, "typed at the pause\nJane Doe\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, banner(run) + pause + name_prompt + "\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(dir.read("demo/demo/src/demo.adb"),
            header(run, "Demo", "Jane Doe") +
                "with Demo.Util ; \nwith Demo.Io ; \nprocedure Demo is\n\nbegin\n\n   null;\n"
                "end Demo ; \n");
  EXPECT_EQ(dir.read("demo/demo-util/src/lib/demo-util.ads"),
            header(run, "Demo", "Jane Doe") + "package Demo.Util is\n\nend Demo.Util ; \n");
  EXPECT_EQ(dir.read("demo/demo-io/src/lib/demo-io.ads"),
            header(run, "Demo", "Jane Doe") + "package Demo.Io is\n\nend Demo.Io ; \n");

  // A second run finds every file and changes nothing, and says the same.
  const Tree before = dir.tree();
  const std::string main_before = dir.read("demo/demo/src/demo.adb");
  const Run_Result again = dir.run({"demo.lst"}, "\nSomeone Else\n");
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.out, banner(again) + pause + name_prompt + "\n");
  EXPECT_EQ(dir.tree(), before);
  EXPECT_EQ(dir.read("demo/demo/src/demo.adb"), main_before);
}

TEST_F(E2e, TwoLineListWritesOnlyTheMainFile) {
  dir.write("l", "tree\nmain");
  dir.make_dirs("tree/tree/src");
  const Run_Result run = dir.run({"l"}, "\n\n");  // an empty author's name
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(dir.read("tree/tree/src/tree.adb"),
            header(run, "Main", "") + "procedure Main is\n\nbegin\n\n   null;\nend Main ; \n");
  EXPECT_EQ(dir.tree(), (Tree{"l", "tree/", "tree/tree/", "tree/tree/src/", "tree/tree/src/tree.adb"}));
}

TEST_F(E2e, ResourceFilesFailAtTheirOwnStep) {
  std::string licence_4096, licence_4097;
  for (int i = 0; i < 4096; ++i) licence_4096 += "line\n";
  licence_4097 = licence_4096 + "line";
  const struct {
    const char* file;
    std::string content;  // "-" removes the file
    std::string console;  // after the banner line; the version line is added when it is shown
    std::string error;
  } cases[] = {
      {"Versions.lst", "-", "", "cannot open \"Versions.lst\": No such file or directory"},
      {"Versions.lst", "", "", "\"Versions.lst\" has no line to give the version"},
      {"Versions.lst", "\n", "", "\"Versions.lst\" has no line to give the version"},
      {"Abstract.txt", "-", pause, "cannot open \"Abstract.txt\": No such file or directory"},
      {"Abstract.txt", "", pause, "cannot read \"Abstract.txt\": end of file"},
      {"gpl.txt", "-", pause, "cannot open \"gpl.txt\": No such file or directory"},
      {"gpl.txt", licence_4097, pause, "\"gpl.txt\" has more than 4096 lines"},
      {"gpl.txt", licence_4096 + "\n", pause + "Project name requiered.", ""},
      {"Abstract.txt", "\nignored", pause + "Project name requiered.", ""},
  };
  for (const auto& c : cases) {
    Scratch fresh;
    if (c.content == "-") fresh.remove(c.file);
    else fresh.write(c.file, c.content);
    const Run_Result run = fresh.run({}, "\n");
    const std::string rest = c.console.empty() ? "" : "The version is 1.0\n" + c.console + "\n";
    EXPECT_EQ(run.out, "We are the " + start_of(run) + "\n" + rest) << c.file;
    EXPECT_EQ(run.err, c.error.empty() ? "" : "adaskel: error: " + c.error + "\n") << c.file;
    EXPECT_EQ(run.status, c.error.empty() ? 0 : 1) << c.file;
  }
}

TEST_F(E2e, VersionIsTheLastLine) {
  const struct {
    std::string file, version;
  } cases[] = {
      {"1.0\n1.1\n1.2\n", "1.2"}, {"1.0\n1.1\n1.2", "1.2"},   {"1.2\n\n", "1.2"},
      {"1.2\n\n\n", ""},          {"1.1\r\n1.2\r\n", "1.2\r"}, {"1.2\n\f", "1.2"},
  };
  for (const auto& c : cases) {
    dir.write("Versions.lst", c.file);
    const Run_Result run = dir.run({}, "\n");
    EXPECT_EQ(run.out, "We are the " + start_of(run) + "\nThe version is " + c.version + "\n" +
                           pause + "Project name requiered.\n")
        << c.file;
  }
}

TEST_F(E2e, StandardInputEndsEarly) {
  make_demo();
  dir.remove("Abstract.txt");  // never opened when the pause gets no line
  dir.remove("gpl.txt");
  Run_Result run = dir.run({"demo.lst"}, "");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, banner(run) + pause + "\n");
  EXPECT_EQ(run.err, end_of_input);

  Scratch full;
  full.write("demo.lst", "demo\ndemo\n");
  full.make_dirs("demo/demo/src");
  run = full.run({"demo.lst"}, "pause line without a line feed");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, banner(run) + pause + name_prompt + "\n");
  EXPECT_EQ(run.err, end_of_input);
  EXPECT_EQ(full.tree(), (Tree{"demo.lst", "demo/", "demo/demo/", "demo/demo/src/"}));

  run = full.run({"demo.lst"}, "\nName without a line feed");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(full.read("demo/demo/src/demo.adb").find(" Name without a line feed ; \n"),
            std::string::npos);
}

TEST_F(E2e, ReportedInputErrors) {
  dir.write("list", "demo\ndemo\n");
  dir.make_dirs("a_directory");
  ASSERT_EQ(::symlink("list", dir.path("link").c_str()), 0);
  const struct {
    std::vector<std::string> arguments;
    std::string message;  // empty: the arguments pass, the name is asked for
  } cases[] = {
      {{}, "Project name requiered."},
      {{"missing"}, "File name : \"missing\" is not regulary file."},
      {{"a_directory"}, "File name : \"a_directory\" is not regulary file."},
      {{""}, "File name : \"\" is not regulary file."},
      {{"/dev/null"}, "File name : \"/dev/null\" is not regulary file."},
      {{"missing", "0"}, "File name : \"missing\" is not regulary file."},
      {{"list", "0"}, "Max lines is not a positive."},
      {{"list", "-3"}, "Max lines is not a positive."},
      {{"list", "1.5"}, "Max lines is not a positive."},
      {{"list", ""}, "Max lines is not a positive."},
      {{"list", "2147483648"}, "Max lines is not a positive."},
      {{"link", " 2#1#E1 ", "third"}, ""},
  };
  for (const auto& c : cases) {
    const Run_Result run = dir.run(c.arguments, "\n");
    const std::string end = c.message.empty() ? name_prompt : c.message;
    EXPECT_EQ(run.out, banner(run) + pause + end + "\n") << ::testing::PrintToString(c.arguments);
    EXPECT_EQ(run.status, c.message.empty() ? 1 : 0) << run.err;  // 1: no name to read
  }
  EXPECT_EQ(dir.tree(), (Tree{"a_directory/", "link@", "list"}));
}

TEST_F(E2e, ListLongerThanTheCapacity) {
  make_demo();
  const Run_Result run = dir.run({"demo.lst", "3"}, "\nJane\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, banner(run) + pause + name_prompt + "\n");
  EXPECT_EQ(run.err, "adaskel: error: \"demo.lst\" has more than 3 lines, the capacity\n");
  EXPECT_EQ(dir.run({"demo.lst", "4"}, "\nJane\n").status, 0);
}

TEST_F(E2e, BadListLinesFailBeforeAnythingIsWritten) {
  dir.make_dirs("demo/demo/src");
  for (const char* list : {"demo\ndemo\n\n\n", "demo\ndemo\nunit-\n", "demo\ndemo\n\nx\n"}) {
    dir.write("l", list);
    const Run_Result run = dir.run({"l"}, "\nJane\n");
    EXPECT_EQ(run.status, 1) << list;
    EXPECT_NE(run.err.find("adaskel: error: the unit list "), std::string::npos) << run.err;
  }
  EXPECT_EQ(dir.tree(), (Tree{"demo/", "demo/demo/", "demo/demo/src/", "l"}));
}

TEST_F(E2e, FailuresLeaveWhatWasWritten) {
  std::string licence_308;
  for (int i = 1; i <= 308; ++i) licence_308 += "L" + std::to_string(i) + "\n";
  const struct {
    const char* name;
    std::string list;
    std::string licence;  // empty: the example's
    std::string error;
    Tree written;         // the files below demo/, with their line counts
  } cases[] = {
      {"one-line list", "demo\n", "",
       "cannot complete \"demo/demo/src/demo.adb\": the unit list has no line 2 to name the main unit",
       {"demo/demo/src/demo.adb 1"}},
      {"licence of 308 lines", "demo\ndemo\n", licence_308,
       "cannot complete \"demo/demo/src/demo.adb\": \"gpl.txt\" has no line 309",
       {"demo/demo/src/demo.adb 16"}},
      {"missing package directory", "demo\ndemo\nhere\nnowhere\nthere\n", "",
       "cannot create \"demo/nowhere/src/lib/nowhere.ads\": No such file or directory",
       {"demo/demo/src/demo.adb 28", "demo/here/src/lib/here.ads 22"}},
      {"directory at the target", "demo\ndemo\nhere\nthere\n", "",
       "cannot create \"demo/there/src/lib/there.ads\": Is a directory",
       {"demo/demo/src/demo.adb 27", "demo/here/src/lib/here.ads 22"}},
      {"full disk", "demo\ndemo\nfull\nthere\n", "",
       "cannot write \"demo/full/src/lib/full.ads\": No space left on device",
       {"demo/demo/src/demo.adb 27"}},
      {"NUL in a stem", std::string("demo\ndemo\nx\0\n", 13), "",
       std::string("cannot create \"demo/x\0/src/lib/x\0.ads\": the name holds a NUL byte", 65),
       {"demo/demo/src/demo.adb 26"}},
      {"empty list", "", "", "the unit list is empty: it names no top directory", {}},
  };
  for (const auto& c : cases) {
    Scratch fresh;
    fresh.write("l", c.list);
    if (!c.licence.empty()) fresh.write("gpl.txt", c.licence);
    for (const char* d : {"demo/demo/src", "demo/here/src/lib", "demo/there/src/lib/there.ads",
                          "demo/full/src/lib", "demo/x/src/lib"}) {
      fresh.make_dirs(d);
    }
    ASSERT_EQ(::symlink("/dev/full", fresh.path("demo/full/src/lib/full.ads").c_str()), 0);
    const Run_Result run = fresh.run({"l"}, "\nJane\n");
    EXPECT_EQ(run.status, 1) << c.name;
    EXPECT_EQ(run.err, "adaskel: error: " + c.error + "\n") << c.name;
    Tree written;
    for (const std::string& entry : fresh.tree()) {
      if (entry.back() == '/' || entry.back() == '@' || entry == "l") continue;
      const std::string text = fresh.read(entry);
      written.push_back(entry + " " + std::to_string(std::count(text.begin(), text.end(), '\n')));
    }
    EXPECT_EQ(written, c.written) << c.name;
  }
}

TEST_F(E2e, ExistingFilesAreKept) {
  dir.write("l", "demo\ndemo\nempty\nlinked\nnew\nnew\n");
  dir.make_dirs("demo/demo/src");
  dir.write("demo/empty/src/lib/empty.ads", "");
  dir.write("target", "kept");
  dir.make_dirs("demo/linked/src/lib");
  ASSERT_EQ(::symlink("../../../../target", dir.path("demo/linked/src/lib/linked.ads").c_str()), 0);
  dir.make_dirs("demo/new/src/lib");
  const Run_Result run = dir.run({"l"}, "\nJane\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(dir.read("demo/empty/src/lib/empty.ads"), "");
  EXPECT_EQ(dir.read("target"), "kept");
  EXPECT_EQ(dir.read("demo/new/src/lib/new.ads"),
            header(run, "Demo", "Jane") + "package New is\n\nend New ; \n");
}

TEST_F(E2e, CarriageReturnsStayInPathsAndNames) {
  dir.write("l", "demo\r\ndemo\r\nx-y\r\n");
  dir.make_dirs("demo\r/demo\r/src");
  dir.make_dirs("demo\r/x-y\r/src/lib");
  const Run_Result run = dir.run({"l"}, "\r\nJane\r\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(dir.read("demo\r/x-y\r/src/lib/x-y\r.ads"),
            header(run, "Demo\r", "Jane\r") + "package X.Y\r is\n\nend X.Y\r ; \n");
  EXPECT_NE(dir.read("demo\r/demo\r/src/demo\r.adb").find("with X.Y\r ; \nprocedure Demo\r is\n"),
            std::string::npos);
}

TEST_F(E2e, StandardOutputThatCannotBeWrittenIsAFailure) {
  make_demo();
  const Run_Result run = dir.run({"demo.lst"}, "\nJane\n", {.output = "/dev/full", .memory_limit = 0});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "adaskel: error: cannot write to \"standard output\": No space left on device\n");
}

#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer's allocator does not run out politely
TEST_F(E2e, RunningOutOfMemoryIsAFailure) {
  make_demo();
  dir.remove("Abstract.txt");
  ASSERT_EQ(::symlink("/dev/zero", dir.path("Abstract.txt").c_str()), 0);  // one endless line
  const Run_Result run = dir.run({"demo.lst"}, "\nJane\n", {.output = {}, .memory_limit = 256L << 20});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, banner(run) + pause + "\n");
  EXPECT_EQ(run.err, "adaskel: error: out of memory\n");
}
#endif

}  // namespace
}  // namespace adaskel::testing
