// The header in-process, with a clock the test sets.
#include "generate/header.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/start_image.h"
#include "memory_file.h"

namespace adaskel::generate {
namespace {

TEST(Header, DateIsTheUtcStartAndYearIsLocalPerFile) {
  constexpr std::time_t new_year_2027 = 1798761600;  // 2027-01-01 00:00:00 UTC
  const std::string start = driver::utc_image(new_year_2027 - 1);
  EXPECT_EQ(start, "2026-12-31 23:59:59");
  String_Set names("names", 2), licence("licence", 4096);
  names.store(2, "Main");
  for (int i = 1; i <= 309; ++i) licence.store(i, i == 300 ? "" : "L" + std::to_string(i));
  const Line_Text abstract = "Abstract", author = "Author", version = "1.0";
  const Header_Values values{abstract, names, author, licence, start, version};
  // The second header is written after the turn of the year; an hour east,
  // the year has turned already for the first.
  const struct {
    std::time_t offset;
    std::string first_year, second_year;
  } cases[] = {{0, "2026", "2027"}, {3600, "2027", "2027"}};
  for (const auto& c : cases) {
    testing::Fake_Clock clock;
    clock.times = {new_year_2027 - 1, new_year_2027};
    clock.offset = c.offset;
    for (const std::string& year : {c.first_year, c.second_year}) {
      std::string text;
      Text_File file(std::make_unique<testing::Memory_Output>(text));
      write_header(file, values, clock);
      file.close();
      std::string expected = "-- Abstract\n-- Main is Copyright (C) " + year + " Author ; \n";
      for (int i = 295; i <= 309; ++i) expected += i == 300 ? "--\n" : "--" + std::to_string(i) + "\n";
      EXPECT_EQ(text, expected + "-- Date := \"2026-12-31 23:59:59\"\n-- Version := \"1.0\"\n");
    }
  }
}

}  // namespace
}  // namespace adaskel::generate
