#include "adblink/adb_host_connection.h"

#include <gtest/gtest.h>

#include "support/scripted_server.h"

namespace nimbo {
namespace {

using namespace std::chrono_literals;
using test::EndpointAt;
using test::ScriptedServer;

TEST(AdbFraming, LengthDigitsFollowTheChosenCase) {
    EXPECT_EQ(FrameRequest(DevicesRequest(), Framing::LowerHex), "000chost:devices");
    EXPECT_EQ(FrameRequest(FramebufferRequest(), Framing::LowerHex), "000cframebuffer:");
    // 13-, 11- and 12-character serials: payloads of 28, 26 and 27 bytes.
    EXPECT_EQ(FrameRequest(TransportRequest("emulator-5554"), Framing::UpperHex),
              "001Chost:transport:emulator-5554");
    EXPECT_EQ(FrameRequest(TransportRequest("0123456789A"), Framing::UpperHex)->substr(0, 4),
              "001A");
    EXPECT_EQ(FrameRequest(TransportRequest("HT9CYP800123"), Framing::UpperHex)->substr(0, 4),
              "001B");
    EXPECT_EQ(FrameRequest("", Framing::LowerHex), "0000");
}

TEST(AdbFraming, PayloadBeyondTheRequestBufferIsRefused) {
    EXPECT_TRUE(FrameRequest(std::string(250, 'a'), Framing::LowerHex).has_value());
    EXPECT_EQ(FrameRequest(std::string(250, 'a'), Framing::LowerHex)->substr(0, 4), "00fa");
    EXPECT_FALSE(FrameRequest(std::string(251, 'a'), Framing::LowerHex).has_value());
    // "host:transport:" leaves room for 235 serial characters.
    EXPECT_TRUE(FrameRequest(TransportRequest(std::string(235, 's')), Framing::UpperHex));
    EXPECT_FALSE(FrameRequest(TransportRequest(std::string(236, 's')), Framing::UpperHex));
}

TEST(AdbHostConnection, DeviceListRequestIsSixteenBytesInOneExchange) {
    ScriptedServer server;
    server.ReadRequest().Send("OKAY").Send("0018emulator-5554\tdevice\n").Start();
    AdbHostConnection conn(EndpointAt(server.port()));
    EXPECT_TRUE(conn.Open());
    ASSERT_TRUE(conn.SendRequest(DevicesRequest(), Framing::LowerHex));
    ASSERT_TRUE(conn.ReadStatus());
    EXPECT_EQ(conn.ReadReply(), "0018emulator-5554\tdevice\n");
    conn.Close();
    EXPECT_EQ(server.Received(), "000chost:devices");
    EXPECT_TRUE(server.ClientClosed());
}

TEST(AdbHostConnection, FailStatusIsAFailureAndItsReasonIsLeftUnread) {
    ScriptedServer server;
    server.ReadRequest().Send("FAIL0015device 'x' not found").Start();
    AdbHostConnection conn(EndpointAt(server.port()));
    conn.Open();
    ASSERT_TRUE(conn.SendRequest(TransportRequest("x"), Framing::UpperHex));
    EXPECT_FALSE(conn.ReadStatus());
    // The reason text is still waiting: the status read took exactly four bytes.
    std::array<char, 4> next{};
    auto got = conn.Socket().Recv(next);
    ASSERT_TRUE(got);
    EXPECT_EQ(std::string(next.data(), *got), "0015");
}

TEST(AdbHostConnection, ShortOrMissingStatusIsNotOkay) {
    ScriptedServer partial;
    partial.ReadRequest().Send("OK").Close().Start();
    AdbHostConnection a(EndpointAt(partial.port()));
    a.Open();
    ASSERT_TRUE(a.SendRequest(DevicesRequest(), Framing::LowerHex));
    EXPECT_FALSE(a.ReadStatus());

    ScriptedServer silent;
    silent.ReadRequest().Close().Start();
    AdbHostConnection b(EndpointAt(silent.port()));
    b.Open();
    ASSERT_TRUE(b.SendRequest(DevicesRequest(), Framing::LowerHex));
    EXPECT_FALSE(b.ReadStatus());
}

TEST(AdbHostConnection, OkayThenCloseGivesAnEmptyReply) {
    ScriptedServer server;
    server.ReadRequest().Send("OKAY").Close().Start();
    AdbHostConnection conn(EndpointAt(server.port()));
    conn.Open();
    ASSERT_TRUE(conn.SendRequest(DevicesRequest(), Framing::LowerHex));
    ASSERT_TRUE(conn.ReadStatus());
    EXPECT_EQ(conn.ReadReply(), "");
}

TEST(AdbHostConnection, ReplyIsOneReceiveOfAtMost4096Bytes) {
    ScriptedServer server;
    server.ReadRequest().Send("OKAY" + std::string(5000, 'r')).Start();
    AdbHostConnection conn(EndpointAt(server.port()));
    conn.Open();
    ASSERT_TRUE(conn.SendRequest(DevicesRequest(), Framing::LowerHex));
    ASSERT_TRUE(conn.ReadStatus());
    const std::string reply = conn.ReadReply();
    EXPECT_GT(reply.size(), 0u);
    EXPECT_LE(reply.size(), 4096u);
}

TEST(AdbHostConnection, WithoutServerTheFirstSendFailsAsRefused) {
    AdbHostConnection conn(EndpointAt(ScriptedServer::UnusedPort()));
    EXPECT_FALSE(conn.Open());
    EXPECT_FALSE(conn.IsOpen());
    EXPECT_FALSE(conn.SendRequest(DevicesRequest(), Framing::LowerHex));
    EXPECT_EQ(conn.LastError(), platform::NetError::Refused);
    EXPECT_FALSE(conn.ReadStatus());
    EXPECT_EQ(conn.ReadReply(), "");
}

TEST(AdbHostConnection, OverlongPayloadSendsNothing) {
    ScriptedServer server;
    server.Start();
    AdbHostConnection conn(EndpointAt(server.port()));
    ASSERT_TRUE(conn.Open());
    EXPECT_FALSE(conn.SendRequest(TransportRequest(std::string(300, 's')), Framing::UpperHex));
    conn.Close();
    EXPECT_EQ(server.Received(), "");
}

TEST(AdbHostConnection, SilentServerIsGivenUp) {
    ScriptedServer server;
    server.Hang().Start();
    AdbHostConnection conn(EndpointAt(server.port(), 200ms));
    ASSERT_TRUE(conn.Open());
    ASSERT_TRUE(conn.SendRequest(DevicesRequest(), Framing::LowerHex));
    EXPECT_FALSE(conn.ReadStatus());
    EXPECT_EQ(conn.LastError(), platform::NetError::TimedOut);
    conn.Close();
    EXPECT_TRUE(server.ClientClosed());
}

}  // namespace
}  // namespace nimbo
