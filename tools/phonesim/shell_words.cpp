#include "shell_words.h"

#include <string_view>

namespace nimbo::phonesim {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Reads one word starting at i (quotes removed); stops at a blank or an
// unquoted redirection sign. False on an open quote.
bool ReadWord(const std::string& line, size_t& i, std::string& word, bool& quoted) {
    quoted = false;
    for (; i < line.size(); ++i) {
        char c = line[i];
        if (IsBlank(c) || c == '<' || c == '>') return true;
        if (c == '\'') {
            size_t close = line.find('\'', i + 1);
            if (close == std::string::npos) return false;
            word.append(line, i + 1, close - i - 1);
            i = close;
            quoted = true;
        } else if (c == '"') {
            quoted = true;
            for (++i;; ++i) {
                if (i >= line.size()) return false;
                if (line[i] == '"') break;
                // Inside double quotes a backslash only escapes these.
                if (line[i] == '\\' && i + 1 < line.size() &&
                    std::string_view("\\\"$`\n").find(line[i + 1]) != std::string_view::npos) {
                    ++i;
                }
                word.push_back(line[i]);
            }
        } else if (c == '\\') {
            if (i + 1 >= line.size()) return false;
            word.push_back(line[++i]);
            quoted = true;
        } else {
            word.push_back(c);
        }
    }
    return true;
}

bool IsNumber(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::vector<std::string> SplitCommandList(const std::string& line) {
    std::vector<std::string> commands(1);
    char quote = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote == 0 && c == ';') {
            commands.emplace_back();
            continue;
        }
        commands.back().push_back(c);
        if (c == '\\' && quote != '\'' && i + 1 < line.size()) {
            commands.back().push_back(line[++i]);
        } else if (quote == 0 && (c == '\'' || c == '"')) {
            quote = c;
        } else if (c == quote) {
            quote = 0;
        }
    }
    return commands;
}

std::optional<ShellCommand> ParseShellCommand(const std::string& line) {
    ShellCommand command;
    size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        std::string word;
        bool quoted = false;
        if (!ReadWord(line, i, word, quoted)) return std::nullopt;
        bool redirect = i < line.size() && (line[i] == '<' || line[i] == '>');
        if (!redirect) {
            command.words.push_back(std::move(word));
            continue;
        }
        // "2>" names the descriptor; any other word before the sign is a word.
        Redirection r;
        r.fd = line[i] == '<' ? 0 : 1;
        if (!word.empty() && !quoted && IsNumber(word)) {
            r.fd = std::stoi(word);
        } else if (!word.empty()) {
            command.words.push_back(std::move(word));
        }
        r.op = std::string(1, line[i++]);
        if (r.op == ">" && i < line.size() && (line[i] == '>' || line[i] == '&')) {
            r.op.push_back(line[i++]);
        }
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (!ReadWord(line, i, r.target, quoted) || r.target.empty()) return std::nullopt;
        command.redirections.push_back(std::move(r));
    }
    return command;
}

}  // namespace nimbo::phonesim
