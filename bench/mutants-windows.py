# SPDX-License-Identifier: GPL-2.0-or-later
# Small plausible faults in the Windows platform, one per entry, planted one at
# a time by a mutation tool that rebuilds the MinGW-w64 build and runs its
# tests under Wine: (id, file, old, new, what a Windows user would see).
W, R = "src/common/windows_platform.cpp", "src/common/windows_rules.cpp"

M = [
    # Console input.
    ("w-held", R, "held_return_ = !ended_ && kept > 0 && buffer[kept - 1] == '\\r';", "held_return_ = false;",
     "a name keeps its carriage return when the line feed comes in the next read"),
    ("w-keep", R, "std::exchange(held_return_, false) ? 1 : 0", "std::exchange(held_return_, false) ? 0 : 0",
     "a held carriage return lost when no line feed follows"),
    ("w-drop", R, "if (buffer[i] != '\\r' || i + 1 == got || buffer[i + 1] != '\\n') buffer[kept++]",
     "if (true) buffer[kept++]", "every typed line ends in a carriage return"),
    ("w-ctrlz", R, "'\\x1a'", "'\\x1b'", "Ctrl+Z becomes part of the name"),
    ("w-ended", R, "ended_ = fresh == 0 || end != buffer + got + fresh;", "ended_ = fresh == 0;",
     "the console read on after Ctrl+Z: the run waits"),
    ("w-empty", R, "while (kept == 0 && !ended_) {", "if (!ended_) {",
     "a lone held carriage return read as the end of input"),
    ("w-console", W, "input_is_console_ = ::GetConsoleMode(input, &mode) != 0;", "input_is_console_ = false;",
     "a console read as a pipe: carriage returns stay"),
    # End of input, and input shared with the next command.
    ("w-eof", W, "if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;",
     "if (error == ERROR_HANDLE_EOF) return 0;", "the end of a pipe is an error"),
    ("w-byte", W, "*input_is_file_ ? size : 1", "size", "a pipe read past the lines used"),
    ("w-back", W, "if (!input_is_file_.value_or(false)) {", "if (true) {",
     "a file's bytes past the line kept, not given back"),
    ("w-backsign", W, "back.QuadPart = -static_cast<LONGLONG>(bytes.size());",
     "back.QuadPart = static_cast<LONGLONG>(bytes.size());", "a file's position moved forward"),
    # Names Windows refuses.
    ("w-num", R, "stem[3] >= '0' &&", "stem[3] >= '1' &&", "com0 and lpt0 not refused"),
    ("w-num9", R, "stem[3] <= '9'", "stem[3] <= '8'", "com9 and lpt9 not refused"),
    ("w-case", R, "c >= 'A' && c <= 'Z' ? c + 32 : c", "c", "CON or Com9 not refused"),
    ("w-ext", R, "std::min(path.find('.', start), end) - start", "end - start", "con.ads not refused"),
    ("w-blank", R, "    while (stem.ends_with(' ')) stem.pop_back();\n", "", "'nul .ads' not refused"),
    ("w-dirs", R, "    if (end == std::string::npos) return false;\n    start = end + 1;", "    return false;",
     "a device name as a directory not refused"),
    ("w-lpt", R, "stem.starts_with(\"lpt\")", "stem.starts_with(\"lpx\")", "lpt1 not refused"),
    ("w-conin", R, "stem == \"conin$\" ||", "", "conin$ not refused"),
    ("w-create", W, "if (windows::names_device(path)) throw_failure(\"cannot create\", path, \"not a regular file\");",
     "", "a device opened for writing"),
    ("w-dot", R, "(name.ends_with('.') || name.ends_with(' '))", "(name.ends_with(' '))",
     "a list line ending in a dot lands elsewhere"),
    ("w-blankend", R, "(name.ends_with('.') || name.ends_with(' '))", "(name.ends_with('.'))",
     "a list line ending in a blank lands elsewhere"),
    ("w-here", R, "name != \".\" && name != \"..\" &&", "name != \"..\" &&", "./l refused as argument 1"),
    ("w-up", R, "name != \".\" && name != \"..\" &&", "name != \".\" &&", "sub/../l refused as argument 1"),
    ("w-nul", R, "if (path.find('\\0') != std::string::npos) return refuse(\"the name holds a NUL byte\");",
     "", "a NUL byte cuts a path short"),
    ("w-long", R, "path.size() > 32767", "path.size() > 32768", "an over-long name passed on"),
    # UTF-8.
    ("w-strict", R, "CP_UTF8, MB_ERR_INVALID_CHARS,", "CP_UTF8, 0,", "bytes that are not UTF-8 replaced silently"),
    ("w-resize", R, "  name.resize(static_cast<std::size_t>(count));\n", "", "a non-ASCII name keeps NULs: dé.lst not found"),
    ("w-args", W, "if (wide == nullptr) return", "if (true) return", "arguments in the ANSI code page: dé.lst not found"),
    # Creation and writing.
    ("w-new", W, "CREATE_NEW, FILE_ATTRIBUTE_NORMAL", "CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL", "an existing file overwritten"),
    ("w-dir", W, "&&\n                       (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;", ";",
     "a directory at a target taken for a file to keep"),
    ("w-short", R, "bytes.remove_prefix(written);", "bytes = {};", "a short write taken as whole"),
    ("w-error", R, "if (const unsigned long error = write(bytes, written)) return error;",
     "if (write(bytes, written) != 0) break;", "a failed write taken as success"),
    ("w-out", W, "throw_stream_failure(\"cannot write to\", \"standard output\", reason(error));", "",
     "a full standard output ignored"),
    # The words of errors.
    ("w-path", R, "    case ERROR_PATH_NOT_FOUND:\n", "", "a missing directory told in other words"),
    ("w-share", R, "    case ERROR_SHARING_VIOLATION:\n", "", "a file in use told in other words"),
    ("w-nodata", R, "    case ERROR_NO_DATA:\n", "", "a closed pipe told in other words"),
    ("w-full", R, "    case ERROR_HANDLE_DISK_FULL:", "    case ERROR_HANDLE_EOF:", "a full disk told in other words"),
    ("w-period", R, " || text[size - 1] == L'.'", "", "the system's words keep their period"),
    ("w-crlf", R, "text[size - 1] == L'\\n' || text[size - 1] == L'\\r' || ", "", "the system's words keep CR LF"),
    ("w-unknown", R, "\"system error \" + std::to_string(error)", "std::string()", "an unknown error told in no words"),
]
