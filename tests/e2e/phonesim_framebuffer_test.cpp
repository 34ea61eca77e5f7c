// The host socket seen from a client: device list with two phones, and the
// framebuffer in every mode the phone can play.
#include <gtest/gtest.h>

#include <cstring>

#include "support/phone_fixture.h"
#include "support/phonesim_host.h"

namespace nimbo::test {
namespace {

uint32_t Word(const std::string& b, size_t index) {
    uint32_t v = 0;
    std::memcpy(&v, b.data() + index * 4, 4);
    return v;
}

class TwoPhonesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(phones_.Start(2)) << phones_.error(); }
    void TearDown() override { EXPECT_TRUE(phones_.Stop()) << phones_.error(); }
    PhoneFixture phones_;
};

TEST_F(TwoPhonesTest, HostDevicesListsBothAndAdbWithoutSerialRefuses) {
    HostReply reply = HostQuery(phones_.adbPort(), "host:devices");
    ASSERT_EQ(reply.status, "OKAY");
    EXPECT_NE(reply.body.find(phones_.serial(0) + "\tdevice\n"), std::string::npos) << reply.body;
    EXPECT_NE(reply.body.find(phones_.serial(1) + "\tdevice\n"), std::string::npos) << reply.body;

    auto shell = phones_.RunAdb({"shell", "ls"});
    EXPECT_NE(shell.output.find("error: more than one device/emulator"), std::string::npos)
        << shell.output;
    EXPECT_NE(shell.exitCode, 0);
    auto install = phones_.RunAdb({"install", "-r", "/nonexistent.apk"});
    EXPECT_NE(install.output.find("adb: error: failed to get feature set: more than one "
                                  "device/emulator"),
              std::string::npos)
        << install.output;
}

TEST_F(TwoPhonesTest, EachPhoneHasItsOwnScreenAndState) {
    phones_.SetScreenSize(1, 480, 800);
    FramebufferRead a = ReadFramebuffer(phones_.adbPort(), phones_.serial(0), 16);
    FramebufferRead b = ReadFramebuffer(phones_.adbPort(), phones_.serial(1), 16);
    ASSERT_EQ(a.bytes.size(), 16u + 320 * 480 * 2);
    ASSERT_EQ(b.bytes.size(), 16u + 480 * 800 * 2);
    EXPECT_EQ(Word(b.bytes, 2), 480u);
    EXPECT_EQ(Word(b.bytes, 3), 800u);
    EXPECT_NE(phones_.stateDir(0), phones_.stateDir(1));
}

class FramebufferTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(phones_.Start(1)) << phones_.error(); }
    void TearDown() override { EXPECT_TRUE(phones_.Stop()) << phones_.error(); }
    FramebufferRead Read(size_t headerBytes) {
        return ReadFramebuffer(phones_.adbPort(), phones_.serial(), headerBytes);
    }
    PhoneFixture phones_;
};

TEST_F(FramebufferTest, LegacyHeaderThenTheRgb565PictureByteForByte) {
    FramebufferRead r = Read(16);
    ASSERT_EQ(r.transportStatus, "OKAY");
    ASSERT_EQ(r.serviceStatus, "OKAY");
    ASSERT_GE(r.bytes.size(), 16u);
    EXPECT_EQ(Word(r.bytes, 0), 16u);
    EXPECT_EQ(Word(r.bytes, 1), 307200u);
    EXPECT_EQ(Word(r.bytes, 2), 320u);
    EXPECT_EQ(Word(r.bytes, 3), 480u);
    EXPECT_TRUE(r.bytes.substr(16) == ExpectedPictureRgb565(320, 480));

    // The split header carries the same bytes; only its timing differs.
    phones_.SetFramebufferMode(0, "split");
    FramebufferRead split = Read(16);
    EXPECT_TRUE(split.bytes == r.bytes);
}

TEST_F(FramebufferTest, SizeChangesBetweenRequests) {
    phones_.SetScreenSize(0, 1080, 2400);
    FramebufferRead r = Read(16);
    ASSERT_EQ(r.bytes.size(), 16u + 1080 * 2400 * 2);
    EXPECT_EQ(Word(r.bytes, 1), 1080u * 2400 * 2);
    EXPECT_TRUE(r.bytes.substr(16) == ExpectedPictureRgb565(1080, 2400));
    phones_.SetScreenSize(0, 7, 3);
    EXPECT_TRUE(Read(16).bytes.substr(16) == ExpectedPictureRgb565(7, 3));
}

TEST_F(FramebufferTest, VersionedHeadersWithRgbaPixels) {
    phones_.SetFramebufferMode(0, "v1");
    FramebufferRead v1 = Read(52);
    ASSERT_EQ(v1.bytes.size(), 52u + 320 * 480 * 4);
    const uint32_t v1Words[] = {1, 32, 320 * 480 * 4, 320, 480, 0, 8, 16, 8, 8, 8, 24, 8};
    for (size_t i = 0; i < 13; ++i) EXPECT_EQ(Word(v1.bytes, i), v1Words[i]) << "word " << i;
    EXPECT_TRUE(v1.bytes.substr(52) == ExpectedPictureRgba8888(320, 480));

    phones_.SetFramebufferMode(0, "v2");
    FramebufferRead v2 = Read(56);
    ASSERT_EQ(v2.bytes.size(), 56u + 320 * 480 * 4);
    const uint32_t v2Words[] = {2, 32, 0, 320 * 480 * 4, 320, 480, 0, 8, 16, 8, 8, 8, 24, 8};
    for (size_t i = 0; i < 14; ++i) EXPECT_EQ(Word(v2.bytes, i), v2Words[i]) << "word " << i;
    EXPECT_TRUE(v2.bytes.substr(56) == ExpectedPictureRgba8888(320, 480));
}

TEST_F(FramebufferTest, ShortPixelsAndRefusal) {
    phones_.SetFramebufferMode(0, "short");
    FramebufferRead cut = Read(16);
    ASSERT_GT(cut.bytes.size(), 16u);
    EXPECT_EQ(Word(cut.bytes, 1), 307200u);
    std::string pixels = cut.bytes.substr(16);
    EXPECT_LT(pixels.size(), 307200u);
    EXPECT_TRUE(pixels == ExpectedPictureRgb565(320, 480).substr(0, pixels.size()));

    phones_.SetFramebufferMode(0, "refuse");
    FramebufferRead refused = Read(16);
    EXPECT_EQ(refused.transportStatus, "OKAY");
    EXPECT_TRUE(refused.bytes.empty());

    // An unknown serial is refused by the server itself.
    FramebufferRead unknown = ReadFramebuffer(phones_.adbPort(), "127.0.0.1:1", 16);
    EXPECT_EQ(unknown.transportStatus, "FAIL");
}

}  // namespace
}  // namespace nimbo::test
