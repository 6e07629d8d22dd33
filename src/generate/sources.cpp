// SPDX-License-Identifier: GPL-2.0-or-later
#include "generate/sources.h"

#include <initializer_list>
#include <numeric>
#include <string_view>

#include "common/failure.h"
#include "common/text_file.h"

namespace adaskel::generate {
namespace {

constexpr std::string_view separator = "/";

const Line_Text& top_directory(const unitlist::Unit_Tables& units) {
  if (!units.unit_lines.contains(1)) {
    throw Failure("the unit list is empty: it names no top directory");
  }
  return units.unit_lines.at(1);
}

// The pieces joined with nothing between them: paths are plain byte
// concatenations, never normalised. Fails, having built nothing, when the
// path would be longer than the system takes.
std::string joined(const Path_Limit& limit, std::initializer_list<std::string_view> pieces) {
  const std::size_t size =
      std::accumulate(pieces.begin(), pieces.end(), std::size_t{0},
                      [](std::size_t sum, std::string_view piece) { return sum + piece.size(); });
  if (size > limit.longest) {
    throw Failure("cannot create " + quoted_joined(pieces) + ": " + escaped(limit.reason));
  }
  std::string path;
  path.reserve(size);
  for (const std::string_view piece : pieces) path += piece;
  return path;
}

}  // namespace

std::string main_file_path(const unitlist::Unit_Tables& units, const Path_Limit& limit) {
  const Line_Text& top = top_directory(units);
  return joined(limit, {top, separator, top, separator, "src", separator, top, ".adb"});
}

std::string package_file_path(const unitlist::Unit_Tables& units, std::int32_t k,
                              const Path_Limit& limit) {
  const Line_Text& top = top_directory(units);
  const Line_Text& stem = units.unit_lines.at(k);
  return joined(
      limit, {top, separator, stem, separator, "src", separator, "lib", separator, stem, ".ads"});
}

void write_main_file(Platform& platform, const Header_Values& header,
                     const unitlist::Unit_Tables& units) {
  auto created = platform.create_unless_regular(main_file_path(units, platform.path_limit()));
  if (!created) return;
  Text_File file(std::move(created));
  write_header(file, header, platform);
  for (std::int32_t k = 3; k <= units.line_count; ++k) {
    file.write_line({"with ", units.unit_names.at(k), " ; "});
  }
  const Line_Text& main_unit = units.unit_names.at(2);
  file.write_line({"procedure ", main_unit, " is"});
  file.write_empty_line();
  file.write_line({"begin"});
  file.write_empty_line();
  file.write_line({"   null;"});
  file.write_line({"end ", main_unit, " ; "});
  file.close();
}

void write_package_files(Platform& platform, const Header_Values& header,
                         const unitlist::Unit_Tables& units) {
  const Path_Limit limit = platform.path_limit();
  for (std::int32_t k = 3; k <= units.line_count; ++k) {
    auto created = platform.create_unless_regular(package_file_path(units, k, limit));
    if (!created) continue;
    Text_File file(std::move(created));
    write_header(file, header, platform);
    const Line_Text& name = units.unit_names.at(k);
    file.write_line({"package ", name, " is"});
    file.write_empty_line();
    file.write_line({"end ", name, " ; "});
    file.close();
  }
}

}  // namespace adaskel::generate
