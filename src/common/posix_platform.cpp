// SPDX-License-Identifier: GPL-2.0-or-later
// The platform on POSIX systems: every system call the program makes there.
#include "common/platform.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/failure.h"

namespace adaskel {
namespace {

// The system takes paths as C strings; one holding a NUL byte would be cut
// short there and name another file, so it is refused before any call.
bool holds_nul(const std::string& path) { return path.find('\0') != std::string::npos; }

[[noreturn]] void throw_system_failure(std::string_view what, std::string_view path, int error) {
  throw_failure(what, path, std::strerror(error));
}

// 0 when every byte was written, else the error number.
int write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

std::size_t read_some(int fd, char* buffer, std::size_t size, std::string_view what,
                      std::string_view path) {
  for (;;) {
    const ssize_t got = ::read(fd, buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) throw_system_failure(what, path, errno);
  }
}

// Where the link `link` points, as a path usable from the working directory:
// a relative target is taken from the link's own directory.
std::string link_target(const std::string& link, const std::string& path) {
  std::string target(PATH_MAX, '\0');
  const ssize_t size = ::readlink(link.c_str(), target.data(), target.size());
  if (size < 0) throw_system_failure("cannot create", path, errno);
  target.resize(static_cast<std::size_t>(size));
  const std::size_t slash = link.rfind('/');
  if (!target.starts_with('/') && slash != std::string::npos) target.insert(0, link, 0, slash + 1);
  return target;
}

class Posix_Input_File final : public Input_File {
 public:
  Posix_Input_File(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~Posix_Input_File() override { ::close(fd_); }
  Posix_Input_File(const Posix_Input_File&) = delete;
  Posix_Input_File& operator=(const Posix_Input_File&) = delete;

  std::size_t read(char* buffer, std::size_t size) override {
    return read_some(fd_, buffer, size, "cannot read", path_);
  }
  const std::string& path() const override { return path_; }

 private:
  int fd_;
  std::string path_;
};

class Posix_Output_File final : public Output_File {
 public:
  Posix_Output_File(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~Posix_Output_File() override {
    if (fd_ >= 0) ::close(fd_);
  }
  Posix_Output_File(const Posix_Output_File&) = delete;
  Posix_Output_File& operator=(const Posix_Output_File&) = delete;

  void write(std::string_view bytes) override {
    if (const int error = write_all(fd_, bytes)) throw_system_failure("cannot write", path_, error);
  }
  void close() override {
    const int fd = fd_;
    fd_ = -1;
    // The descriptor is gone after close() even when it reports EINTR.
    if (::close(fd) != 0 && errno != EINTR) throw_system_failure("cannot close", path_, errno);
  }
  const std::string& path() const override { return path_; }

 private:
  int fd_;
  std::string path_;
};

class Posix_Platform final : public Platform {
 public:
  // Ignores SIGPIPE, so that a standard output whose reader has gone away is
  // a write error that ends the run with a diagnostic, not a silent death.
  // (Ignoring a valid signal cannot fail.)
  Posix_Platform() { static_cast<void>(std::signal(SIGPIPE, SIG_IGN)); }

  void write_output(std::string_view bytes) override;
  void write_error(std::string_view bytes) override;
  std::size_t read_input(char* buffer, std::size_t size) override;
  std::time_t now() override;
  int local_year(std::time_t time) override;
  std::unique_ptr<Input_File> open_for_reading(const std::string& path) override;
  bool is_regular_file(const std::string& path) override;
  std::unique_ptr<Output_File> create_unless_regular(const std::string& path) override;
};

}  // namespace

void Posix_Platform::write_output(std::string_view bytes) {
  if (const int error = write_all(STDOUT_FILENO, bytes)) {
    throw_system_failure("cannot write to", "standard output", error);
  }
}

void Posix_Platform::write_error(std::string_view bytes) { write_all(STDERR_FILENO, bytes); }

std::size_t Posix_Platform::read_input(char* buffer, std::size_t size) {
  return read_some(STDIN_FILENO, buffer, size, "cannot read", "standard input");
}

std::time_t Posix_Platform::now() { return std::time(nullptr); }

int Posix_Platform::local_year(std::time_t time) {
  std::tm local{};
  if (::localtime_r(&time, &local) == nullptr) throw Failure("cannot read the local time");
  return local.tm_year + 1900;
}

std::unique_ptr<Input_File> Posix_Platform::open_for_reading(const std::string& path) {
  if (holds_nul(path)) throw_failure("cannot open", path, "the name holds a NUL byte");
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) throw_system_failure("cannot open", path, errno);
  return std::make_unique<Posix_Input_File>(fd, path);
}

bool Posix_Platform::is_regular_file(const std::string& path) {
  struct stat status {};
  return !holds_nul(path) && ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::unique_ptr<Output_File> Posix_Platform::create_unless_regular(const std::string& path) {
  if (holds_nul(path)) throw_failure("cannot create", path, "the name holds a NUL byte");
  // An exclusive create never opens what is already there, so nothing is
  // ever truncated or written into a device or a pipe, even when it appears
  // while the run goes on; a new file, the common case, takes one call. A
  // dangling link is followed by hand to the name it points to.
  std::string target = path;
  for (;;) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) return std::make_unique<Posix_Output_File>(fd, path);
    const int error = errno;
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0) {
      if (S_ISREG(status.st_mode)) return nullptr;
      throw_failure("cannot create", path, "not a regular file");
    }
    // Only a link that leads nowhere exists yet cannot be stat'ed; a loop of
    // links, or a chain too long, fails stat with ELOOP and ends here.
    if (error != EEXIST || errno != ENOENT) {
      throw_system_failure("cannot create", path, error != EEXIST ? error : errno);
    }
    target = link_target(target, path);
  }
}

std::unique_ptr<Platform> system_platform() { return std::make_unique<Posix_Platform>(); }

std::vector<std::string> process_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace adaskel
