#include "platform/socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "support/scripted_server.h"

namespace nimbo::platform {
namespace {

using namespace std::chrono_literals;
using test::ScriptedServer;

TEST(AdbServerPort, EnvironmentOverridesOnlyWithAValidPort) {
    const char* saved = std::getenv("ANDROID_ADB_SERVER_PORT");
    const std::string keep = saved ? saved : "";
    struct Case {
        const char* value;
        uint16_t port;
    };
    for (const Case& c :
         {Case{nullptr, 5037}, Case{"", 5037}, Case{"15037", 15037}, Case{"65535", 65535},
          Case{"0", 5037}, Case{"65536", 5037}, Case{"12ab", 5037}, Case{"-5", 5037}}) {
        if (c.value) {
            setenv("ANDROID_ADB_SERVER_PORT", c.value, 1);
        } else {
            unsetenv("ANDROID_ADB_SERVER_PORT");
        }
        EXPECT_EQ(AdbServerPort(), c.port) << (c.value ? c.value : "(unset)");
    }
    if (saved) {
        setenv("ANDROID_ADB_SERVER_PORT", keep.c_str(), 1);
    } else {
        unsetenv("ANDROID_ADB_SERVER_PORT");
    }
}

TEST(TcpSocket, ConnectFailuresAreTold) {
    auto refused = TcpSocket::Connect("127.0.0.1", ScriptedServer::UnusedPort());
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(), NetError::Refused);
    auto badHost = TcpSocket::Connect("not-an-address", 5037);
    ASSERT_FALSE(badHost.ok());
    EXPECT_EQ(badHost.error(), NetError::Failed);
}

TEST(TcpSocket, LargeTransfersAndPeerClose) {
    const std::string big(1 << 20, 'x');
    ScriptedServer server;
    server.Read(big.size()).Send("abc").Close().Start();
    auto sock = TcpSocket::Connect("127.0.0.1", server.port(), {2000ms, 5000ms});
    ASSERT_TRUE(sock.ok());
    auto sent = sock->Send(big);
    ASSERT_TRUE(sent.ok());
    EXPECT_EQ(*sent, big.size());
    // RecvAll stops at the peer's close with what it got; then Recv says 0.
    std::string buf(10, '\0');
    auto got = sock->RecvAll(buf);
    ASSERT_TRUE(got.ok());
    EXPECT_EQ(buf.substr(0, *got), "abc");
    auto after = sock->Recv(buf);
    ASSERT_TRUE(after.ok());
    EXPECT_EQ(*after, 0u);
    EXPECT_EQ(server.Received().size(), big.size());
}

TEST(TcpSocket, ASilentPeerIsWaitedForTheWholeTimeOut) {
    // Odd time-outs that end between two whole milliseconds: a wait rounded
    // down would come back a fraction early.
    ScriptedServer server;
    server.Hang().Start();
    auto sock = TcpSocket::Connect("127.0.0.1", server.port(), {2000ms, 7ms});
    ASSERT_TRUE(sock.ok());
    std::string buf(4, '\0');
    for (int i = 0; i < 20; ++i) {
        const auto started = std::chrono::steady_clock::now();
        auto got = sock->Recv(buf);
        const auto waited = std::chrono::steady_clock::now() - started;
        ASSERT_FALSE(got.ok());
        EXPECT_EQ(got.error(), NetError::TimedOut);
        EXPECT_GE(waited, 7ms);
    }
}

TEST(TcpSocket, MovedSocketOwnsTheConnectionAndCloseIsFinal) {
    ScriptedServer server;
    server.Start();
    auto sock = TcpSocket::Connect("127.0.0.1", server.port());
    ASSERT_TRUE(sock.ok());
    TcpSocket moved = std::move(*sock);
    EXPECT_FALSE(sock->IsOpen());
    EXPECT_TRUE(moved.IsOpen());
    moved.Close();
    EXPECT_FALSE(moved.IsOpen());
    EXPECT_FALSE(moved.Send(std::string("x")).ok());
    EXPECT_TRUE(server.ClientClosed());
}

}  // namespace
}  // namespace nimbo::platform
