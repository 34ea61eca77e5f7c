#include "support/process_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

extern char** environ;

namespace nimbo::test {
namespace {

std::optional<ProcessInfo> ReadProcess(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return std::nullopt;
    // "pid (comm) state ppid ...": comm may hold blanks and parentheses.
    const size_t close = line.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream rest(line.substr(close + 1));
    ProcessInfo p;
    p.pid = pid;
    rest >> p.state >> p.parent;
    if (!rest) return std::nullopt;
    std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::string arg;
    while (std::getline(cmdline, arg, '\0')) p.argv.push_back(arg);
    return p;
}

std::vector<ProcessInfo> AllProcesses() {
    std::vector<ProcessInfo> all;
    DIR* proc = ::opendir("/proc");
    if (!proc) return all;
    while (dirent* e = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(e->d_name, &end, 10);
        if (*end != '\0' || pid <= 0) continue;
        if (auto p = ReadProcess(static_cast<pid_t>(pid))) all.push_back(std::move(*p));
    }
    ::closedir(proc);
    return all;
}

bool IsAdb(const ProcessInfo& p) {
    if (p.argv.empty()) return false;
    const std::string& program = p.argv[0];
    const size_t slash = program.rfind('/');
    return program.substr(slash == std::string::npos ? 0 : slash + 1) == "adb";
}

}  // namespace

bool BecomeChildSubreaper() {
    return ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
}

std::vector<ProcessInfo> Descendants(pid_t root) {
    const std::vector<ProcessInfo> all = AllProcesses();
    std::map<pid_t, pid_t> parentOf;
    for (const auto& p : all) parentOf[p.pid] = p.parent;
    std::vector<ProcessInfo> below;
    for (const auto& p : all) {
        // Bounded: a chain read while processes come and go may loop.
        pid_t up = p.parent;
        for (int depth = 0; depth < 64 && up > 1 && up != root; ++depth) {
            auto it = parentOf.find(up);
            up = it == parentOf.end() ? 0 : it->second;
        }
        if (up == root && p.pid != root) below.push_back(p);
    }
    return below;
}

bool IsAdbServer(const ProcessInfo& p) {
    return IsAdb(p) && std::any_of(p.argv.begin() + 1, p.argv.end(), [](const std::string& a) {
               return a == "server" || a == "fork-server";
           });
}

bool IsAdbClient(const ProcessInfo& p) {
    return IsAdb(p) && !IsAdbServer(p);
}

void ReapZombieChildren(const std::vector<pid_t>& keep) {
    for (const auto& p : Descendants(::getpid())) {
        if (p.parent != ::getpid() || p.state != 'Z') continue;
        if (std::find(keep.begin(), keep.end(), p.pid) != keep.end()) continue;
        int status = 0;
        ::waitpid(p.pid, &status, WNOHANG);
    }
}

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& changes) {
    std::vector<std::string> env;
    auto key = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const bool replaced = std::any_of(changes.begin(), changes.end(),
                                          [&](const auto& c) { return key(c) == key(entry); });
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), changes.begin(), changes.end());
    return env;
}

pid_t SpawnWithEnvironment(const std::vector<std::string>& argv,
                           const std::vector<std::string>& env,
                           const std::vector<std::pair<int, int>>& fds) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> vars;
    for (const auto& v : env) vars.push_back(const_cast<char*>(v.c_str()));
    vars.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // Only async-signal-safe calls from here to exec.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    // Lift the sources above every target first, so no dup2 overwrites a
    // source that a later pair still needs.
    constexpr int kLifted = 100;
    int lifted[16];
    const size_t n = std::min<size_t>(fds.size(), 16);
    for (size_t i = 0; i < n; ++i) lifted[i] = ::fcntl(fds[i].first, F_DUPFD, kLifted);
    const int devnull = ::open("/dev/null", O_RDWR);
    for (int target : {0, 1, 2}) ::dup2(devnull, target);
    for (size_t i = 0; i < n; ++i) ::dup2(lifted[i], fds[i].second);
    int highest = 2;
    for (size_t i = 0; i < n; ++i) highest = std::max(highest, fds[i].second);
    for (int fd = highest + 1; fd < 1024; ++fd) ::close(fd);
    ::execve(args[0], args.data(), vars.data());
    ::_exit(127);
}

std::optional<ChildExit> WaitForChild(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            ChildExit e;
            e.at = std::chrono::steady_clock::now();
            e.exited = WIFEXITED(status);
            e.code = e.exited ? WEXITSTATUS(status) : -1;
            e.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            return e;
        }
        if (r < 0 && errno != EINTR) return std::nullopt;
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        // Fine enough for a bound of seconds, and cheap for the machine.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace nimbo::test
