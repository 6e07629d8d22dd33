// An in-memory platform for driving a run in-process: files, console and a
// clock that tests set up and inspect.
#pragma once

#include <ctime>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/platform.h"

namespace adaskel::testing {

class Fake_Platform final : public Platform {
 public:
  std::map<std::string, std::string> files;  // regular files by path
  std::set<std::string> directories;         // where files can be created
  std::string input;
  std::string output;
  std::string error;
  std::vector<std::time_t> clock;  // each reading takes the next; the last one repeats
  int local_offset = 0;            // seconds east of UTC, for local_year()

  void write_output(std::string_view bytes) override { output += bytes; }
  void write_error(std::string_view bytes) override { error += bytes; }
  std::size_t read_input(char* buffer, std::size_t size) override;
  std::time_t now() override;
  int local_year(std::time_t time) override;
  std::unique_ptr<Input_File> open_for_reading(const std::string& path) override;
  bool is_regular_file(const std::string& path) override { return files.count(path) != 0; }
  std::unique_ptr<Output_File> create_unless_regular(const std::string& path) override;

 private:
  std::size_t input_next_ = 0;
  std::size_t clock_next_ = 0;
};

}  // namespace adaskel::testing
