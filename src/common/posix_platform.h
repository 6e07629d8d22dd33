// The real platform: every system call of the program is made here.
#pragma once

#include "common/platform.h"

namespace adaskel {

class Posix_Platform final : public Platform {
 public:
  // Ignores SIGPIPE, so that a standard output whose reader has gone away is
  // a write error that ends the run with a diagnostic, not a silent death.
  Posix_Platform();

  void write_output(std::string_view bytes) override;
  void write_error(std::string_view bytes) override;
  std::size_t read_input(char* buffer, std::size_t size) override;
  std::time_t now() override;
  int local_year(std::time_t time) override;
  std::unique_ptr<Input_File> open_for_reading(const std::string& path) override;
  bool is_regular_file(const std::string& path) override;
  std::unique_ptr<Output_File> create_unless_regular(const std::string& path) override;
};

}  // namespace adaskel
