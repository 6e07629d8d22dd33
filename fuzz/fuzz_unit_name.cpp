// to_filename: when it fails, the per-byte shape of its result, and agreement
// with a naive rendering of the algorithm that searches from the start each time.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/failure.h"
#include "unitlist/unit_name.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

char upper(char c) {  // Latin-1
  const auto b = static_cast<unsigned char>(c);
  const bool lower = (b >= 'a' && b <= 'z') || (b >= 224 && b <= 246) || (b >= 248 && b <= 254);
  return lower ? static_cast<char>(b - 32) : c;
}

bool naive(std::string& s) {  // false when it fails
  if (s.empty()) return false;
  s[0] = upper(s[0]);
  for (std::size_t p; (p = s.find('-')) != std::string::npos; s[p + 1] = upper(s[p + 1])) {
    s[p] = '.';
    if (p + 1 == s.size()) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  std::string out = in, expected = in;
  bool failed = false;
  try {
    adaskel::unitlist::to_filename(out);
  } catch (const adaskel::Failure&) {
    failed = true;
  }
  check(failed == (in.empty() || in.back() == '-') && naive(expected) == !failed);
  if (failed) return 0;
  check(out == expected && out.size() == in.size() && out.find('-') == std::string::npos);
  for (std::size_t i = 0; i < in.size(); ++i) {
    const bool raised = i == 0 || in[i - 1] == '-';
    check(out[i] == (in[i] == '-' ? '.' : raised ? upper(in[i]) : in[i]));
  }
  return 0;
}
