#pragma once
// Splits a command line into words and redirections the way a POSIX shell
// does for what adb sends ('...' quoting with '\'' inside, "</dev/null").
#include <optional>
#include <string>
#include <vector>

namespace nimbo::phonesim {

struct Redirection {
    int fd = 0;          // 0 for <, 1 for > unless a number stands before it
    std::string op;      // "<", ">", ">>" or ">&"
    std::string target;  // file name, or the fd number after ">&"
};

struct ShellCommand {
    std::vector<std::string> words;
    std::vector<Redirection> redirections;
};

// The commands of a list "a; b; c", split at every ';' outside quotes; each
// piece keeps its quoting for ParseShellCommand.
std::vector<std::string> SplitCommandList(const std::string& line);

// nullopt when a quote is left open, the line ends in a lone backslash, or a
// redirection has no target.
std::optional<ShellCommand> ParseShellCommand(const std::string& line);

}  // namespace nimbo::phonesim
