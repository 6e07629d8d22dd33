// SPDX-License-Identifier: GPL-2.0-or-later
// Properties under any input, the first byte picking which. Besides not
// crashing under the sanitizers:
// - the line reader gives the same lines whatever sizes the file is read in,
//   and its lines, line feeds and skipped form feeds add up to the file;
// - to_filename fails exactly on an empty text or one ending in '-'; else it
//   keeps the length, leaves no '-', changes no byte but the first and those
//   after a '-', and a second pass changes nothing;
// - to_whole_number takes any text.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/line_reader.h"
#include "memory_input.h"
#include "unitlist/unit_name.h"
#include "unitlist/whole_number.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

std::vector<std::string> lines_of(const std::string& data, std::vector<std::size_t> chunks) {
  adaskel::testing::Memory_Input file(data, std::move(chunks));
  adaskel::Line_Reader reader(file);
  std::vector<std::string> lines;
  while (!reader.at_end()) lines.push_back(reader.read_line());
  return lines;
}

void line_reader(FuzzedDataProvider& in) {
  std::vector<std::size_t> chunks(in.ConsumeIntegralInRange<std::size_t>(1, 4));
  for (auto& c : chunks) c = in.ConsumeIntegralInRange<std::size_t>(1, 300);
  const std::string data = in.ConsumeRemainingBytesAsString();
  const std::vector<std::string> lines = lines_of(data, chunks);
  check(lines == lines_of(data, {std::size_t{1} << 20}));
  std::size_t total = 0;
  for (const auto& line : lines) total += line.size();
  for (std::size_t i = 0; i < data.size(); ++i) {
    total += data[i] == '\n' || (data[i] == '\f' && i > 0 && data[i - 1] == '\n');
  }
  check(total == data.size());
}

bool derived(std::string& text) {
  try {
    adaskel::unitlist::to_filename(text);
    return true;
  } catch (const adaskel::Failure&) {
    return false;
  }
}

void unit_name(const std::string& in) {
  std::string out = in;
  check(derived(out) == !(in.empty() || in.back() == '-'));
  if (in.empty() || in.back() == '-') return;
  check(out.size() == in.size() && out.find('-') == std::string::npos);
  for (std::size_t i = 1; i < in.size(); ++i)
    check(in[i - 1] == '-' || in[i] == '-' || in[i] == out[i]);
  std::string again = out;
  check(derived(again) && again == out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  FuzzedDataProvider in(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0: line_reader(in); break;
    case 1: unit_name(in.ConsumeRemainingBytesAsString()); break;
    default: (void)adaskel::unitlist::to_whole_number(in.ConsumeRemainingBytesAsString());
  }
  return 0;
}
