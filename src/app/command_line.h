#pragma once
// The program's command line, read before any window exists: `--help` and
// `--version` print and end the program without a window system, so they work
// on a machine without a display; a file argument (as a desktop entry passes
// it) is put into the install path field when the window opens.
#include <string>
#include <vector>

namespace nimbo {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // Run: the file given, as written; empty when none was.
    std::string apkFile;
    // Error: what was wrong, for stderr.
    std::string error;
};

// Reads the arguments after the program name. --help or --version anywhere
// before "--" wins over everything else, so that `nimbo -platform xcb
// --version` still prints the version; the window system's own options are
// taken out before the second reading (see main.cpp). "-" alone and names
// after "--" are files; any other word starting with "-" is an error, as is a
// second file.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// "Nimbo 2.3".
std::string VersionText();
// What --help prints: usage, options, the file argument.
std::string HelpText();

}  // namespace nimbo
