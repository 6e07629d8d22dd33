// The generated sources against a real Ada compiler: a list whose units form
// a valid hierarchy gives a tree that gnatmake builds into a program that runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "scratch.h"

namespace adaskel::testing {
namespace {

TEST(Gnat, GeneratedTreeCompilesAndRuns) {
  ASSERT_EQ(std::system("command -v gnatmake >/dev/null"), 0) << "install the Ada compiler (gnat)";
  Scratch dir;
  dir.write("app.lst", "app\napp\ncore\ncore-config\ncore-log\n");
  std::string includes;
  for (const char* stem : {"core", "core-config", "core-log"}) {
    dir.make_dirs("app/" + std::string(stem) + "/src/lib");
    includes += " -I" + dir.path("app/" + std::string(stem) + "/src/lib");
  }
  dir.make_dirs("app/app/src");
  dir.make_dirs("obj");
  ASSERT_EQ(dir.run({"app.lst"}, "\nJane\n").status, 0);
  const std::string build = "cd " + dir.path("obj") + " && timeout 120 gnatmake -q" + includes + " " +
                            dir.path("app/app/src/app.adb") + " -o app > log 2>&1 && ./app >> log 2>&1";
  EXPECT_EQ(std::system(build.c_str()), 0) << dir.read("obj/log");
}

}  // namespace
}  // namespace adaskel::testing
