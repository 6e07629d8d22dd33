// SPDX-License-Identifier: GPL-2.0-or-later
// Deriving a unit name from one 1 MB line holding 500,000 '-' against reading
// 500,000 short lines: both must take time linear in their input, so the
// derivation should take no longer than twice the reading.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "common/line_reader.h"
#include "unitlist/unit_name.h"

namespace {

constexpr int count = 500'000;

std::string repeated(const std::string& piece) {
  std::string text;
  text.reserve(piece.size() * count);
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

// A file held in memory, handed out in the pieces the reader asks for.
class Memory_File final : public adaskel::Input_File {
 public:
  explicit Memory_File(const std::string& bytes) : bytes_(bytes) {}
  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t got = std::min(size, bytes_.size() - next_);
    bytes_.copy(buffer, got, next_);
    next_ += got;
    return got;
  }
  const std::string& path() const override { return path_; }

 private:
  const std::string& bytes_;
  std::size_t next_ = 0;
  std::string path_ = "memory";
};

void derive_one_long_line(benchmark::State& state) {
  const std::string line = repeated("a-").substr(0, 2 * count - 1);  // may not end in '-'
  adaskel::Line_Text text;
  for (auto _ : state) {
    state.PauseTiming();
    text = line;
    state.ResumeTiming();
    adaskel::unitlist::to_filename(text, "bench.lst", 2);
    benchmark::DoNotOptimize(text.data());
  }
}

void read_short_lines(benchmark::State& state) {
  const std::string file_bytes = repeated("a\n");
  for (auto _ : state) {
    Memory_File file(file_bytes);
    adaskel::Line_Reader reader(file);
    std::size_t lines = 0;
    while (!reader.at_end()) lines += reader.read_line().size();
    benchmark::DoNotOptimize(lines);
  }
}

BENCHMARK(derive_one_long_line)->Unit(benchmark::kMillisecond);
BENCHMARK(read_short_lines)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's real time per iteration in milliseconds: the median
// when there are repetitions, else the only run.
class Keeping_Reporter : public benchmark::ConsoleReporter {
 public:
  Keeping_Reporter() : ConsoleReporter(OO_None) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      times[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Keeping_Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double derive = reporter.times["derive_one_long_line"];
  const double read = reporter.times["read_short_lines"];
  const double ratio = derive / read;
  std::printf("derive/read time ratio: %.3f (derive %.3f ms, read %.3f ms), target <= 2.0: %s\n",
              ratio, derive, read, ratio <= 2.0 ? "PASS" : "FAIL");
  benchmark::Shutdown();
  return ratio <= 2.0 ? 0 : 1;
}
