// SPDX-License-Identifier: GPL-2.0-or-later
// The seam between the run and the system: console, clock and files. The run
// reaches the system only through a Platform, so tests can drive a whole run
// in-process with a fake. The real one is built for POSIX systems or for
// Windows, and everything that differs between the two lives in it.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace adaskel {

// A 32-bit time_t ends in 2038: a build for a 32-bit system needs the C
// library's 64-bit one.
static_assert(sizeof(std::time_t) * CHAR_BIT >= 64, "time_t must be 64 bits wide");

// A file opened for reading. Closed when destroyed.
class Input_File {
 public:
  virtual ~Input_File() = default;
  // Reads up to `size` bytes into `buffer`; returns how many, 0 at the end of
  // the file. Throws Failure when the file cannot be read.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
  // The path the file was opened by, for diagnostics.
  virtual const std::string& path() const = 0;
};

// A file created for writing. Closed, without a check, when destroyed before
// close().
class Output_File {
 public:
  virtual ~Output_File() = default;
  // Writes all of `bytes`, which are whole lines, or throws Failure. When
  // only part of them could be written, the file is cut back to the end of
  // the last whole line among them, so it never ends in part of a line.
  virtual void write(std::string_view bytes) = 0;
  // Closes the file; throws Failure when the system reports an error.
  virtual void close() = 0;
  virtual const std::string& path() const = 0;
};

// How many of the bytes that a failed write did put in a file follow their
// last line feed: what Output_File::write cuts off again, so that the file
// keeps whole lines.
inline std::size_t unfinished_line(std::string_view written) {
  return written.size() - (written.rfind('\n') + 1);
}

// The wall clock, apart so that what only reads the time needs nothing else.
class Clock {
 public:
  virtual ~Clock() = default;
  // Whole seconds since the epoch (the fraction dropped).
  virtual std::time_t now() = 0;
  // The year of `time` in the local time zone.
  virtual int local_year(std::time_t time) = 0;
};

// Every time the run shows has a four-digit year, in UTC and in local time:
// a clock outside these years cannot be read.
inline constexpr int first_year = 0, last_year = 9999;
inline constexpr std::string_view unshown_year =
    "cannot read the clock: its year is outside 0000 to 9999";

// The longest path, in bytes, that a system takes, and its words for a
// longer one.
struct Path_Limit {
  std::size_t longest;
  std::string reason;
};

class Platform : public Clock {
 public:
  // Standard output, unbuffered: the bytes are visible when this returns.
  // Throws Failure when they cannot be written.
  virtual void write_output(std::string_view bytes) = 0;
  // Standard error; failures are ignored, as there is nowhere left to report them.
  virtual void write_error(std::string_view bytes) = 0;
  // Reads up to `size` bytes of standard input, waiting for them if need be;
  // returns 0 at its end. Where bytes cannot be given back (a pipe, a
  // terminal), it reads one at a time, so it never takes more than is used.
  virtual std::size_t read_input(char* buffer, std::size_t size) = 0;
  // Gives `bytes`, the end of what read_input returned last, back to
  // standard input, for whatever reads it next. Fails when they cannot be
  // given back.
  virtual void unread_input(std::string_view bytes) = 0;

  // From now on, a signal that would end the process (Ctrl+C, Ctrl+\, a
  // request to terminate, a hang-up, any other that another process can
  // send, but for SIGKILL and those of a fault, such as SIGSEGV) waits while
  // a file is written: it takes effect before the next file is created, or
  // at release_interrupts(). Linux's signals 32 and 33 always wait until
  // release_interrupts(). One that is ignored stays ignored.
  virtual void hold_interrupts() = 0;
  // Lets a signal that waited take effect at once, ending the process as it
  // would have ended it on arrival, and gives signals their effect back.
  virtual void release_interrupts() = 0;

  // The longest path create_unless_regular can take: the run refuses a
  // longer one, without building it, for the reason given. By default none:
  // every path is built and left to the system.
  virtual Path_Limit path_limit() { return {SIZE_MAX, {}}; }

  // Opens an existing file for reading, or throws Failure.
  virtual std::unique_ptr<Input_File> open_for_reading(const std::string& path) = 0;
  // Whether `path` names an existing regular file, links followed. A path
  // holding a NUL byte names no file.
  virtual bool is_regular_file(const std::string& path) = 0;
  // Creates `path` as a new file for writing, a dangling link's target
  // included, unless it names an existing regular file, links followed: then
  // returns nullptr and leaves it alone. Throws Failure, having opened
  // nothing, when anything else is there (a directory, a device, a pipe) or
  // the file cannot be created; no directory is ever created.
  virtual std::unique_ptr<Output_File> create_unless_regular(const std::string& path) = 0;
};

// The platform of the system the program was built for. Made once, by the
// entry point.
std::unique_ptr<Platform> system_platform();

// The process's arguments after the program name, as bytes: on Windows, the
// command line's text in UTF-8.
std::vector<std::string> process_arguments(int argc, char** argv);

}  // namespace adaskel
