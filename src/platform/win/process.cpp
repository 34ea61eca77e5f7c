// Child programs on Windows: CreateProcessW with no console window, stdin from
// NUL, stdout and stderr on one pipe. Every child is put into one job object
// that ends its processes when Nimbo ends, so an exit in the middle of an
// install leaves no adb behind.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "platform/process.h"
#include "platform/win/command_line.h"
#include "platform/win/wide.h"

namespace nimbo::platform {

namespace {

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() { Reset(); }
    Handle(Handle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    Handle& operator=(Handle&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    HANDLE Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset() {
        if (h_) CloseHandle(std::exchange(h_, nullptr));
    }

private:
    HANDLE h_ = nullptr;
};

bool IsFile(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec);
}

std::filesystem::path OwnFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return std::filesystem::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

// A bare name is looked for in the system directory, then beside nimbo.exe,
// then in PATH; a name without an extension also as name.exe, as the command
// prompt would. A name with a folder in it is taken as it is.
Result<std::wstring, SpawnError> ResolveProgram(const std::string& name,
                                                const std::filesystem::path& systemDir) {
    if (name.empty()) return Err{SpawnError::NotFound};
    std::wstring wide = win::Widen(name);
    std::vector<std::wstring> names{wide};
    if (std::filesystem::path(wide).extension().empty()) names.insert(names.begin(), wide + L".exe");
    if (wide.find_first_of(L"\\/:") != std::wstring::npos) {
        for (const auto& n : names) {
            if (IsFile(n)) return n;
        }
        return Err{SpawnError::NotFound};
    }
    std::vector<std::filesystem::path> dirs;
    if (!systemDir.empty()) dirs.push_back(systemDir);
    if (auto own = OwnFolder(); !own.empty()) dirs.push_back(own);
    if (const wchar_t* pathEnv = _wgetenv(L"PATH")) {
        std::wstring list = pathEnv;
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(L';', start);
            if (end == std::wstring::npos) end = list.size();
            if (end > start) dirs.emplace_back(list.substr(start, end - start));
            start = end + 1;
        }
    }
    for (const auto& dir : dirs) {
        for (const auto& n : names) {
            std::filesystem::path candidate = dir / n;
            if (IsFile(candidate)) return candidate.wstring();
        }
    }
    return Err{SpawnError::NotFound};
}

// The job that every child joins: closing its last handle (when Nimbo ends,
// however it ends) ends the children and whatever they started. Children may
// break away on purpose (adb starts its server that way).
HANDLE ChildrenJob() {
    static HANDLE job = [] {
        HANDLE j = CreateJobObjectW(nullptr, nullptr);
        if (j) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
            info.BasicLimitInformation.LimitFlags =
                JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK;
            SetInformationJobObject(j, JobObjectExtendedLimitInformation, &info, sizeof info);
        }
        return j;
    }();
    return job;
}

// Inheritable handles exist only while one child is being created: two
// threads starting children at once would otherwise hand each other's pipe
// ends to the wrong child, and a pipe whose writer lives on in a stranger
// never reports its end.
std::mutex& InheritMutex() {
    static std::mutex m;
    return m;
}

// An overlapped pipe: the read end waits together with the cancel event.
bool MakeOutputPipe(Handle& readEnd, Handle& writeEnd) {
    static std::atomic<unsigned> serial{0};
    std::wstring name = L"\\\\.\\pipe\\nimbo-child-" + std::to_wstring(GetCurrentProcessId()) +
                        L"-" + std::to_wstring(serial.fetch_add(1));
    readEnd = Handle(CreateNamedPipeW(name.c_str(),
                                      PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED |
                                          FILE_FLAG_FIRST_PIPE_INSTANCE,
                                      PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 64 * 1024, 0, nullptr));
    if (!readEnd) return false;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    writeEnd = Handle(CreateFileW(name.c_str(), GENERIC_WRITE, 0, &sa, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(writeEnd);
}

Handle OpenNul() {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return Handle(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &sa, OPEN_EXISTING, 0, nullptr));
}

struct Started {
    Handle process;
};

// Creates the child suspended, puts it into the job, then lets it run, so
// that nothing it starts can escape the job before it joins.
Result<Started, SpawnError> Create(const std::wstring& program, const std::vector<std::string>& argv,
                                   HANDLE input, HANDLE output, DWORD extraFlags) {
    std::vector<std::wstring> wideArgs;
    wideArgs.push_back(program);
    for (size_t i = 1; i < argv.size(); ++i) wideArgs.push_back(win::Widen(argv[i]));
    std::wstring line = win::BuildCommandLine(wideArgs);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = input;
    si.hStdOutput = output;
    si.hStdError = output;
    PROCESS_INFORMATION pi{};
    BOOL ok = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                             CREATE_NO_WINDOW | CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT |
                                 extraFlags,
                             nullptr, nullptr, &si, &pi);
    if (!ok) return Err{SpawnError::CouldNotStart};
    if (HANDLE job = ChildrenJob()) AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    return Started{Handle(pi.hProcess)};
}

class WindowsChildOutput final : public ChildOutput {
public:
    WindowsChildOutput(Handle process, Handle readEnd)
        : process_(std::move(process)),
          readEnd_(std::move(readEnd)),
          readDone_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          cancel_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

