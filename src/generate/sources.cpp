#include "generate/sources.h"

#include "common/failure.h"
#include "common/text_file.h"

namespace adaskel::generate {
namespace {

constexpr char separator = '/';

const Line_Text& top_directory(const unitlist::Unit_Tables& units) {
  if (!units.unit_lines.contains(1)) {
    throw Failure("the unit list is empty: it names no top directory");
  }
  return units.unit_lines.at(1);
}

}  // namespace

std::string main_file_path(const unitlist::Unit_Tables& units) {
  const Line_Text& top = top_directory(units);
  std::string path;
  path.reserve(3 * top.size() + 10);
  path.append(top).append(1, separator).append(top).append(1, separator);
  path.append("src").append(1, separator).append(top).append(".adb");
  return path;
}

std::string package_file_path(const unitlist::Unit_Tables& units, std::int32_t k) {
  const Line_Text& top = top_directory(units);
  const Line_Text& stem = units.unit_lines.at(k);
  std::string path;
  path.reserve(top.size() + 2 * stem.size() + 14);
  path.append(top).append(1, separator).append(stem).append(1, separator);
  path.append("src").append(1, separator).append("lib").append(1, separator);
  path.append(stem).append(".ads");
  return path;
}

void write_main_file(Platform& platform, const Header_Values& header,
                     const unitlist::Unit_Tables& units) {
  auto created = platform.create_unless_regular(main_file_path(units));
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
  for (std::int32_t k = 3; k <= units.line_count; ++k) {
    auto created = platform.create_unless_regular(package_file_path(units, k));
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
