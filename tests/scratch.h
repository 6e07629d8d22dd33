// A scratch working directory with the example's resource files, removed when
// the test ends, and runs of the real binary in it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace adaskel::testing {

struct Run_Result {
  int status;  // the exit status; 124 when the run took too long
  std::string out;
  std::string err;
};

class Scratch {
 public:
  Scratch();  // Versions.lst "1.0", Abstract.txt "Abstract", gpl.txt of the example
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  std::string path(std::string_view relative) const { return work_ + "/" + std::string(relative); }
  void write(std::string_view relative, std::string_view bytes) const;  // makes its directories
  void make_dirs(std::string_view relative) const;
  std::string read(std::string_view relative) const;
  // Everything below the working directory but the resource files, sorted:
  // "dir/", "link@" or "file".
  std::vector<std::string> tree() const;

  // Runs the binary here with `input` on standard input; standard output is
  // captured unless `output` names where it goes; `memory_limit` bounds the
  // address space when not 0.
  Run_Result run(const std::vector<std::string>& arguments, std::string_view input,
                 const std::string& output = {}, long memory_limit = 0) const;

 private:
  std::string root_;  // holds work/ and the captured streams
  std::string work_;
};

}  // namespace adaskel::testing
