#include "scratch.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace adaskel::testing {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Scratch::Scratch() {
  std::string pattern = (fs::temp_directory_path() / "adaskel-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  work_ = root_ + "/work";
  fs::create_directory(work_);
  write("Versions.lst", "1.0\n");
  write("Abstract.txt", "Abstract\n");
  write("gpl.txt", read_file(ADASKEL_EXAMPLES "/gpl.txt"));
}

Scratch::~Scratch() {
  std::error_code ignored;
  // Permission changes made by a test must not stop the clean-up.
  for (const auto& entry : fs::recursive_directory_iterator(root_, ignored)) {
    if (entry.is_directory(ignored) && !entry.is_symlink(ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }
  fs::remove_all(root_, ignored);
}

std::string Scratch::path(std::string_view relative) const {
  return work_ + "/" + std::string(relative);
}

void Scratch::make_dirs(std::string_view relative) const { fs::create_directories(path(relative)); }

void Scratch::write(std::string_view relative, std::string_view bytes) const {
  const fs::path target = path(relative);
  fs::create_directories(target.parent_path());
  std::ofstream(target, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void Scratch::remove(std::string_view relative) const { fs::remove(path(relative)); }

std::string Scratch::read(std::string_view relative) const { return read_file(path(relative)); }

std::vector<std::string> Scratch::tree() const {
  std::vector<std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(work_)) {
    std::string name = entry.path().lexically_relative(work_).string();
    if (name == "Versions.lst" || name == "Abstract.txt" || name == "gpl.txt") continue;
    if (entry.is_symlink()) name += '@';
    else if (entry.is_directory()) name += '/';
    entries.push_back(name);
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

Run_Result Scratch::run(const std::vector<std::string>& arguments, std::string_view input,
                        const Options& options) const {
  const std::string in = root_ + "/stdin", err = root_ + "/stderr";
  const std::string out = options.output.empty() ? root_ + "/stdout" : options.output;
  std::ofstream(in, std::ios::binary).write(input.data(), static_cast<std::streamsize>(input.size()));
  std::vector<char*> argv{const_cast<char*>(ADASKEL_BINARY)};
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid == 0) {
    const int in_fd = ::open(in.c_str(), O_RDONLY);
    const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in_fd < 0 || out_fd < 0 || err_fd < 0 || ::chdir(work_.c_str()) != 0) ::_exit(127);
    if (options.memory_limit != 0) {
      const rlimit limit{static_cast<rlim_t>(options.memory_limit),
                         static_cast<rlim_t>(options.memory_limit)};
      ::setrlimit(RLIMIT_AS, &limit);
    }
    ::dup2(in_fd, 0);
    ::dup2(out_fd, 1);
    ::dup2(err_fd, 2);
    ::alarm(120);  // a run that hangs is ended, and the test sees the signal
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return {code, options.output.empty() ? read_file(out) : "", read_file(err)};
}

}  // namespace adaskel::testing
