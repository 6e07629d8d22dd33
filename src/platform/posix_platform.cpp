// SPDX-License-Identifier: GPL-2.0-or-later
// The platform on POSIX systems: every system call the program makes there,
// but those that hold signals (posix_signals).
#include "common/platform.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <optional>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/failure.h"
#include "platform/posix_signals.h"

namespace adaskel {
namespace {

// Positions in files past 2 GiB (standard input may be one) need a 64-bit off_t.
static_assert(sizeof(off_t) * CHAR_BIT >= 64, "off_t must be 64 bits wide");

// The system takes paths as C strings; one holding a NUL byte would be cut
// short there and name another file, so it is refused before any call.
bool holds_nul(const std::string& path) { return path.find('\0') != std::string::npos; }

[[noreturn]] void throw_system_failure(std::string_view what, std::string_view path, int error) {
  throw_failure(what, path, std::strerror(error));
}

// Whether a call on `fd` failed only because the descriptor is non-blocking,
// as a parent may leave standard input or output: then it waits until `fd`
// is ready, so the call can be made again.
bool waited_until_ready(int fd, short events) {
  if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
  pollfd ready{fd, events, 0};
  while (::poll(&ready, 1, -1) < 0 && errno == EINTR) {
  }
  return true;
}

// Writes `bytes`, taking off what was written: 0 when it was all, else the
// error number.
int write_all(int fd, std::string_view& bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (errno != EINTR && !waited_until_ready(fd, POLLOUT)) {
      return errno;
    }
  }
  return 0;
}

// Reads up to `size` bytes: how many, 0 at the end, or -1 with errno set.
ssize_t read_some(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd, buffer, size);
    if (got >= 0 || (errno != EINTR && !waited_until_ready(fd, POLLIN))) return got;
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
    const ssize_t got = read_some(fd_, buffer, size);
    if (got < 0) throw_system_failure("cannot read", path_, errno);
    return static_cast<std::size_t>(got);
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
    std::string_view rest = bytes;
    const int error = write_all(fd_, rest);
    if (error == 0) return;
    // A line written in part is cut off again where the file lets it; the
    // write's error is the one to report either way.
    const std::string_view written = bytes.substr(0, bytes.size() - rest.size());
    const auto cut = static_cast<off_t>(unfinished_line(written));
    [[maybe_unused]] const bool cut_off =
        cut > 0 && ::ftruncate(fd_, ::lseek(fd_, 0, SEEK_CUR) - cut) == 0;
    throw_system_failure("cannot write", path_, error);
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
  // A standard output whose reader has gone away (SIGPIPE) and a file that
  // reaches the size limit (SIGXFSZ) are write errors that end the run with a
  // diagnostic, not a silent death. (Ignoring a valid signal cannot fail.)
  // The time zone is loaded now, while descriptors are free: the C library
  // would load it on first use, and fall back to UTC without a word if none
  // were left then.
  Posix_Platform() {
    static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
    static_cast<void>(std::signal(SIGXFSZ, SIG_IGN));
    ::tzset();
  }

  void write_output(std::string_view bytes) override;
  void write_error(std::string_view bytes) override;
  std::size_t read_input(char* buffer, std::size_t size) override;
  void unread_input(std::string_view bytes) override;
  void hold_interrupts() override;
  void release_interrupts() override;
  std::time_t now() override;
  int local_year(std::time_t time) override;
  Path_Limit path_limit() override;
  std::unique_ptr<Input_File> open_for_reading(const std::string& path) override;
  bool is_regular_file(const std::string& path) override;
  std::unique_ptr<Output_File> create_unless_regular(const std::string& path) override;

 private:
  std::optional<bool> input_rewinds_;  // whether standard input can give bytes back
};

}  // namespace

void Posix_Platform::write_output(std::string_view bytes) {
  if (const int error = write_all(STDOUT_FILENO, bytes)) {
    throw_stream_failure("cannot write to", "standard output", std::strerror(error));
  }
}

void Posix_Platform::write_error(std::string_view bytes) { write_all(STDERR_FILENO, bytes); }

// Only a regular file can give bytes back, by moving its position back: it
// is read in blocks. Anything else is read a byte at a time.
std::size_t Posix_Platform::read_input(char* buffer, std::size_t size) {
  if (!input_rewinds_) {
    struct stat status {};
    input_rewinds_ = ::fstat(STDIN_FILENO, &status) == 0 && S_ISREG(status.st_mode) &&
                     ::lseek(STDIN_FILENO, 0, SEEK_CUR) >= 0;
  }
  const ssize_t got = read_some(STDIN_FILENO, buffer, *input_rewinds_ ? size : 1);
  if (got < 0) throw_stream_failure("cannot read", "standard input", std::strerror(errno));
  return static_cast<std::size_t>(got);
}

void Posix_Platform::unread_input(std::string_view bytes) {
  const auto count = static_cast<off_t>(bytes.size());
  if (count > 0 && ::lseek(STDIN_FILENO, -count, SEEK_CUR) < 0) {
    throw_stream_failure("cannot read", "standard input", std::strerror(errno));
  }
}

void Posix_Platform::hold_interrupts() { posix::hold_signals(); }

void Posix_Platform::release_interrupts() { posix::release_signals(); }

std::time_t Posix_Platform::now() {
  // Unlike time(), it reports failure apart from the time, so every second
  // reads right, 1969-12-31 23:59:59 (-1) too. The nanoseconds are never
  // negative: the seconds are the time rounded down, before 1970 as after.
  timespec time{};
  if (::clock_gettime(CLOCK_REALTIME, &time) != 0) {
    throw Failure("cannot read the clock: " + escaped(std::strerror(errno)));
  }
  return time.tv_sec;
}

int Posix_Platform::local_year(std::time_t time) {
  std::tm local{};
  if (::localtime_r(&time, &local) == nullptr) throw Failure("cannot read the local time");
  return local.tm_year + 1900;
}

// open() refuses a path of PATH_MAX bytes or more, with its terminating NUL.
Path_Limit Posix_Platform::path_limit() { return {PATH_MAX - 1, std::strerror(ENAMETOOLONG)}; }

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
  posix::take_held_signal();  // the file before this one, if any, is whole and closed
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
