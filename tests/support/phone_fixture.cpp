#include "support/phone_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "adblink/adb_host_connection.h"
#include "support/scripted_server.h"

namespace nimbo::test {
namespace {

using namespace std::chrono_literals;

std::optional<std::string> GetEnv(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
}

void RestoreEnv(const char* name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name, value->c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}

// Reads the first line the child prints, waiting at most timeout.
std::string ReadFirstLine(int fd, std::chrono::milliseconds timeout) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (line.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char c[256];
        ssize_t n = ::read(fd, c, sizeof c);
        if (n <= 0) break;
        line.append(c, static_cast<size_t>(n));
    }
    return line.substr(0, line.find('\n'));
}

}  // namespace

std::filesystem::path PhonesimProgram() {
    if (auto env = GetEnv("NIMBO_PHONESIM")) return *env;
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && std::filesystem::exists(self.parent_path() / "nimbo-phonesim")) {
        return self.parent_path() / "nimbo-phonesim";
    }
    return BinaryDir() / "bin" / "nimbo-phonesim";
}

PhoneFixture::~PhoneFixture() {
    Stop();
}

bool PhoneFixture::Fail(const std::string& why) {
    std::string keep = why;
    Stop();
    error_ = keep;
    return false;
}

bool PhoneFixture::Start(int phones, const PhoneOptions& options) {
    Stop();
    error_.clear();
    dir_.emplace();
    if (!StartServer()) return false;
    std::vector<std::string> serials;
    for (int i = 0; i < phones; ++i) {
        if (!StartPhone(i, options)) return false;
        serials.push_back(serial(i));
        auto r = RunAdb({"connect", serials.back()}, 20s);
        // adb connect exits 0 even when refused; only its words tell.
        if (r.output.find("connected to") == std::string::npos) {
            return Fail("adb connect " + serials.back() + " said: " + r.output);
        }
    }
    if (!WaitForState(serials, "device")) {
        return Fail("the phones did not show as devices: " + RunAdb({"devices"}, 10s).output);
    }
    return true;
}

bool PhoneFixture::StartServer() {
    adbPort_ = FreeLoopbackPort();
    if (adbPort_ == 0) return Fail("no free port for the adb server");
    if (!envSet_) {
        savedPort_ = GetEnv("ANDROID_ADB_SERVER_PORT");
        savedEmu_ = GetEnv("ADB_EMU");
        envSet_ = true;
    }
    ::setenv("ANDROID_ADB_SERVER_PORT", std::to_string(adbPort_).c_str(), 1);
    // Without this the server would scan 5555.. and pick up other tests' phones.
    ::setenv("ADB_EMU", "0", 1);
    std::string log = (dir_->path() / "adb-server.log").string();
    int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    // In the foreground the server stays our child, so its pid is known.
    serverPid_ = SpawnChild({"adb", "nodaemon", "server"}, logFd, logFd);
    if (logFd >= 0) ::close(logFd);
    if (serverPid_ < 0) return Fail("could not start adb");
    for (auto deadline = std::chrono::steady_clock::now() + 20s;;) {
        if (PortIsListening(adbPort_)) return true;
        if (!IsRunning(serverPid_)) {
            serverPid_ = -1;
            return Fail("the adb server ended at start; see its log " + log);
        }
        if (std::chrono::steady_clock::now() > deadline) return Fail("adb server did not listen");
        std::this_thread::sleep_for(20ms);
    }
}

bool PhoneFixture::StartPhone(int index, const PhoneOptions& options) {
    Phone phone;
    phone.dir = dir_->path() / ("phone-" + std::to_string(index));
    std::filesystem::create_directories(phone.dir / "state");
    std::vector<std::string> argv = {PhonesimProgram().string(),
                                     "--port",
                                     "0",
                                     "--state",
                                     (phone.dir / "state").string(),
                                     "--control",
                                     (phone.dir / "control").string()};
    if (options.modern) argv.push_back("--modern");
    if (options.modernLayout) argv.insert(argv.end(), {"--layout", "modern"});
    if (options.crlf) argv.push_back("--crlf");
    if (!options.framebuffer.empty())
        argv.insert(argv.end(), {"--framebuffer", options.framebuffer});
    argv.insert(argv.end(),
                {"--size", std::to_string(options.width) + "x" + std::to_string(options.height)});
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return Fail("pipe failed");
    std::string log = (phone.dir / "phone.log").string();
    int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    phone.pid = SpawnChild(argv, out[1], logFd);
    ::close(out[1]);
    if (logFd >= 0) ::close(logFd);
    std::string line = phone.pid > 0 ? ReadFirstLine(out[0], 20s) : std::string();
    ::close(out[0]);
    phones_.push_back(phone);
    size_t colon = line.rfind(':');
    if (line.rfind("listening on", 0) != 0 || colon == std::string::npos) {
        return Fail("phone " + std::to_string(index) + " did not start (" + argv[0] +
                    "): " + PhoneLog(index));
    }
    phones_.back().port = static_cast<uint16_t>(std::stoi(line.substr(colon + 1)));
    return true;
}

