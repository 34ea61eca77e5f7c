// Child programs on Linux: fork and exec with the output of stdout and stderr on
// one pipe, exec failures reported back through a close-on-exec status pipe.
#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <utility>

#include "platform/linux/unique_fd.h"

extern char** environ;

namespace nimbo::platform {

namespace {

bool IsExecutableFile(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec) && access(p.c_str(), X_OK) == 0;
}

bool IsRegularFile(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec);
}

// Like execvp's search, but the system directory comes before PATH. A file that
// exists without execute permission is still returned when nothing better turns
// up, so that exec fails with CouldNotStart rather than NotFound.
Result<std::string, SpawnError> ResolveProgram(const std::string& name,
                                               const std::filesystem::path& systemDir) {
    if (name.empty()) return Err{SpawnError::NotFound};
    if (name.find('/') != std::string::npos) {
        if (IsRegularFile(name)) return name;
        return Err{SpawnError::NotFound};
    }
    std::vector<std::filesystem::path> dirs;
    if (!systemDir.empty()) dirs.push_back(systemDir);
    const char* pathEnv = std::getenv("PATH");
    std::string pathList = pathEnv ? pathEnv : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= pathList.size()) {
        size_t end = pathList.find(':', start);
        if (end == std::string::npos) end = pathList.size();
        std::string dir = pathList.substr(start, end - start);
        dirs.emplace_back(dir.empty() ? "." : dir);
        start = end + 1;
    }
    std::string fallback;
    for (const auto& dir : dirs) {
        std::filesystem::path candidate = dir / name;
        if (IsExecutableFile(candidate)) return candidate.string();
        if (fallback.empty() && IsRegularFile(candidate)) fallback = candidate.string();
    }
    if (!fallback.empty()) return fallback;
    return Err{SpawnError::NotFound};
}

// Everything the child needs, prepared before fork: after fork only
// async-signal-safe calls are allowed, so no allocation happens there.
struct ExecPlan {
    std::string program;
    std::vector<std::string> args;
    std::vector<char*> argvPtrs;
    int maxFd = 1024;

    // Points argvPtrs into args; call once the plan has reached its final place,
    // since moving short strings moves their characters.
    void Seal() {
        argvPtrs.clear();
        for (auto& a : args) argvPtrs.push_back(a.data());
        argvPtrs.push_back(nullptr);
        rlimit rl{};
        if (getrlimit(RLIMIT_NOFILE, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY &&
            rl.rlim_cur < 65536) {
            maxFd = static_cast<int>(rl.rlim_cur);
        }
    }
};

// Runs in the child after fork. stdinFd/outFd become 0, 1 and 2; every other
// descriptor except statusFd is closed, and statusFd closes itself on exec.
[[noreturn]] void ExecChild(const ExecPlan& plan, int stdinFd, int outFd, int statusFd) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // A parent that ignores SIGPIPE must not hand that on: adb should die
    // quietly when its reader goes away, as it would from a shell.
    signal(SIGPIPE, SIG_DFL);

    // Lift the three descriptors above 2 first: a parent started with a closed
    // stdin may have any of them there, and dup2 onto itself would keep O_CLOEXEC.
    statusFd = fcntl(statusFd, F_DUPFD_CLOEXEC, 3);
    stdinFd = fcntl(stdinFd, F_DUPFD_CLOEXEC, 3);
    outFd = fcntl(outFd, F_DUPFD_CLOEXEC, 3);
    if (statusFd < 0 || stdinFd < 0 || outFd < 0 || dup2(stdinFd, 0) < 0 || dup2(outFd, 1) < 0 ||
        dup2(outFd, 2) < 0) {
        int err = errno;
        if (statusFd >= 0) (void)!write(statusFd, &err, sizeof err);
        _exit(127);
    }
    // Close everything above stderr except the status pipe, which closes
    // itself on exec. close_range does it in two calls; old kernels get a loop.
    bool swept = (statusFd <= 3 ||
                  syscall(SYS_close_range, 3U, static_cast<unsigned>(statusFd - 1), 0U) == 0) &&
                 syscall(SYS_close_range, static_cast<unsigned>(statusFd + 1), ~0U, 0U) == 0;
    if (!swept) {
        for (int fd = 3; fd < plan.maxFd; ++fd) {
            if (fd != statusFd) close(fd);
        }
    }
    execve(plan.program.c_str(), plan.argvPtrs.data(), environ);
    int err = errno;
    (void)!write(statusFd, &err, sizeof err);
    _exit(127);
}

