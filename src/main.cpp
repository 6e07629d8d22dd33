// adaskel: lays out the first source files of a new Ada program.

#include "common/posix_platform.h"
#include "driver/run.h"

int main(int argc, char** argv) {
  adaskel::Posix_Platform platform;
  return adaskel::driver::run_main(platform, adaskel::unitlist::Arguments(argv + 1, argv + argc));
}