    ~WindowsChildOutput() override {
        // A pending read must end before its buffer and event go.
        if (pending_) {
            CancelIoEx(readEnd_.Get(), &overlapped_);
            DWORD n = 0;
            GetOverlappedResult(readEnd_.Get(), &overlapped_, &n, TRUE);
        }
    }

    long Read(std::span<char> buffer) override {
        if (cancelled_.load() || buffer.empty()) return cancelled_.load() ? -1 : 0;
        if (!pending_) {
            overlapped_ = OVERLAPPED{};
            overlapped_.hEvent = readDone_.Get();
            ResetEvent(readDone_.Get());
            staging_.resize(buffer.size());
            DWORD n = 0;
            if (ReadFile(readEnd_.Get(), staging_.data(), static_cast<DWORD>(staging_.size()), &n,
                         &overlapped_)) {
                return Copy(buffer, n);
            }
            DWORD err = GetLastError();
            if (err == ERROR_BROKEN_PIPE) return 0;
            if (err != ERROR_IO_PENDING) return -1;
            pending_ = true;
        }
        HANDLE waits[2] = {readDone_.Get(), cancel_.Get()};
        DWORD which = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (which != WAIT_OBJECT_0) return -1;  // cancelled; the destructor ends the read
        pending_ = false;
        DWORD n = 0;
        if (!GetOverlappedResult(readEnd_.Get(), &overlapped_, &n, FALSE)) {
            return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
        }
        return Copy(buffer, n);
    }

    ExitStatus WaitForExit(std::chrono::milliseconds bound) override {
        DWORD code = 0;
        if (WaitForSingleObject(process_.Get(), static_cast<DWORD>(bound.count())) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process_.Get(), &code)) {
            return {};
        }
        // Windows has no signals: a program ended from outside has an exit code too.
        return {ExitStatus::Kind::Exited, static_cast<int>(code)};
    }

    void Cancel() override {
        if (cancelled_.exchange(true)) return;
        TerminateProcess(process_.Get(), 1);
        SetEvent(cancel_.Get());
    }

private:
    long Copy(std::span<char> buffer, DWORD n) {
        std::copy(staging_.begin(), staging_.begin() + n, buffer.begin());
        return static_cast<long>(n);
    }

    Handle process_;
    Handle readEnd_;
    Handle readDone_;
    Handle cancel_;
    OVERLAPPED overlapped_{};
    // The read may still be pending when Read returns (after a cancel), so it
    // goes into a buffer of our own rather than the caller's.
    std::vector<char> staging_;
    bool pending_ = false;
    std::atomic<bool> cancelled_{false};
};

class SystemProcessLauncher final : public ProcessLauncher {
public:
    explicit SystemProcessLauncher(std::filesystem::path systemDir)
        : systemDir_(std::move(systemDir)) {}

    Result<std::unique_ptr<ChildOutput>, SpawnError> Start(
        const std::vector<std::string>& argv) override {
        if (argv.empty()) return Err{SpawnError::NotFound};
        auto program = ResolveProgram(argv[0], systemDir_);
        if (!program) return Err{program.error()};
        std::lock_guard lock(InheritMutex());
        Handle readEnd, writeEnd;
        Handle nul = OpenNul();
        if (!nul || !MakeOutputPipe(readEnd, writeEnd)) return Err{SpawnError::PipeFailed};
        auto started = Create(*program, argv, nul.Get(), writeEnd.Get(), 0);
        if (!started) return Err{started.error()};
        return std::unique_ptr<ChildOutput>(std::make_unique<WindowsChildOutput>(
            std::move(started->process), std::move(readEnd)));
    }

    // Detached children leave the job: they are meant to outlive Nimbo.
    Result<bool, SpawnError> LaunchDetached(const std::vector<std::string>& argv) override {
        if (argv.empty()) return Err{SpawnError::NotFound};
        auto program = ResolveProgram(argv[0], systemDir_);
        if (!program) return Err{program.error()};
        std::vector<std::wstring> wideArgs{*program};
        for (size_t i = 1; i < argv.size(); ++i) wideArgs.push_back(win::Widen(argv[i]));
        std::wstring line = win::BuildCommandLine(wideArgs);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(program->c_str(), line.data(), nullptr, nullptr, FALSE,
                            CREATE_NO_WINDOW | DETACHED_PROCESS | CREATE_BREAKAWAY_FROM_JOB |
                                CREATE_UNICODE_ENVIRONMENT,
                            nullptr, nullptr, &si, &pi)) {
            return Err{SpawnError::CouldNotStart};
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return true;
    }

private:
    std::filesystem::path systemDir_;
};

}  // namespace

std::unique_ptr<ProcessLauncher> MakeSystemProcessLauncher(std::filesystem::path systemDir) {
    return std::make_unique<SystemProcessLauncher>(std::move(systemDir));
}

int FileSizeLimitSignal() {
    return 0;
}

std::int64_t CurrentProcessId() {
    return static_cast<std::int64_t>(GetCurrentProcessId());
}

}  // namespace nimbo::platform
