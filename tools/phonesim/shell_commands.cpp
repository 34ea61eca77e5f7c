#include "shell_commands.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <set>
#include <vector>

#include "held_answer.h"
#include "shell_words.h"
#include "stream.h"

namespace fs = std::filesystem;

namespace nimbo::phonesim {
namespace {

using Args = std::vector<std::string>;

std::string ListPackages(const Args& args, ShellContext& ctx) {
    bool withPaths = std::find(args.begin(), args.end(), "-f") != args.end();
    std::string filter;
    for (const auto& a : args) {
        if (!a.empty() && a[0] != '-') filter = a;
    }
    if (!HoldAnswer(ctx.stream, ctx.control, &PhoneSettings::listDelayMs, "pm list packages")) {
        return {};
    }
    std::string out;
    for (const auto& app : ctx.packages.List()) {
        if (!filter.empty() && app.package.find(filter) == std::string::npos) continue;
        out += "package:";
        if (withPaths) out += app.devicePath + "=";
        out += app.package + "\n";
    }
    return out;
}

// Reads an APK of size bytes from the stream into a scratch file.
bool ReceiveApk(ShellContext& ctx, uint64_t size, const fs::path& file) {
    if (!ctx.stream) return false;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    std::vector<char> buffer(64 * 1024);
    while (size > 0) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(size, buffer.size()));
        size_t got = ctx.stream->Read(buffer.data(), want);
        if (got == 0) return false;
        out.write(buffer.data(), static_cast<std::streamsize>(got));
        size -= got;
    }
    return static_cast<bool>(out.flush());
}

std::string Install(const Args& args, ShellContext& ctx) {
    static const std::set<std::string> kWithValue = {
        "-i",         "--user", "--install-location", "-p",          "--abi", "--originating-uri",
        "--referrer", "--pkg",  "--install-reason",   "--session-id"};
    bool replace = false;
    bool streamed = false;
    uint64_t size = 0;
    std::string path;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-r") {
            replace = true;
        } else if (a == "-S" && i + 1 < args.size()) {
            streamed = true;
            size = std::strtoull(args[++i].c_str(), nullptr, 10);
        } else if (kWithValue.count(a) && i + 1 < args.size()) {
            ++i;
        } else if (!a.empty() && a[0] == '-') {
            // Flags such as -t, -d, -g change nothing on this phone.
        } else {
            path = a;
        }
    }
    if (streamed) {
        static std::atomic<int> sessions{0};
        std::string name =
            "vmdl" + std::to_string(::getpid()) + "_" + std::to_string(++sessions) + ".tmp";
        fs::path scratchDir = ctx.fs.root() / "data" / "local" / "tmp";
        std::error_code ec;
        fs::create_directories(scratchDir, ec);
        fs::path scratch = scratchDir / name;
        bool received = ReceiveApk(ctx, size, scratch);
        if (received &&
            !HoldAnswer(ctx.stream, ctx.control, &PhoneSettings::installDelayMs, "pm install")) {
            fs::remove(scratch, ec);
            return {};
        }
        std::string result;
        if (!received) {
            result = "Failure [INSTALL_FAILED_INVALID_APK: the APK stream ended early]";
        } else if (!ctx.settings.forcedInstallOutcome.empty()) {
            result = ctx.settings.forcedInstallOutcome;
        } else {
            result = ctx.packages.Install(scratch, "/data/app/" + name + "/base.apk", replace,
                                          ctx.settings.layout);
        }
        fs::remove(scratch, ec);
        return result + "\n";
    }
    if (path.empty()) return "Error: no package specified\n";
    if (!HoldAnswer(ctx.stream, ctx.control, &PhoneSettings::installDelayMs, "pm install")) {
        return {};
    }
    if (!ctx.settings.forcedInstallOutcome.empty()) {
        return ctx.settings.forcedInstallOutcome + "\n";
    }
    auto hostFile = ctx.fs.Map(path);
    if (!hostFile) return "Failure [INSTALL_FAILED_INVALID_URI]\n";
    return ctx.packages.Install(*hostFile, path, replace, ctx.settings.layout) + "\n";
}