bool PhoneFixture::Stop() {
    std::vector<std::string> left;
    if (serverPid_ > 0 || adbPort_ != 0) {
        RunAdb({"kill-server"}, 10s);
        // On a busy machine a kill request has been seen to go unanswered:
        // asked once more before the server counts as left running.
        if (serverPid_ > 0 && !WaitForExit(serverPid_, 5s)) RunAdb({"kill-server"}, 10s);
        if (serverPid_ > 0 && !WaitForExit(serverPid_, 10s)) {
            left.push_back("adb server (pid " + std::to_string(serverPid_) + ")");
            KillAndReap(serverPid_);
        }
        // A server that adb started on its own (after ours had died) would
        // still hold the port; kill-server has asked it to go.
        for (int i = 0; i < 100 && PortIsListening(adbPort_); ++i) {
            std::this_thread::sleep_for(50ms);
        }
        if (PortIsListening(adbPort_)) {
            left.push_back("an adb server on port " + std::to_string(adbPort_));
        }
    }
    for (size_t i = 0; i < phones_.size(); ++i) {
        pid_t pid = phones_[i].pid;
        if (pid > 0 && !KillAndReap(pid)) left.push_back("phone " + std::to_string(i));
        if (phones_[i].port != 0 && PortIsListening(phones_[i].port)) {
            left.push_back("something on phone port " + std::to_string(phones_[i].port));
        }
    }
    phones_.clear();
    serverPid_ = -1;
    adbPort_ = 0;
    if (envSet_) {
        RestoreEnv("ANDROID_ADB_SERVER_PORT", savedPort_);
        RestoreEnv("ADB_EMU", savedEmu_);
        envSet_ = false;
    }
    dir_.reset();
    if (left.empty()) return true;
    error_ = "left running:";
    for (const auto& l : left) error_ += " " + l + ";";
    return false;
}

std::string PhoneFixture::serial(int i) const {
    const Phone& phone = phones_.at(i);
    if (phone.emulator) return "emulator-" + std::to_string(phone.port - 1);
    return "127.0.0.1:" + std::to_string(phone.port);
}

int PhoneFixture::AddPhone(bool asEmulator, const PhoneOptions& options) {
    if (adbPort_ == 0) {
        error_ = "AddPhone before Start";
        return -1;
    }
    const int index = phoneCount();
    if (!StartPhone(index, options)) return -1;
    if (!asEmulator) {
        auto r = RunAdb({"connect", serial(index)}, 20s);
        if (r.output.find("connected to") == std::string::npos) {
            error_ = "adb connect said: " + r.output;
            return -1;
        }
        return index;
    }
    phones_.back().emulator = true;
    AdbHostConnection announce(EndpointAt(adbPort_));
    announce.Open();
    if (!announce.SendRequest("host:emulator:" + std::to_string(phones_.back().port),
                              Framing::LowerHex)) {
        error_ = "could not announce the emulator to the server";
        return -1;
    }
    return index;
}

bool PhoneFixture::StopPhone(int i) {
    Phone& phone = phones_.at(i);
    const bool gone = phone.pid <= 0 || KillAndReap(phone.pid);
    phone.pid = -1;
    return gone;
}

std::filesystem::path PhoneFixture::stateDir(int i) const {
    return phones_.at(i).dir / "state";
}

std::string PhoneFixture::PhoneLog(int i) const {
    std::ifstream in(phones_.at(i).dir / "phone.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void PhoneFixture::SetControl(int i, const std::string& key, const std::string& value) {
    auto& control = phones_.at(i).control;
    std::erase_if(control, [&](const auto& kv) { return kv.first == key; });
    control.emplace_back(key, value);
    WriteControl(i);
}

void PhoneFixture::ClearControl(int i) {
    phones_.at(i).control.clear();
    WriteControl(i);
}

void PhoneFixture::SetScreenSize(int i, int width, int height) {
    SetControl(i, "size", std::to_string(width) + "x" + std::to_string(height));
}

void PhoneFixture::WriteControl(int i) {
    // Written beside and renamed, so the phone never reads half a file.
    auto target = phones_.at(i).dir / "control";
    auto partial = phones_.at(i).dir / "control.partial";
    {
        std::ofstream out(partial, std::ios::trunc);
        for (const auto& [k, v] : phones_.at(i).control) out << k << "=" << v << "\n";
    }
    std::filesystem::rename(partial, target);
}

CommandResult PhoneFixture::RunAdb(const std::vector<std::string>& args,
                                   std::chrono::milliseconds timeout) const {
    // Without our server, adb would start a daemon of its own that nobody stops.
    if (serverPid_ <= 0 || !IsRunning(serverPid_)) {
        if (args.size() == 1 && args[0] == "kill-server") {
            return RunCaptured({"adb", "kill-server"}, timeout);
        }
        CommandResult r;
        r.output = "(the private adb server is not running)";
        return r;
    }
    std::vector<std::string> argv = {"adb"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunCaptured(argv, timeout);
}

bool PhoneFixture::WaitForState(const std::vector<std::string>& serials, const std::string& state,
                                std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::string listing = RunAdb({"devices"}, 10s).output;
        bool all = true;
        for (const auto& s : serials) {
            all = all && listing.find(s + "\t" + state + "\n") != std::string::npos;
        }
        if (all) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(100ms);
    }
}

}  // namespace nimbo::test
