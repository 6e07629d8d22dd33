// Line_Reader over an in-memory file read in chunks of sizes taken from the input: the
// lines must match a plain model of the line rules whatever the chunk sizes.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/failure.h"
#include "common/line_reader.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

// Hands out `data` in reads of the given sizes, in turn (no sizes: all at once).
class Chunked_File final : public adaskel::Input_File {
 public:
  Chunked_File(std::string_view data, std::vector<std::size_t> chunks)
      : data_(data), chunks_(std::move(chunks)) {}
  std::size_t read(char* buffer, std::size_t size) override {
    if (!chunks_.empty()) size = std::min(size, chunks_[reads_++ % chunks_.size()]);
    const std::size_t count = data_.substr(next_).copy(buffer, size);
    next_ += count;
    return count;
  }
  const std::string& path() const override { return path_; }

 private:
  std::string_view data_;
  std::vector<std::size_t> chunks_;
  std::size_t next_ = 0, reads_ = 0;
  std::string path_ = "fuzz input";
};

// The lines, and how many reads past the end succeed before one fails.
using Outcome = std::pair<std::vector<std::string>, int>;

Outcome read_all(const std::string& data, const std::vector<std::size_t>& chunks) {
  Chunked_File file(data, chunks);
  adaskel::Line_Reader reader(file);
  Outcome out;
  while (!reader.at_end()) out.first.push_back(reader.read_line());
  for (;; ++out.second) {
    check(reader.at_end() && out.second < 2);
    try {
      check(reader.read_line().empty());  // the one line feed left, if any
    } catch (const adaskel::Failure&) {
      return out;
    }
  }
}

Outcome model(const std::string& data) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  auto ended = [&] {
    const std::string_view rest = std::string_view(data).substr(pos);
    return rest.empty() || rest == "\n" || rest == "\n\f";
  };
  while (!ended()) {
    std::string line;
    while (pos < data.size() && data[pos] != '\n') line += data[pos++];
    if (pos < data.size() && data[pos++] == '\n' && pos < data.size() && data[pos] == '\f') ++pos;
    lines.push_back(line);
  }
  return {lines, pos < data.size() ? 1 : 0};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider in(bytes, size);
  std::vector<std::size_t> chunks(in.ConsumeIntegralInRange<std::size_t>(1, 4));
  for (auto& c : chunks) c = in.ConsumeIntegralInRange<std::size_t>(1, 300);
  const std::string data = in.ConsumeRemainingBytesAsString();
  const Outcome got = read_all(data, chunks);
  check(got == model(data) && got == read_all(data, {}));
  if (data.empty()) check(got == Outcome{});  // at its end at once; a read fails

  // Line bytes + line feeds + form feeds right after a line feed = the file.
  std::size_t total = 0;
  for (const auto& line : got.first) total += line.size();
  for (std::size_t i = 0; i < data.size(); ++i) {
    total += data[i] == '\n' || (data[i] == '\f' && i > 0 && data[i - 1] == '\n');
  }
  check(total == data.size());
  return 0;
}