// Reads the exec status written by the child: 0 when exec succeeded, the errno
// of the failure otherwise.
int ReadExecStatus(int statusFd) {
    int err = 0;
    ssize_t n;
    do {
        n = read(statusFd, &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(sizeof err) ? err : 0;
}

void WaitBlocking(pid_t pid) {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

void* ReapThread(void* arg) {
    WaitBlocking(static_cast<pid_t>(reinterpret_cast<intptr_t>(arg)));
    return nullptr;
}

// Collects a child that is still running without making anybody wait for it.
void ReapLater(pid_t pid) {
    if (waitpid(pid, nullptr, WNOHANG) != 0) return;
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&attr, 64 * 1024);
    pthread_t thread;
    if (pthread_create(&thread, &attr, ReapThread, reinterpret_cast<void*>(intptr_t{pid})) != 0) {
        // Without a thread the zombie stays until we exit; better than blocking.
    }
    pthread_attr_destroy(&attr);
}

// Starts the child of Start; returns its pid, or -1. vfork: the child
// borrows this process's memory until exec instead of copying its page
// tables, which for a windowed program made every adb run (50 pulls in an
// export) measurably slower than a shell's. Until exec the child only calls
// async-signal-safe functions on what the plan prepared and never returns
// from here; its signal handlers and descriptors are its own, as after fork.
// A function of its own, so nothing of the caller's lives across the vfork.
__attribute__((noinline)) pid_t VforkChild(const ExecPlan& plan, pid_t parent, int stdinFd,
                                           int outFd, int statusFd) {
    const pid_t pid = vfork();
    if (pid == 0) {
        // Own process group, so Cancel reaches helpers the child starts too.
        setpgid(0, 0);
        // A child whose reader is gone has nobody left to end it: it dies
        // with the thread that started it (the worker reading its output),
        // so a program that exits mid-install leaves no adb behind. A
        // parent that died before this line is caught by the ppid check.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        ExecChild(plan, stdinFd, outFd, statusFd);
    }
    return pid;
}

class LinuxChildOutput final : public ChildOutput {
public:
    LinuxChildOutput(pid_t pid, UniqueFd readEnd, UniqueFd cancelRead, UniqueFd cancelWrite)
        : pid_(pid),
          readEnd_(std::move(readEnd)),
          cancelRead_(std::move(cancelRead)),
          cancelWrite_(std::move(cancelWrite)) {}

    ~LinuxChildOutput() override {
        readEnd_.Reset();
        ReapLater(pid_);
    }

    long Read(std::span<char> buffer) override {
        for (;;) {
            if (cancelled_.load()) return -1;
            pollfd fds[2] = {{readEnd_.Get(), POLLIN, 0}, {cancelRead_.Get(), POLLIN, 0}};
            int r = poll(fds, 2, -1);
            if (r < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            if (fds[1].revents != 0 || cancelled_.load()) return -1;
            ssize_t n = read(readEnd_.Get(), buffer.data(), buffer.size());
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN) continue;
                return -1;
            }
            return static_cast<long>(n);
        }
    }

    ExitStatus WaitForExit(std::chrono::milliseconds bound) override {
        // WNOWAIT leaves the child a zombie: Cancel may still signal its pid
        // from another thread, and the destructor reaps it as before. adb has
        // closed its output by now, so the wait is short; polling keeps it
        // bounded without a signal handler.
        const auto deadline = std::chrono::steady_clock::now() + bound;
        for (;;) {
            siginfo_t info{};
            const int r =
                waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) return {};
            if (info.si_pid == pid_) {
                if (info.si_code == CLD_EXITED) return {ExitStatus::Kind::Exited, info.si_status};
                return {ExitStatus::Kind::Signalled, info.si_status};
            }
            if (cancelled_.load() || std::chrono::steady_clock::now() >= deadline) return {};
            usleep(2000);
        }
    }

    void Cancel() override {
        if (cancelled_.exchange(true)) return;
        // The child is not reaped before the destructor, so its pid (and the
        // process group named after it) cannot have been reused yet.
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
        char byte = 1;
        (void)!write(cancelWrite_.Get(), &byte, 1);
    }

private:
    pid_t pid_;
    UniqueFd readEnd_;
    UniqueFd cancelRead_;
    UniqueFd cancelWrite_;
    std::atomic<bool> cancelled_{false};
};

