// The device list and the screen capture against the real adb server with
// simulated phones behind it.
#include <gtest/gtest.h>

#include <algorithm>

#include "adblink/device_list.h"
#include "capture/capture_framebuffer.h"
#include "support/phone_fixture.h"

namespace nimbo {
namespace {

using test::PhoneFixture;

AdbEndpoint Server() {
    return DefaultAdbEndpoint(kCaptureTimeouts);
}

TEST(DeviceLinkE2E, ListsEveryConnectedPhone) {
    PhoneFixture phones;
    ASSERT_TRUE(phones.Start(2)) << phones.error();
    auto rows = FetchDeviceList(DefaultAdbEndpoint(kDeviceListTimeouts));
    ASSERT_TRUE(rows.ok());
    ASSERT_EQ(rows->size(), 2u);
    std::vector<std::string> serials = {(*rows)[0].serial, (*rows)[1].serial};
    std::sort(serials.begin(), serials.end());
    std::vector<std::string> expected = {phones.serial(0), phones.serial(1)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(serials, expected);
    EXPECT_EQ((*rows)[0].numberText, "1");
    EXPECT_EQ((*rows)[1].numberText, "2");
    EXPECT_TRUE(phones.Stop()) << phones.error();
}

TEST(DeviceLinkE2E, CapturesEveryHeaderKind) {
    PhoneFixture phones;
    ASSERT_TRUE(phones.Start(1)) << phones.error();
    const std::string serial = phones.serial(0);

    FramebufferCapture classic = CaptureFramebuffer(serial, Server());
    ASSERT_EQ(classic.code, CaptureResult::Done);
    EXPECT_EQ(classic.header->width, 320u);
    EXPECT_EQ(classic.header->height, 480u);
    EXPECT_EQ(classic.format, FramebufferPixels::Rgb565);
    EXPECT_EQ(classic.pixels.size(), 320u * 480u * 2u);

    for (const char* mode : {"v1", "v2"}) {
        SCOPED_TRACE(mode);
        phones.SetFramebufferMode(0, mode);
        FramebufferCapture cap = CaptureFramebuffer(serial, Server());
        ASSERT_EQ(cap.code, CaptureResult::Done);
        EXPECT_EQ(cap.format, FramebufferPixels::Rgb24);
        ASSERT_EQ(cap.pixels.size(), 320u * 480u * 3u);
        // The test picture: red grows left to right, green top to bottom.
        const size_t last = cap.stride * 479 + 319 * 3;
        EXPECT_EQ(cap.pixels[0], 0);
        EXPECT_EQ(cap.pixels[1], 0);
        EXPECT_EQ(cap.pixels[last], 255);
        EXPECT_EQ(cap.pixels[last + 1], 255);
    }

    phones.SetFramebufferMode(0, "short");
    FramebufferCapture cut = CaptureFramebuffer(serial, Server());
    EXPECT_EQ(cut.code, CaptureResult::ReceiveError);
    EXPECT_TRUE(cut.header.has_value());

    phones.SetFramebufferMode(0, "refuse");
    EXPECT_EQ(CaptureFramebuffer(serial, Server()).code, CaptureResult::ReceiveFailed);

    EXPECT_EQ(CaptureFramebuffer("no-such-phone", Server()).code, CaptureResult::ReceiveFailed);
    EXPECT_TRUE(phones.Stop()) << phones.error();
}

}  // namespace
}  // namespace nimbo
