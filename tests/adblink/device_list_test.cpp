#include "adblink/device_list.h"

#include <gtest/gtest.h>

#include "support/scripted_server.h"

namespace nimbo {
namespace {

using namespace std::chrono_literals;
using test::EndpointAt;
using test::ScriptedServer;

std::vector<std::string> Serials(const std::vector<DeviceRow>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.serial);
    return out;
}

TEST(ClassifyDevice, UnknownBeatsEmulatorAndCaseIsIgnored) {
    EXPECT_EQ(ClassifyDevice("emulator-5554"), DeviceKind::Emulator);
    EXPECT_EQ(ClassifyDevice("EMULATOR-5556"), DeviceKind::Emulator);
    EXPECT_EQ(ClassifyDevice("HT9CYP800123"), DeviceKind::RealDevice);
    EXPECT_EQ(ClassifyDevice("127.0.0.1:5555"), DeviceKind::RealDevice);
    EXPECT_EQ(ClassifyDevice("UnKnOwN"), DeviceKind::UnknownDevice);
    EXPECT_EQ(ClassifyDevice("emulator-unknown"), DeviceKind::UnknownDevice);
    EXPECT_EQ(ClassifyDevice(""), DeviceKind::RealDevice);
    EXPECT_STREQ(DeviceKindText(DeviceKind::UnknownDevice), "未知");
    EXPECT_STREQ(DeviceKindText(DeviceKind::Emulator), "模拟器");
    EXPECT_STREQ(DeviceKindText(DeviceKind::RealDevice), "真机");
}

TEST(ParseDeviceListReply, EmulatorAndOfflinePhoneGiveTwoNumberedRows) {
    const auto rows = ParseDeviceListReply("0027emulator-5554\tdevice\nHT9CYP800123\toffline\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].numberText, "1");
    EXPECT_EQ(rows[0].kindImage, 1);
    EXPECT_EQ(rows[0].kindText, "模拟器");
    EXPECT_EQ(rows[0].serial, "emulator-5554");
    EXPECT_EQ(rows[1].numberText, "2");
    EXPECT_EQ(rows[1].kindImage, 0);
    EXPECT_EQ(rows[1].kindText, "真机");
    EXPECT_EQ(rows[1].serial, "HT9CYP800123");
}

TEST(ParseDeviceListReply, EmptyAndDegenerateReplies) {
    EXPECT_TRUE(ParseDeviceListReply("").empty());
    EXPECT_TRUE(ParseDeviceListReply("0000").empty());
    EXPECT_TRUE(ParseDeviceListReply("\n").empty());
    EXPECT_TRUE(ParseDeviceListReply("00\n").empty());  // line 0 shorter than its digits
    EXPECT_TRUE(ParseDeviceListReply("0010").empty());
}

TEST(ParseDeviceListReply, LinesWithoutTabAreSkippedWithoutUsingANumber) {
    const auto rows =
        ParseDeviceListReply("0040a1\tdevice\nnoise line\nb2\tunauthorized\n\nc3\tdevice\n");
    ASSERT_EQ(Serials(rows), (std::vector<std::string>{"a1", "b2", "c3"}));
    EXPECT_EQ(rows[1].numberText, "2");
    EXPECT_EQ(rows[2].numberText, "3");
}

TEST(ParseDeviceListReply, UnterminatedLastLineIsNotListed) {
    EXPECT_EQ(Serials(ParseDeviceListReply("0020a1\tdevice\nb2\tdevice")),
              std::vector<std::string>{"a1"});
    EXPECT_TRUE(ParseDeviceListReply("000da1\tdevice").empty());
}

TEST(ParseDeviceListReply, DigitsAreSkippedOnlyOnTheFirstLine) {
    // The first four characters go whatever they are; later lines keep theirs.
    const auto rows = ParseDeviceListReply("XXXXemulator-5554\tdevice\n1234abcd\tdevice\n");
    EXPECT_EQ(Serials(rows), (std::vector<std::string>{"emulator-5554", "1234abcd"}));
    // A serial with a blank or an empty serial is kept as it stands.
    EXPECT_EQ(Serials(ParseDeviceListReply("0009\tdevice\n")), std::vector<std::string>{""});
}

TEST(ParseDeviceListReply, ManyDevicesAreNumberedInDecimal) {
    std::string reply = "0000";
    for (int i = 0; i < 12; ++i) reply += "dev" + std::to_string(i) + "\tdevice\n";
    const auto rows = ParseDeviceListReply(reply);
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[9].numberText, "10");
    EXPECT_EQ(rows[11].serial, "dev11");
}

TEST(FetchDeviceList, WholeExchangeAgainstAServer) {
    ScriptedServer server;
    server.ReadRequest()
        .Send("OKAY")
        .Send("0027emulator-5554\tdevice\nHT9CYP800123\toffline\n")
        .Start();
    auto rows = FetchDeviceList(EndpointAt(server.port()));
    ASSERT_TRUE(rows.ok());
    EXPECT_EQ(Serials(*rows), (std::vector<std::string>{"emulator-5554", "HT9CYP800123"}));
    EXPECT_EQ(server.Received(), "000chost:devices");
    EXPECT_TRUE(server.ClientClosed());
}

TEST(FetchDeviceList, FailuresAreKeptApart) {
    auto none = FetchDeviceList(EndpointAt(ScriptedServer::UnusedPort()));
    ASSERT_FALSE(none.ok());
    EXPECT_EQ(none.error(), DeviceListError::NoServer);

    ScriptedServer failing;
    failing.ReadRequest().Send("FAIL0004oops").Start();
    auto rejected = FetchDeviceList(EndpointAt(failing.port()));
    ASSERT_FALSE(rejected.ok());
    EXPECT_EQ(rejected.error(), DeviceListError::Rejected);
    EXPECT_TRUE(failing.ClientClosed());

    // Silent from the start, and silent after "OKAY".
    for (bool okayFirst : {false, true}) {
        SCOPED_TRACE(okayFirst);
        ScriptedServer silent;
        if (okayFirst) silent.ReadRequest().Send("OKAY");
        silent.Hang().Start();
        auto timedOut = FetchDeviceList(EndpointAt(silent.port(), 200ms));
        ASSERT_FALSE(timedOut.ok());
        EXPECT_EQ(timedOut.error(), DeviceListError::TimedOut);
        EXPECT_TRUE(silent.ClientClosed());
    }
}

TEST(FetchDeviceList, OkayWithoutReplyIsAnEmptyList) {
    ScriptedServer server;
    server.ReadRequest().Send("OKAY").Close().Start();
    auto rows = FetchDeviceList(EndpointAt(server.port()));
    ASSERT_TRUE(rows.ok());
    EXPECT_TRUE(rows->empty());
}

}  // namespace
}  // namespace nimbo
