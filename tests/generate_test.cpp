// Whole runs in-process, with a clock the tests set, for what depends on time.
#include <gtest/gtest.h>

#include <string>

#include "driver/run.h"
#include "fake_platform.h"

namespace adaskel {
namespace {

constexpr std::time_t new_year_2027 = 1798761600;  // 2027-01-01 00:00:00 UTC

testing::Fake_Platform platform_with_list(const std::string& list) {
  testing::Fake_Platform platform;
  std::string licence;
  for (int i = 1; i <= 309; ++i) licence += "L" + std::to_string(i) + "\n";
  platform.files = {{"Versions.lst", "1.0\n"}, {"Abstract.txt", "Abstract\n"},
                    {"gpl.txt", licence},      {"list", list}};
  platform.directories = {"top/top/src", "top/pkg/src/lib"};
  platform.input = "\nAuthor\n";
  return platform;
}

std::string licence_excerpt() {
  std::string text;
  for (int i = 295; i <= 309; ++i) text += "--" + std::to_string(i) + "\n";
  return text;
}

TEST(Run, DateIsTheUtcStartAndYearIsLocalPerFile) {
  auto platform = platform_with_list("top\nmain\npkg\n");
  // The run starts a second before the new year; the package's header is
  // written after it.
  platform.clock = {new_year_2027 - 1, new_year_2027 - 1, new_year_2027 + 1};
  ASSERT_EQ(driver::run_main(platform, {"list"}), 0) << platform.error;

  EXPECT_EQ(platform.output,
            "We are the 2026-12-31 23:59:59\n"
            "The version is 1.0\n"
            "Press 'Enter' to continu, Ctrl+D elseEnter your name : \n");
  const std::string tail = "-- Date := \"2026-12-31 23:59:59\"\n-- Version := \"1.0\"\n";
  EXPECT_EQ(platform.files["top/top/src/top.adb"],
            "-- Abstract\n-- Main is Copyright (C) 2026 Author ; \n" + licence_excerpt() + tail +
                "with Pkg ; \nprocedure Main is\n\nbegin\n\n   null;\nend Main ; \n");
  EXPECT_EQ(platform.files["top/pkg/src/lib/pkg.ads"],
            "-- Abstract\n-- Main is Copyright (C) 2027 Author ; \n" + licence_excerpt() + tail +
                "package Pkg is\n\nend Pkg ; \n");
}

TEST(Run, YearFollowsTheLocalZone) {
  auto platform = platform_with_list("top\nmain\n");
  platform.clock = {new_year_2027 - 1800};  // 23:30 UTC, already 00:30 an hour east
  platform.local_offset = 3600;
  ASSERT_EQ(driver::run_main(platform, {"list"}), 0) << platform.error;
  const std::string& main = platform.files["top/top/src/top.adb"];
  EXPECT_NE(main.find("-- Main is Copyright (C) 2027 Author ; \n"), std::string::npos) << main;
  EXPECT_NE(main.find("-- Date := \"2026-12-31 23:30:00\"\n"), std::string::npos) << main;
}

}  // namespace
}  // namespace adaskel
