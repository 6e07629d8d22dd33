// SPDX-License-Identifier: GPL-2.0-or-later
#include "driver/run.h"

#include <exception>
#include <new>
#include <string>

#include "common/failure.h"
#include "driver/console.h"
#include "driver/resources.h"
#include "driver/run_context.h"
#include "driver/start_image.h"
#include "generate/sources.h"

namespace adaskel::driver {
namespace {

// While it lives, a signal that would end the process waits for the file in
// progress to be whole and closed. When it ends, with the last file or with
// a failure, a signal that waited takes effect before anything more is
// written: a standard output that blocks cannot hold it off.
class Files_Being_Written {
 public:
  explicit Files_Being_Written(Platform& platform) : platform_(platform) {
    platform_.hold_interrupts();
  }
  ~Files_Being_Written() { platform_.release_interrupts(); }
  Files_Being_Written(const Files_Being_Written&) = delete;
  Files_Being_Written& operator=(const Files_Being_Written&) = delete;

 private:
  Platform& platform_;
};

generate::Header_Values header_values(const Run_Context& context) {
  return {context.abstract_line, context.units->unit_names, context.author_name,
          context.licence_lines, context.start_image,       *context.version_line};
}

// The run sequence. Returns at its normal end or at a reported input error;
// every other failure throws.
void run(Platform& platform, Console& console, const unitlist::Arguments& arguments) {
  Run_Context context;

  context.start_image = utc_image(platform.now());
  console.write_line("We are the " + context.start_image);

  read_version_file(platform, context);
  if (!context.version_line) throw Failure("\"Versions.lst\" has no line to give the version");
  console.write_line("The version is " + *context.version_line);

  console.write_prompt("Press 'Enter' to continu, Ctrl+D else");
  console.skip_line();

  read_abstract_file(platform, context);
  read_licence_file(platform, context);

  if (auto message = unitlist::check_arguments(platform, arguments, context.command_line)) {
    console.write_line(*message);
    return;
  }
  if (auto message = unitlist::read_capacity(arguments, context.command_line)) {
    console.write_line(*message);
    return;
  }

  console.write_prompt("Enter your name : ");
  auto& units = context.units.emplace(context.command_line.max_lines);
  context.author_name = console.read_line();

  const std::string& list_file_name = *context.command_line.list_file_name;
  unitlist::read_unit_list(platform, list_file_name, units);
  unitlist::copy_unit_names(units);
  unitlist::derive_unit_names(units, list_file_name);

  const generate::Header_Values header = header_values(context);
  const Files_Being_Written files(platform);
  generate::write_main_file(platform, header, units);
  generate::write_package_files(platform, header, units);
}

// `message` is one line of valid UTF-8 with no control character: every
// value in it was quoted where it was made.
void report_failure(Platform& platform, Console& console, const std::string& message) {
  try {
    console.end_line();
  } catch (const Failure&) {
    // Standard output is what failed; the diagnostic below still goes out.
  }
  platform.write_error("adaskel: error: " + message + "\n");
}

}  // namespace

int run_main(Platform& platform, const unitlist::Arguments& arguments) {
  Console console(platform);
  int status = 1;
  try {
    run(platform, console, arguments);
    console.end_line();
    status = 0;
  } catch (const Failure& failure) {
    report_failure(platform, console, failure.message());
  } catch (const std::bad_alloc&) {
    report_failure(platform, console, "out of memory");
  } catch (const std::exception& failure) {
    report_failure(platform, console, escaped(failure.what()));
  }
  return status;
}

}  // namespace adaskel::driver
