// The Linux folder mapping: XDG data home for the system directory, the home
// folder for the driver package, the XDG documents folder for pictures.
#include "platform/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace nimbo::platform {
namespace {

std::filesystem::path HomeDir() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

// XDG variables that are unset, empty or relative count as unset.
std::filesystem::path XdgDir(const char* variable, const std::filesystem::path& fallback) {
    const char* v = std::getenv(variable);
    if (v && v[0] == '/') return v;
    return fallback;
}

// The value of XDG_DOCUMENTS_DIR in user-dirs.dirs, read the way xdg-user-dir
// reads it: "$HOME/..." or an absolute path in double quotes. "$HOME/" alone
// means the folder is switched off and the home folder stands in.
std::filesystem::path DocumentsFromUserDirs(const std::filesystem::path& file,
                                            const std::filesystem::path& home) {
    std::ifstream in(file);
    std::string line;
    std::filesystem::path found;
    while (std::getline(in, line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (line.compare(start, key.size(), key) != 0) continue;
        std::string value = line.substr(start + key.size());
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
        value = value.substr(1, value.size() - 2);
        std::string unescaped;
        for (size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) ++i;
            unescaped += value[i];
        }
        if (unescaped.rfind("$HOME", 0) == 0) {
            std::string rest = unescaped.substr(5);
            if (!rest.empty() && rest[0] != '/') continue;
            while (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
            found = rest.empty() ? home : home / rest;
        } else if (!unescaped.empty() && unescaped[0] == '/') {
            found = unescaped;
        }
    }
    return found;
}

}  // namespace

Paths DefaultPaths() {
    std::filesystem::path home = HomeDir();
    Paths p;
    p.systemDir = XdgDir("XDG_DATA_HOME", home / ".local" / "share") / "nimbo" / "system";
    p.driverDir = home / "android_usb_windows";
    p.driverI386Dir = p.driverDir / "i386";
    std::filesystem::path userDirs = XdgDir("XDG_CONFIG_HOME", home / ".config") / "user-dirs.dirs";
    p.documentsDir = DocumentsFromUserDirs(userDirs, home);
    if (p.documentsDir.empty()) p.documentsDir = home / "Documents";
    // Where Debian's adb package puts its program (a link into the SDK folder).
    p.systemAdbDir = "/usr/bin";
    return p;
}

bool PathFileExists(const std::string& path) {
    return !path.empty() && access(path.c_str(), F_OK) == 0;
}

bool SetCurrentDirectory(const std::string& path) {
    return !path.empty() && chdir(path.c_str()) == 0;
}

std::string GetCurrentDirectory() {
    std::vector<char> buffer(4096);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size())) return buffer.data();
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace nimbo::platform