bool MakePipe(UniqueFd& readEnd, UniqueFd& writeEnd) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    readEnd.Reset(fds[0]);
    writeEnd.Reset(fds[1]);
    return true;
}

class SystemProcessLauncher final : public ProcessLauncher {
public:
    explicit SystemProcessLauncher(std::filesystem::path systemDir)
        : systemDir_(std::move(systemDir)) {}

    Result<std::unique_ptr<ChildOutput>, SpawnError> Start(
        const std::vector<std::string>& argv) override {
        auto plan = Plan(argv);
        if (!plan) return Err{plan.error()};
        plan->Seal();
        UniqueFd devNull(open("/dev/null", O_RDONLY | O_CLOEXEC));
        UniqueFd outRead, outWrite, statusRead, statusWrite, cancelRead, cancelWrite;
        if (!devNull || !MakePipe(outRead, outWrite) || !MakePipe(statusRead, statusWrite) ||
            !MakePipe(cancelRead, cancelWrite)) {
            return Err{SpawnError::PipeFailed};
        }
        const pid_t pid =
            VforkChild(*plan, getpid(), devNull.Get(), outWrite.Get(), statusWrite.Get());
        if (pid < 0) return Err{SpawnError::PipeFailed};
        setpgid(pid, pid);  // both sides set it: whichever runs first wins the race
        outWrite.Reset();
        statusWrite.Reset();
        if (ReadExecStatus(statusRead.Get()) != 0) {
            WaitBlocking(pid);  // it has already called _exit
            return Err{SpawnError::CouldNotStart};
        }
        return std::unique_ptr<ChildOutput>(std::make_unique<LinuxChildOutput>(
            pid, std::move(outRead), std::move(cancelRead), std::move(cancelWrite)));
    }

    Result<bool, SpawnError> LaunchDetached(const std::vector<std::string>& argv) override {
        auto plan = Plan(argv);
        if (!plan) return Err{plan.error()};
        plan->Seal();
        UniqueFd devNull(open("/dev/null", O_RDWR | O_CLOEXEC));
        UniqueFd statusRead, statusWrite;
        if (!devNull || !MakePipe(statusRead, statusWrite)) return Err{SpawnError::PipeFailed};
        pid_t middle = fork();
        if (middle < 0) return Err{SpawnError::PipeFailed};
        if (middle == 0) {
            // The middle process exits at once, so the program is adopted by
            // init (or a subreaper) and nobody here ever waits for it.
            setsid();
            pid_t grandchild = fork();
            if (grandchild < 0) {
                int err = errno;
                (void)!write(statusWrite.Get(), &err, sizeof err);
                _exit(127);
            }
            if (grandchild == 0) ExecChild(*plan, devNull.Get(), devNull.Get(), statusWrite.Get());
            _exit(0);
        }
        statusWrite.Reset();
        int err = ReadExecStatus(statusRead.Get());
        WaitBlocking(middle);
        if (err != 0) return Err{SpawnError::CouldNotStart};
        return true;
    }

private:
    Result<ExecPlan, SpawnError> Plan(const std::vector<std::string>& argv) const {
        if (argv.empty()) return Err{SpawnError::NotFound};
        auto program = ResolveProgram(argv[0], systemDir_);
        if (!program) return Err{program.error()};
        ExecPlan plan;
        plan.program = std::move(*program);
        plan.args = argv;
        return plan;
    }

    std::filesystem::path systemDir_;
};

}  // namespace

std::unique_ptr<ProcessLauncher> MakeSystemProcessLauncher(std::filesystem::path systemDir) {
    return std::make_unique<SystemProcessLauncher>(std::move(systemDir));
}

int FileSizeLimitSignal() {
    return SIGXFSZ;
}

std::int64_t CurrentProcessId() {
    return ::getpid();
}

}  // namespace nimbo::platform
