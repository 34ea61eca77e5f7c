#include "sync_service.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "held_answer.h"
#include "log.h"
#include "stream.h"

namespace fs = std::filesystem;

namespace nimbo::phonesim {
namespace {

constexpr size_t kMaxChunk = 64 * 1024;
constexpr size_t kMaxPath = 1024;

uint32_t Id(const char* four) {
    return uint32_t(uint8_t(four[0])) | uint32_t(uint8_t(four[1])) << 8 |
           uint32_t(uint8_t(four[2])) << 16 | uint32_t(uint8_t(four[3])) << 24;
}

uint32_t Le32(const char* p) {
    return Id(p);
}

void AppendLe32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

std::string Message(const char* id, const std::string& body) {
    std::string out(id, 4);
    AppendLe32(out, static_cast<uint32_t>(body.size()));
    return out + body;
}

bool Fail(Stream& s, const std::string& why) {
    return s.Write(Message("FAIL", why)) && false;
}

bool Stat(Stream& s, const DeviceFs& fsys, const std::string& path) {
    std::string reply("STAT", 4);
    struct stat st {};
    auto host = fsys.Map(path);
    if (!host || ::lstat(host->c_str(), &st) != 0) std::memset(&st, 0, sizeof st);
    AppendLe32(reply, st.st_mode);
    AppendLe32(reply, static_cast<uint32_t>(st.st_size));
    AppendLe32(reply, static_cast<uint32_t>(st.st_mtime));
    return s.Write(reply);
}

bool List(Stream& s, const DeviceFs& fsys, const std::string& path) {
    auto host = fsys.Map(path);
    std::error_code ec;
    std::string reply;
    if (host && fs::is_directory(*host, ec)) {
        for (const auto& entry : fs::directory_iterator(*host, ec)) {
            struct stat st {};
            if (::lstat(entry.path().c_str(), &st) != 0) continue;
            std::string name = entry.path().filename().string();
            reply.append("DENT", 4);
            AppendLe32(reply, st.st_mode);
            AppendLe32(reply, static_cast<uint32_t>(st.st_size));
            AppendLe32(reply, static_cast<uint32_t>(st.st_mtime));
            AppendLe32(reply, static_cast<uint32_t>(name.size()));
            reply += name;
        }
    }
    reply.append("DONE", 4);
    reply.append(16, '\0');
    return s.Write(reply);
}

bool Receive(Stream& s, const DeviceFs& fsys, const std::string& path,
             const PhoneControl& control) {
    if (!HoldAnswer(&s, control, &PhoneSettings::pullDelayMs, "RECV " + path)) return false;
    auto host = fsys.Map(path);
    int fd = host ? ::open(host->c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0) return Fail(s, host ? std::strerror(errno) : "Permission denied");
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return Fail(s, std::strerror(EISDIR));
    }
    std::vector<char> buffer(kMaxChunk);
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ok = Fail(s, std::strerror(errno));
            break;
        }
        if (n == 0) {
            ok = s.Write(Message("DONE", {}));
            break;
        }
        if (!s.Write(Message("DATA", std::string(buffer.data(), size_t(n))))) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    return ok;
}

// The host sends the file in DATA pieces ended by DONE with the file's time.
bool Send(Stream& s, const DeviceFs& fsys, const std::string& spec) {
    size_t comma = spec.rfind(',');
    std::string path = comma == std::string::npos ? spec : spec.substr(0, comma);
    auto host = fsys.Map(path);
    std::error_code ec;
    std::string problem;
    fs::path partial;
    std::ofstream out;
    if (!host || *host == fsys.root()) {
        problem = "Permission denied";
    } else {
        fs::create_directories(host->parent_path(), ec);
        if (fs::is_directory(*host, ec)) {
            problem = std::strerror(EISDIR);
        } else {
            partial = *host;
            partial += ".sync-partial";
            out.open(partial, std::ios::binary | std::ios::trunc);
            if (!out) problem = "cannot create " + path;
        }
    }
    for (;;) {
        char head[8];
        if (!s.ReadExact(head, 8)) {
            if (!partial.empty()) fs::remove(partial, ec);
            return false;
        }
        uint32_t length = Le32(head + 4);
        if (Le32(head) == Id("DONE")) {
            if (problem.empty() && !out.flush()) problem = "write failed";
            out.close();
            if (!problem.empty()) {
                if (!partial.empty()) fs::remove(partial, ec);
                return Fail(s, problem);
            }
            fs::rename(partial, *host, ec);
            struct timeval times[2] = {{time_t(length), 0}, {time_t(length), 0}};
            ::utimes(host->c_str(), times);
            return s.Write(Message("OKAY", {}));
        }
        if (Le32(head) != Id("DATA") || length > kMaxChunk) {
            if (!partial.empty()) fs::remove(partial, ec);
            return Fail(s, "invalid data message");
        }
        std::string chunk(length, '\0');
        if (!s.ReadExact(chunk.data(), length)) {
            if (!partial.empty()) fs::remove(partial, ec);
            return false;
        }
        if (problem.empty()) out.write(chunk.data(), length);
    }
}

}  // namespace

void ServeSync(Stream& s, const DeviceFs& fsys, const PhoneControl& control) {
    s.Accept();
    for (;;) {
        char head[8];
        if (!s.ReadExact(head, 8)) return;
        uint32_t id = Le32(head);
        uint32_t length = Le32(head + 4);
        if (id == Id("QUIT")) return;
        if (length > kMaxPath) {
            Fail(s, "path too long");
            return;
        }
        std::string path(length, '\0');
        if (!s.ReadExact(path.data(), length)) return;
        bool goOn;
        if (id == Id("STAT")) {
            goOn = Stat(s, fsys, path);
        } else if (id == Id("LIST")) {
            goOn = List(s, fsys, path);
        } else if (id == Id("RECV")) {
            // A failed transfer ends the session, as the host expects.
            goOn = Receive(s, fsys, path, control);
        } else if (id == Id("SEND")) {
            goOn = Send(s, fsys, path);
        } else {
            Log("sync: unknown request " + std::string(head, 4));
            Fail(s, "unknown sync request");
            return;
        }
        if (!goOn) return;
    }
}

}  // namespace nimbo::phonesim
