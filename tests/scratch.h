// A scratch working directory for running the real binary, with the example's
// resource files in it, removed when the test ends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace adaskel::testing {

struct Run_Result {
  int status;  // the exit status, or 128 + the signal that ended the process
  std::string out;
  std::string err;
};

class Scratch {
 public:
  Scratch();  // Versions.lst "1.0", Abstract.txt "Abstract", gpl.txt from the example
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  // The absolute path of `relative` in the working directory.
  std::string path(std::string_view relative) const;
  // Writes a file, making its directories first.
  void write(std::string_view relative, std::string_view bytes) const;
  void make_dirs(std::string_view relative) const;
  void remove(std::string_view relative) const;
  std::string read(std::string_view relative) const;
  // Every file, link and directory below the working directory, as
  // "relative/path" (regular files), "relative/path/" (directories) or
  // "relative/path@" (links), sorted; the resource files left out.
  std::vector<std::string> tree() const;

  struct Options {
    std::string output;        // where standard output goes instead of being captured
    long memory_limit = 0;     // bytes of address space, when not 0
  };

  // Runs the binary in the working directory with `input` on standard input.
  Run_Result run(const std::vector<std::string>& arguments, std::string_view input,
                 const Options& options) const;
  Run_Result run(const std::vector<std::string>& arguments, std::string_view input) const {
    return run(arguments, input, Options{});
  }

 private:
  std::string root_;  // holds work/ and the captured streams
  std::string work_;
};

// The bytes of a file outside the scratch directory.
std::string read_file(const std::string& path);

}  // namespace adaskel::testing
