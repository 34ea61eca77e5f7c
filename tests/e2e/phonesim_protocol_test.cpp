// The phone's side of the transport seen raw: handshake, several streams at
// once, malformed packets; and the fixture's promise to leave nothing running.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

#include "support/phone_fixture.h"
#include "support/phonesim_host.h"

namespace nimbo::test {
namespace {

constexpr uint32_t Id(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

struct RawPacket {
    uint32_t command = 0, arg0 = 0, arg1 = 0;
    std::string payload;
};

// Speaks the transport as the adb server would, one packet at a time.
class RawHost {
public:
    explicit RawHost(uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval timeout{20, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~RawHost() { ::close(fd_); }
    bool connected() const { return connected_; }

    void SendRaw(const std::string& bytes) {
        ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    static std::string Encode(uint32_t cmd, uint32_t a0, uint32_t a1, const std::string& data,
                              uint32_t magic, std::optional<uint32_t> length = std::nullopt) {
        uint32_t sum = 0;
        for (unsigned char c : data) sum += c;
        uint32_t words[6] = {cmd, a0, a1, length.value_or(uint32_t(data.size())), sum, magic};
        return std::string(reinterpret_cast<const char*>(words), sizeof words) + data;
    }
    void Send(uint32_t cmd, uint32_t a0, uint32_t a1, const std::string& data = {}) {
        SendRaw(Encode(cmd, a0, a1, data, cmd ^ 0xffffffffu));
    }
    std::optional<RawPacket> Receive() {
        std::string head = Read(24);
        if (head.size() != 24) return std::nullopt;
        uint32_t w[6];
        std::memcpy(w, head.data(), 24);
        RawPacket p{w[0], w[1], w[2], Read(w[3])};
        if (p.payload.size() != w[3]) return std::nullopt;
        return p;
    }
    // True when the phone has closed the connection (no more bytes come).
    bool ClosedByPhone() {
        char c;
        return ::recv(fd_, &c, 1, 0) == 0;
    }
    RawPacket Handshake() {
        Send(Id("CNXN"), 0x01000001, 256 * 1024, "host::features=cmd");
        auto p = Receive();
        return p.value_or(RawPacket{});
    }

private:
    std::string Read(size_t n) {
        std::string out;
        char buffer[65536];
        while (out.size() < n) {
            ssize_t r = ::recv(fd_, buffer, std::min(sizeof buffer, n - out.size()), 0);
            if (r <= 0) break;
            out.append(buffer, static_cast<size_t>(r));
        }
        return out;
    }
    int fd_ = -1;
    bool connected_ = false;
};

class ProtocolTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(phones_.Start(1)) << phones_.error(); }
    void TearDown() override { EXPECT_TRUE(phones_.Stop()) << phones_.error(); }
    bool PhoneStillServes() {
        return phones_.RunAdb({"-s", phones_.serial(), "shell", "ls", "/data"}).output ==
               "app\n"
               "local\n";
    }
    PhoneFixture phones_;
};

TEST_F(ProtocolTest, HandshakeAnswersWithoutAuthentication) {
    RawHost host(phones_.phonePort());
    ASSERT_TRUE(host.connected());
    RawPacket reply = host.Handshake();
    EXPECT_EQ(reply.command, Id("CNXN"));
    EXPECT_EQ(reply.arg0, 0x01000001u);
    EXPECT_EQ(reply.payload.rfind("device::", 0), 0u) << reply.payload;
    EXPECT_EQ(reply.payload.find("features=cmd"), std::string::npos);
}

TEST_F(ProtocolTest, StreamsRunSideBySideOnOneConnection) {
    RawHost host(phones_.phonePort());
    ASSERT_EQ(host.Handshake().command, Id("CNXN"));
    // The old framebuffer service waits for its trigger byte; meanwhile a
    // shell command on a second stream must run to its end.
    host.Send(Id("OPEN"), 7, 0, std::string("framebuffer:") + '\0');
    auto fbOkay = host.Receive();
    ASSERT_TRUE(fbOkay && fbOkay->command == Id("OKAY"));
    const uint32_t fbStream = fbOkay->arg0;
    auto header = host.Receive();
    ASSERT_TRUE(header && header->command == Id("WRTE") && header->payload.size() == 16);
    host.Send(Id("OKAY"), 7, fbStream);

    host.Send(Id("OPEN"), 8, 0, std::string("shell:ls /data") + '\0');
    auto shOkay = host.Receive();
    ASSERT_TRUE(shOkay && shOkay->command == Id("OKAY") && shOkay->arg1 == 8u);
    EXPECT_NE(shOkay->arg0, fbStream);
    auto listing = host.Receive();
    ASSERT_TRUE(listing && listing->command == Id("WRTE"));
    EXPECT_EQ(listing->payload, "app\nlocal\n");
    host.Send(Id("OKAY"), 8, shOkay->arg0);
    auto shClose = host.Receive();
    ASSERT_TRUE(shClose && shClose->command == Id("CLSE") && shClose->arg1 == 8u);

    host.Send(Id("WRTE"), 7, fbStream, "x");
    auto ack = host.Receive();
    ASSERT_TRUE(ack && ack->command == Id("OKAY") && ack->arg1 == 7u);
    std::string pixels;
    while (pixels.size() < 320u * 480 * 2) {
        auto p = host.Receive();
        ASSERT_TRUE(p && p->command == Id("WRTE")) << "after " << pixels.size() << " bytes";
        // Nothing more may come before the host acknowledges.
        EXPECT_LE(p->payload.size(), 256u * 1024);
        pixels += p->payload;
        host.Send(Id("OKAY"), 7, fbStream);
    }
    EXPECT_TRUE(pixels == ExpectedPictureRgb565(320, 480));
    auto fbClose = host.Receive();
    ASSERT_TRUE(fbClose);
    EXPECT_EQ(fbClose->command, Id("CLSE"));

    // A service the phone does not offer is closed at once, with no stream id.
    host.Send(Id("OPEN"), 9, 0, std::string("reboot:") + '\0');
    auto refused = host.Receive();
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->command, Id("CLSE"));
    EXPECT_EQ(refused->arg0, 0u);
    EXPECT_EQ(refused->arg1, 9u);
}

TEST_F(ProtocolTest, MalformedPacketsCloseOnlyTheirConnection) {
    struct Case {
        const char* name;
        std::string bytes;
        bool handshakeFirst;
        const char* logged;
    };
    const Case cases[] = {
        {"bad magic", RawHost::Encode(Id("OPEN"), 1, 0, "shell:ls", 12345), true, "bad magic"},
        {"unknown command", RawHost::Encode(Id("ZZZZ"), 1, 0, "", Id("ZZZZ") ^ 0xffffffffu), true,
         "unknown command ZZZZ"},
        {"huge payload", RawHost::Encode(Id("WRTE"), 1, 1, "", Id("WRTE") ^ 0xffffffffu, 1u << 30),
         true, "exceeds the limit"},
        {"open before handshake",
         RawHost::Encode(Id("OPEN"), 1, 0, "shell:ls", Id("OPEN") ^ 0xffffffffu), false,
         "before the handshake"},
        {"text instead of packets", "GET / HTTP/1.0\r\n\r\n" + std::string(8, ' '), false,
         "bad magic"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawHost host(phones_.phonePort());
        ASSERT_TRUE(host.connected());
        if (c.handshakeFirst) {
            ASSERT_EQ(host.Handshake().command, Id("CNXN"));
        }
        host.SendRaw(c.bytes);
        EXPECT_TRUE(host.ClosedByPhone());
        EXPECT_NE(phones_.PhoneLog().find(c.logged), std::string::npos) << phones_.PhoneLog();
        EXPECT_TRUE(IsRunning(phones_.phonePid()));
    }
    // A host that vanishes in the middle of a packet is no harm either.
    {
        RawHost host(phones_.phonePort());
        host.Handshake();
        host.SendRaw(RawHost::Encode(Id("WRTE"), 1, 1, "abc", Id("WRTE") ^ 0xffffffffu, 100));
    }
    EXPECT_TRUE(PhoneStillServes());
}

// A test that dies must not leave its server or phones behind.
TEST(PhoneFixtureLifetime, KilledTestLeavesNothingRunning) {
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    pid_t test = ::fork();
    ASSERT_GE(test, 0);
    if (test == 0) {
        ::close(report[0]);
        PhoneFixture phones;
        pid_t pids[4] = {-1, -1, 0, 0};
        if (phones.Start(1)) {
            pids[0] = phones.adbServerPid();
            pids[1] = phones.phonePid();
            pids[2] = phones.adbPort();
            pids[3] = phones.phonePort();
        }
        (void)!::write(report[1], pids, sizeof pids);
        ::pause();
        ::_exit(0);
    }
    ::close(report[1]);
    pid_t pids[4] = {};
    ASSERT_EQ(::read(report[0], pids, sizeof pids), static_cast<ssize_t>(sizeof pids));
    ::close(report[0]);
    ::kill(test, SIGKILL);
    ::waitpid(test, nullptr, 0);
    ASSERT_GT(pids[0], 0) << "the fixture did not start in the child";
    for (int i = 0; i < 2; ++i) {
        bool gone = false;
        for (int tries = 0; tries < 200 && !gone; ++tries) {
            gone = ::kill(pids[i], 0) != 0;
            if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_TRUE(gone) << (i == 0 ? "adb server" : "phone") << " pid " << pids[i];
    }
    EXPECT_FALSE(PortIsListening(static_cast<uint16_t>(pids[2])));
    EXPECT_FALSE(PortIsListening(static_cast<uint16_t>(pids[3])));
}

TEST(PhoneFixtureLifetime, StopEndsEverythingAndRestoresTheEnvironment) {
    ::setenv("ANDROID_ADB_SERVER_PORT", "1", 1);
    pid_t server, phone0, phone1;
    uint16_t port;
    {
        PhoneFixture phones;
        ASSERT_TRUE(phones.Start(2)) << phones.error();
        EXPECT_EQ(std::getenv("ANDROID_ADB_SERVER_PORT"), std::to_string(phones.adbPort()));
        EXPECT_STREQ(std::getenv("ADB_EMU"), "0");
        server = phones.adbServerPid();
        phone0 = phones.phonePid(0);
        phone1 = phones.phonePid(1);
        port = phones.adbPort();
        EXPECT_TRUE(phones.Stop()) << phones.error();
        EXPECT_FALSE(IsRunning(server));
        EXPECT_FALSE(IsRunning(phone0));
        EXPECT_FALSE(IsRunning(phone1));
        EXPECT_FALSE(PortIsListening(port));
        EXPECT_STREQ(std::getenv("ANDROID_ADB_SERVER_PORT"), "1");
    }
    ::unsetenv("ANDROID_ADB_SERVER_PORT");
}

}  // namespace
}  // namespace nimbo::test
