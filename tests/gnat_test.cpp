// The generated sources against a real Ada compiler: a list whose units form a
// valid hierarchy gives a tree that gnatmake builds into a program that runs,
// and the lists below it give trees that the compiler rejects.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "scratch.h"

namespace {

using adaskel::testing::Scratch;

bool on_path(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path == nullptr ? "" : path);
  for (std::string dir; std::getline(dirs, dir, ':');)
    if (::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  return false;
}

struct Build {
  int status;  // of the shell command: 124 when the time limit killed it
  std::string output;
};

// Generates the tree of `units` (top directory, main, packages), making its
// directories first, then builds and runs the main procedure with gnatmake in
// obj/, a directory outside the tree, each under a time limit.
Build generate_and_build(const Scratch& scratch, const std::vector<std::string>& units) {
  const std::string& top = units.at(0);
  std::string list = top + "\n" + units.at(1) + "\n", includes;
  scratch.make_dirs(top + "/" + top + "/src");
  for (std::size_t k = 2; k < units.size(); ++k) {
    list += units[k] + "\n";
    scratch.make_dirs(top + "/" + units[k] + "/src/lib");
    includes += " -I'" + scratch.path(top + "/" + units[k] + "/src/lib") + "'";
  }
  scratch.write("units.lst", list);
  const auto run = scratch.run({"units.lst"}, "\nJane\n");
  if (run.status != 0) return {-1, "adaskel ended with status " + std::to_string(run.status) + ": " + run.err};

  scratch.make_dirs("obj");
  const std::string command = "cd '" + scratch.path("obj") + "' && timeout -k 5 120 gnatmake -q" + includes +
                              " '" + scratch.path(top + "/" + top + "/src/" + top + ".adb") + "' -o main" +
                              " && timeout -k 5 10 ./main";
  FILE* pipe = ::popen(("(" + command + ") 2>&1").c_str(), "r");
  if (pipe == nullptr) return {-1, "cannot start: " + command};
  std::string output;
  char buffer[512];
  for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, count);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

struct Gnat : ::testing::Test {
  Scratch scratch;
  void SetUp() override {
    ASSERT_TRUE(on_path("gnatmake")) << "gnatmake is not on PATH: install the Ada compiler (Debian package gnat)";
  }
};

TEST_F(Gnat, ValidHierarchyBuildsAndRuns) {
  const Build build = generate_and_build(scratch, {"app", "app", "core", "core-config", "core-log"});
  ASSERT_EQ(build.status, 0) << build.output;
  for (const char* unit : {"app", "core", "core-config", "core-log"})
    EXPECT_TRUE(std::filesystem::exists(scratch.path("obj/" + std::string(unit) + ".ali"))) << unit;
  for (const std::string& entry : scratch.tree())  // the tree holds nothing but directories and sources
    EXPECT_TRUE(!entry.starts_with("app/") || entry.ends_with("/") || entry.ends_with(".ads") ||
                entry.ends_with("app.adb")) << entry;
}

// Lists that the tool takes and writes, but whose trees are no valid Ada:
// each with what gnatmake says about it.
TEST_F(Gnat, RejectsTreesOfUnitsThatAreNoValidHierarchy) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"app", "app", "core-log"}, "file \"core.ads\" not found"},  // parent not listed
      {{"app", "app", "a", "a-b"}, "file \"a~b.ads\" not found"},   // children of a, g, i, s
      {{"app", "app", "Core"}, "file \"core.ads\" not found"},      // upper-case file name
      {{"app", "app", "app"}, "cannot compile subprogram in file \"app.adb\""}};
  for (const auto& [units, message] : cases) {
    SCOPED_TRACE(units.back());
    const Scratch fresh;
    const Build build = generate_and_build(fresh, units);
    EXPECT_NE(build.status, 0) << build.output;
    EXPECT_NE(build.output.find(message), std::string::npos) << build.output;
  }
}

}  // namespace
