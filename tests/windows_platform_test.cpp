// SPDX-License-Identifier: GPL-2.0-or-later
// Whole runs of the Windows platform in-process under Wine, in a scratch folder,
// over system calls the test replaces to make one fail or change the disk.
#include "platform/windows_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "driver/run.h"
#include "platform/windows_rules.h"

namespace adaskel::windows {
namespace {

namespace fs = std::filesystem;

// What the calls below do instead of the system's, for the run in progress.
struct Plan {
  std::wstring link{};  // a link that leads nowhere, till "theirs\n" turns up as it is opened
  DWORD writes_before_failing = MAXDWORD;  // bytes of files; then the disk is full
  bool close_fails = false;                // the close of the file written
  FILETIME clock{0xf6a56000, 0x01de1b8f};  // 2027-06-15 12:00:00 UTC
  std::vector<std::wstring> created{};     // every name create_file was given
  HANDLE written = nullptr;                // the last file opened for writing
  HANDLE streams[3]{};                     // standard input, output and error
} plan;

const System_Calls faulty = [] {
  System_Calls calls;
  calls.create_file = [](LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                         DWORD disposition, DWORD flags, HANDLE model) {
    plan.created.emplace_back(name);
    if (name == plan.link && disposition != OPEN_ALWAYS) {
      ::SetLastError(disposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_FILE_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
    if (name == plan.link)  // no longer a link that leads nowhere
      std::ofstream(fs::path(std::exchange(plan.link, L"")), std::ios::binary) << "theirs\n";
    HANDLE handle = ::CreateFileW(name, access, share, security, disposition, flags, model);
    if (access == GENERIC_WRITE) plan.written = handle;
    return handle;
  };
  calls.write_file = [](HANDLE handle, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED) {
    if (handle != plan.written) return ::WriteFile(handle, bytes, size, written, nullptr);
    size = std::min(size, plan.writes_before_failing);
    plan.writes_before_failing -= size;
    if (size == 0) ::SetLastError(ERROR_DISK_FULL);
    return size > 0 && ::WriteFile(handle, bytes, size, written, nullptr) ? TRUE : FALSE;
  };
  calls.close_handle = [](HANDLE handle) {
    const BOOL closed = ::CloseHandle(handle);
    if (!closed || handle != plan.written || !plan.close_fails) return closed;
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
  };
  calls.std_handle = [](DWORD stream) { return plan.streams[STD_INPUT_HANDLE - stream]; };
  calls.system_time = [](LPFILETIME time) { *time = plan.clock; };
  return calls;
}();

std::string read(const fs::path& path) {
  return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

// Runs the program on `list` in a new scratch folder, the current one, with
// the resource files, folder `dir`, and `input` answering the prompts.
std::tuple<std::string, std::string, int> run(const std::string& list, const fs::path& dir,
                                              const std::string& input) {
  const fs::path scratch = fs::temp_directory_path() / "adaskel-windows-test";
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(L"\\\\?\\" + scratch.wstring());  // long paths in it too
  fs::create_directories(scratch / dir);
  fs::current_path(scratch);
  std::string licence;
  for (int i = 1; i <= 309; ++i) licence += " " + std::to_string(i) + "\n";
  const char* names[] = {"Versions.lst", "Abstract.txt", "gpl.txt", "l.lst", "in", "out", "err"};
  const std::string texts[] = {"1.0.0\n", "Ab\n", licence, list, input, "", ""};  // of each name
  for (int i = 0; i < 7; ++i) std::ofstream(names[i], std::ios::binary) << texts[i];
  for (int i = 0; i < 3; ++i)  // the standard streams
    plan.streams[i] = ::CreateFileA(names[4 + i], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  const int status = driver::run_main(*platform_over(faulty), {"l.lst"});
  for (HANDLE stream : plan.streams) ::CloseHandle(stream);
  return {read("out"), read("err"), status};
}

const std::string dialogue =
    "We are the 2027-06-15 12:00:00\nThe version is 1.0.0\nPress 'Enter' to continu, Ctrl+D "
    "elseEnter your name : \n";
// A tree whose paths pass 300 characters, and a long name in it.
const std::string top(100, 'd'), x(150, 'x');

// The main file of list "TOP", "t" and `with`'s packages, at the plan's clock.
std::string main_file(const std::string& with = "") {
  std::string text = "-- Ab\n-- T is Copyright (C) 2027 Jane ; \n";
  for (int line = 295; line <= 309; ++line) text += "--" + std::to_string(line) + "\n";
  return text + "-- Date := \"2027-06-15 12:00:00\"\n-- Version := \"1.0.0\"\n" + with +
         "procedure T is\n\nbegin\n\n   null;\nend T ; \n";
}

// Each row: a fault between two system calls or a long path (where the name
// rules hold too), what the run shows, and the main file it leaves, or "none",
// whose name the system was given as it is when short, absolute and verbatim
// when long.
TEST(WindowsRun, FaultsBetweenTwoCallsAndLongPaths) {
  const struct {
    Plan plan{};
    std::string list = "t\nt\n", input = "\nJane\n", out = dialogue, err{};
    int status = 1;
    std::string file = main_file();
  } rows[] = {
      {.plan = {.writes_before_failing = 12},  // mid-way through the second line
       .err = "adaskel: error: cannot write \"t/t/src/t.adb\": No space left on device\n",
       .file = "-- Ab\n"},
      {.plan = {.close_fails = true},
       .err = "adaskel: error: cannot close \"t/t/src/t.adb\": No space left on device\n"},
      {.plan = {.link = L"t/t/src/t.adb"}, .status = 0, .file = "theirs\n"},
      {.plan = {.clock = {0xffffffff, 0xffffffff}},
       .out = "",
       .err = "adaskel: error: cannot read the clock: " + reason(ERROR_INVALID_PARAMETER) + "\n",
       .file = "none"},
      {.plan = {.clock = {0xd4f234c0, 0x019db1de}},  // 1969-12-31 23:59:59.5
       .input = "",
       .out = "We are the 1969-12-31 23:59:59\nThe version is 1.0.0\nPress 'Enter' to continu, "
              "Ctrl+D else\n",
       .err = "adaskel: error: cannot read standard input: end of file\n",
       .file = "none"},
      {.list = top + "\nt\ncon." + x + "\n",
       .err = "adaskel: error: cannot create \"" + top + "/con." + x + "/src/lib/con." + x +
              ".ads\": not a regular file\n",
       .file = main_file("with Con." + x + " ; \n")},
      {.list = top + "\nt\n" + x + ".\n",
       .err = "adaskel: error: cannot create \"" + top + "/" + x + "./src/lib/" + x +
              "..ads\": a name in it ends in a dot or a blank, which Windows drops\n",
       .file = main_file("with X" + x.substr(1) + ". ; \n")},
  };
  for (const auto& row : rows) {
    plan = row.plan;
    const std::string tree = row.list.substr(0, row.list.find('\n'));
    const fs::path main = fs::path(tree) / tree / "src" / (tree + ".adb");
    EXPECT_EQ(run(row.list, main.parent_path(), row.input), std::tie(row.out, row.err, row.status))
        << row.list;
    EXPECT_EQ(fs::exists(main) ? read(main) : "none", row.file) << row.list;
    const std::wstring sent =
        main.native().size() > 300
            ? L"\\\\?\\" + (fs::current_path() / main).make_preferred().wstring()
            : main.generic_wstring();
    EXPECT_EQ(std::find(plan.created.begin(), plan.created.end(), sent) != plan.created.end(),
              row.file != "none")
        << row.list;
  }
}

}  // namespace
}  // namespace adaskel::windows