// pm path PACKAGE: one "package:PATH" line per file, base first; nothing
// for a package that is not installed.
std::string PackagePaths(const Args& args, ShellContext& ctx) {
    if (args.size() < 3) return "Error: no package specified\n";
    std::string out;
    for (const std::string& path : ctx.packages.Paths(args.back())) out += "package:" + path + "\n";
    return out;
}

// The session commands of adb's install-multiple (adb 29):
//   pm install-create -S TOTAL [-r]  -> "Success: created install session [ID]"
//   pm install-write -S SIZE ID NAME -  (the part's bytes on the stream)
//   pm install-commit ID / pm install-abandon ID
std::string InstallSession(const Args& args, ShellContext& ctx) {
    const std::string& verb = args[1];
    if (verb == "install-create") {
        const bool replace = std::find(args.begin(), args.end(), "-r") != args.end();
        return "Success: created install session [" +
               std::to_string(ctx.packages.CreateSession(replace)) + "]\n";
    }
    Args rest;  // the words after the options
    uint64_t size = 0;
    bool sized = false;
    for (size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "-S" && i + 1 < args.size()) {
            size = std::strtoull(args[++i].c_str(), nullptr, 10);
            sized = true;
        } else {
            rest.push_back(args[i]);
        }
    }
    if (rest.empty()) return "Error: no session id specified\n";
    const int session = std::atoi(rest[0].c_str());
    if (verb == "install-commit") {
        if (!HoldAnswer(ctx.stream, ctx.control, &PhoneSettings::installDelayMs, "pm install")) {
            return {};
        }
        if (!ctx.settings.forcedInstallOutcome.empty()) {
            ctx.packages.AbandonSession(session);
            return ctx.settings.forcedInstallOutcome + "\n";
        }
        return ctx.packages.CommitSession(session, ctx.settings.layout) + "\n";
    }
    if (verb == "install-abandon") {
        return ctx.packages.AbandonSession(session) ? "Success\n"
                                                    : "Error: no session " + rest[0] + "\n";
    }
    // install-write
    if (rest.size() < 2 || !sized) return "Error: install-write needs -S SIZE ID NAME -\n";
    auto file = ctx.packages.SessionFile(session, rest[1]);
    if (!file) return "Failure [INSTALL_FAILED_INVALID_APK: bad session or name]\n";
    if (!ReceiveApk(ctx, size, *file)) {
        return "Failure [INSTALL_FAILED_INVALID_APK: the stream ended early]\n";
    }
    return "Success: streamed " + std::to_string(size) + " bytes\n";
}

std::string PackageManager(const Args& args, ShellContext& ctx) {
    if (args.size() >= 3 && args[1] == "list" && args[2] == "packages") {
        return ListPackages(Args(args.begin() + 3, args.end()), ctx);
    }
    if (args.size() >= 2 && args[1] == "install") {
        return Install(Args(args.begin() + 2, args.end()), ctx);
    }
    if (args.size() >= 2 && args[1] == "path") return PackagePaths(args, ctx);
    if (args.size() >= 2 && args[1].starts_with("install-")) {
        const std::string& verb = args[1];
        if (verb == "install-create" || verb == "install-write" || verb == "install-commit" ||
            verb == "install-abandon") {
            return InstallSession(args, ctx);
        }
    }
    if (args.size() < 2)
        return "usage: pm list packages [-f] [FILTER]\n       pm install [-r] PATH\n";
    return "Unknown command: " + args[1] + "\n";
}

