#include "scratch.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <cstdlib>

#include <sys/wait.h>

namespace fs = std::filesystem;

namespace adaskel::testing {
namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

Scratch::Scratch() {
  std::string pattern = (fs::temp_directory_path() / "adaskel-test-XXXXXX").string();
  root_ = ::mkdtemp(pattern.data());
  work_ = root_ + "/work";
  write("Versions.lst", "1.0\n");
  write("Abstract.txt", "Abstract\n");
  write("gpl.txt", read_file(ADASKEL_EXAMPLES "/gpl.txt"));
}

Scratch::~Scratch() { fs::remove_all(root_); }

void Scratch::make_dirs(std::string_view relative) const { fs::create_directories(path(relative)); }

void Scratch::write(std::string_view relative, std::string_view bytes) const {
  const fs::path target = path(relative);
  fs::create_directories(target.parent_path());
  std::ofstream(target, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Scratch::read(std::string_view relative) const { return read_file(path(relative)); }

std::vector<std::string> Scratch::tree() const {
  std::vector<std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(work_)) {
    std::string name = entry.path().lexically_relative(work_).string();
    if (name == "Versions.lst" || name == "Abstract.txt" || name == "gpl.txt") continue;
    entries.push_back(name + (entry.is_symlink() ? "@" : entry.is_directory() ? "/" : ""));
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

Run_Result Scratch::run(const std::vector<std::string>& arguments, std::string_view input,
                        const std::string& output, long memory_limit) const {
  const auto quote = [](const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
  };
  const std::string in = root_ + "/stdin", out = output.empty() ? root_ + "/stdout" : output;
  std::ofstream(in, std::ios::binary).write(input.data(), static_cast<std::streamsize>(input.size()));
  std::string command = "cd " + quote(work_) + " && ";
  if (memory_limit != 0) command += "ulimit -v " + std::to_string(memory_limit / 1024) + " && ";
  command += "timeout 120 " + quote(ADASKEL_BINARY);  // a run that hangs is ended
  for (const auto& argument : arguments) command += " " + quote(argument);
  command += " <" + quote(in) + " >" + quote(out) + " 2>" + quote(root_ + "/stderr");
  const int status = std::system(command.c_str());
  return {WEXITSTATUS(status), output.empty() ? read_file(out) : "", read_file(root_ + "/stderr")};
}

}  // namespace adaskel::testing
