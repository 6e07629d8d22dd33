#include "fake_platform.h"

#include <algorithm>
#include <cstring>

#include "common/failure.h"

namespace adaskel::testing {
namespace {

// Hands out its text a few bytes at a time, so readers meet every boundary.
class Fake_Input final : public Input_File {
 public:
  Fake_Input(std::string text, std::string path) : text_(std::move(text)), path_(std::move(path)) {}
  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min({size, text_.size() - next_, std::size_t{3}});
    std::memcpy(buffer, text_.data() + next_, count);
    next_ += count;
    return count;
  }
  const std::string& path() const override { return path_; }

 private:
  std::string text_;
  std::string path_;
  std::size_t next_ = 0;
};

class Fake_Output final : public Output_File {
 public:
  Fake_Output(Fake_Platform& platform, std::string path)
      : platform_(platform), path_(std::move(path)) {}
  void write(std::string_view bytes) override { platform_.files[path_] += bytes; }
  void close() override {}
  const std::string& path() const override { return path_; }

 private:
  Fake_Platform& platform_;
  std::string path_;
};

}  // namespace

std::size_t Fake_Platform::read_input(char* buffer, std::size_t size) {
  const std::size_t count = std::min(size, input.size() - input_next_);
  std::memcpy(buffer, input.data() + input_next_, count);
  input_next_ += count;
  return count;
}

std::time_t Fake_Platform::now() {
  const std::time_t time = clock.at(std::min(clock_next_, clock.size() - 1));
  ++clock_next_;
  return time;
}

int Fake_Platform::local_year(std::time_t time) {
  const std::time_t local = time + local_offset;
  std::tm fields{};
  ::gmtime_r(&local, &fields);
  return fields.tm_year + 1900;
}

std::unique_ptr<Input_File> Fake_Platform::open_for_reading(const std::string& path) {
  const auto found = files.find(path);
  if (found == files.end()) throw Failure("cannot open " + quoted(path) + ": No such file");
  return std::make_unique<Fake_Input>(found->second, path);
}

std::unique_ptr<Output_File> Fake_Platform::create_unless_regular(const std::string& path) {
  if (files.count(path) != 0) return nullptr;
  const std::string directory = path.substr(0, path.rfind('/'));
  if (directories.count(directory) == 0) {
    throw Failure("cannot create " + quoted(path) + ": No such file or directory");
  }
  files[path];
  return std::make_unique<Fake_Output>(*this, path);
}

}  // namespace adaskel::testing