std::string Remove(const Args& args, ShellContext& ctx) {
    bool force = false;
    bool recursive = false;
    std::string out;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 1 && a[0] == '-') {
            force |= a.find('f') != std::string::npos;
            recursive |= a.find('r') != std::string::npos || a.find('R') != std::string::npos;
            continue;
        }
        auto host = ctx.fs.Map(a);
        std::error_code ec;
        if (!host || *host == ctx.fs.root()) {
            out += "rm: " + a + ": Permission denied\n";
        } else if (!fs::exists(fs::symlink_status(*host, ec))) {
            if (!force) out += "rm: " + a + ": No such file or directory\n";
        } else if (fs::is_directory(*host, ec) && !recursive) {
            out += "rm: " + a + ": Is a directory\n";
        } else {
            fs::remove_all(*host, ec);
            if (ec) out += "rm: " + a + ": " + ec.message() + "\n";
        }
    }
    if (args.size() < 2) out += "rm: Needs 1 argument (see \"rm --help\")\n";
    return out;
}

std::string List(const Args& args, ShellContext& ctx) {
    bool all = false;
    Args paths;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].size() > 1 && args[i][0] == '-') {
            all |= args[i].find('a') != std::string::npos;
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.empty()) paths.push_back("/");
    std::string out;
    for (const auto& p : paths) {
        auto host = ctx.fs.Map(p);
        std::error_code ec;
        if (!host || !fs::exists(*host, ec)) {
            out += "ls: " + p + ": No such file or directory\n";
            continue;
        }
        if (!fs::is_directory(*host, ec)) {
            out += p + "\n";
            continue;
        }
        if (paths.size() > 1) out += p + ":\n";
        std::vector<std::string> names;
        if (all) names = {".", ".."};
        for (const auto& entry : fs::directory_iterator(*host, ec)) {
            std::string name = entry.path().filename().string();
            if (all || name[0] != '.') names.push_back(name);
        }
        std::sort(names.begin() + (all ? 2 : 0), names.end());
        for (const auto& n : names) out += n + "\n";
    }
    return out;
}

std::string RunWords(const Args& args, ShellContext& ctx) {
    if (args.empty()) return {};
    const std::string& name = args[0];
    if (name == "pm") return PackageManager(args, ctx);
    if (name == "cmd") {
        if (args.size() >= 2 && args[1] == "package") {
            Args pm(args.begin() + 1, args.end());
            pm[0] = "pm";
            return PackageManager(pm, ctx);
        }
        return "cmd: Can't find service: " + (args.size() >= 2 ? args[1] : std::string()) + "\n";
    }
    if (name == "rm") return Remove(args, ctx);
    if (name == "echo") {
        std::string out;
        for (size_t i = 1; i < args.size(); ++i) out += (i > 1 ? " " : "") + args[i];
        return out + "\n";
    }
    if (name == "ls") return List(args, ctx);
    return "/system/bin/sh: " + name + ": not found\n";
}

}  // namespace

std::string RunShellCommand(const std::string& commandLine, ShellContext& ctx) {
    std::string out;
    for (const std::string& one : SplitCommandList(commandLine)) out += RunOneCommand(one, ctx);
    return out;
}

std::string RunOneCommand(const std::string& commandLine, ShellContext& ctx) {
    auto command = ParseShellCommand(commandLine);
    if (!command) return "/system/bin/sh: syntax error: unterminated quoted string\n";
    std::string out = RunWords(command->words, ctx);
    // Output sent to a file goes there; "<" and redirections of other
    // descriptors change nothing, as every command here ignores its input.
    for (const auto& r : command->redirections) {
        if (r.fd != 1 || (r.op != ">" && r.op != ">>") || r.target == "/dev/null") {
            if (r.fd == 1 && r.target == "/dev/null") out.clear();
            continue;
        }
        auto host = ctx.fs.Map(r.target);
        std::ofstream file;
        if (host) {
            file.open(*host, std::ios::binary | (r.op == ">>" ? std::ios::app : std::ios::trunc));
        }
        if (!file) return "/system/bin/sh: can't create " + r.target + ": Permission denied\n";
        file << out;
        out.clear();
    }
    return out;
}

}  // namespace nimbo::phonesim
