// What the host server may answer instead of what it should: refusals with
// and without a reason, connections cut after two bytes, and frame headers
// that promise more than they send. Each must end as a plain failure code
// that the window turns into a message, never a crash or a wait without end.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "adblink/device_list.h"
#include "capture/capture_framebuffer.h"
#include "support/scripted_server.h"

namespace nimbo {
namespace {

using namespace std::chrono_literals;
using test::EndpointAt;
using test::ScriptedServer;
using test::Words;

// What adb 29 itself sends for an unknown serial, and a bare refusal.
const std::string kFailWithReason = "FAIL0019device 'nosuch' not found";
const std::string kFailWithoutReason = "FAIL";

TEST(HostileServer, RefusalsWithOrWithoutAReasonAreRejectionsOfTheDeviceList) {
    for (const std::string& refusal : {kFailWithReason, kFailWithoutReason, std::string("FA")}) {
        ScriptedServer server;
        server.ReadRequest().Send(refusal).Start();
        const auto rows = FetchDeviceList(EndpointAt(server.port()));
        ASSERT_FALSE(rows.ok()) << refusal;
        EXPECT_EQ(rows.error(), DeviceListError::Rejected) << refusal;
        EXPECT_TRUE(server.ClientClosed()) << refusal;
    }
}

TEST(HostileServer, RefusalAtEitherStepOfACaptureIsAFailedReceive) {
    for (const std::string& refusal : {kFailWithReason, kFailWithoutReason}) {
        ScriptedServer atSwitch;
        atSwitch.ReadRequest().Send(refusal).Close().Start();
        EXPECT_EQ(CaptureFramebuffer("emulator-5554", EndpointAt(atSwitch.port())).code,
                  CaptureResult::ReceiveFailed);

        ScriptedServer atService;
        atService.ReadRequest().Send("OKAY").ReadRequest().Send(refusal).Close().Start();
        const FramebufferCapture cap =
            CaptureFramebuffer("emulator-5554", EndpointAt(atService.port()));
        EXPECT_EQ(cap.code, CaptureResult::ReceiveFailed);
        EXPECT_FALSE(cap.header.has_value());
    }
}

TEST(HostileServer, ConnectionClosedAfterTwoBytesAtEveryStep) {
    ScriptedServer statusCut;
    statusCut.ReadRequest().Send("OK").Close().Start();
    const auto rows = FetchDeviceList(EndpointAt(statusCut.port()));
    ASSERT_FALSE(rows.ok());
    EXPECT_EQ(rows.error(), DeviceListError::Rejected);

    // Two of the reply's four length digits: an empty list, not a broken row.
    ScriptedServer replyCut;
    replyCut.ReadRequest().Send("OKAY00").Close().Start();
    const auto empty = FetchDeviceList(EndpointAt(replyCut.port()));
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty.value().empty());

    ScriptedServer switchCut;
    switchCut.ReadRequest().Send("OK").Close().Start();
    EXPECT_EQ(CaptureFramebuffer("emulator-5554", EndpointAt(switchCut.port())).code,
              CaptureResult::ReceiveFailed);

    ScriptedServer headerCut;
    headerCut.ReadRequest()
        .Send("OKAY")
        .ReadRequest()
        .Send("OKAY")
        .Send(std::string("\x10\x00", 2))
        .Close()
        .Start();
    const FramebufferCapture cap =
        CaptureFramebuffer("emulator-5554", EndpointAt(headerCut.port()));
    EXPECT_EQ(cap.code, CaptureResult::ReceiveFailed);
    EXPECT_FALSE(cap.header.has_value());

    ScriptedServer blockCut;
    blockCut.ReadRequest()
        .Send("OKAY")
        .ReadRequest()
        .Send("OKAY")
        .Send(Words({16, 8, 2, 2}))
        .Read(1)
        .Send("\x01\x02")
        .Close()
        .Start();
    const FramebufferCapture partial =
        CaptureFramebuffer("emulator-5554", EndpointAt(blockCut.port()));
    EXPECT_EQ(partial.code, CaptureResult::ReceiveError);
    EXPECT_TRUE(partial.header.has_value());
    EXPECT_TRUE(partial.pixels.empty());
}

TEST(HostileServer, FrameTrickledWithinEveryReceivesTimeOutIsGivenUpAtTheFrameLimit) {
    // A 4 x 4 frame (32 bytes) one byte every 100 ms: each receive is answered
    // well within its 5 s, but the whole block takes 3.2 s. With a 1 s limit
    // for the block the capture gives up; without it, the window would wait
    // for as long as the peer cares to trickle.
    auto trickle = [](ScriptedServer& server) {
        server.ReadRequest().Send("OKAY").ReadRequest().Send("OKAY").Send(Words({16, 32, 4, 4}));
        server.Read(1);
        for (int i = 0; i < 32; ++i) server.Send(std::string(1, '\x7f')).Pause(100ms);
        server.Start();
    };
    ScriptedServer slow;
    trickle(slow);
    const FramebufferCapture given =
        CaptureFramebuffer("emulator-5554", EndpointAt(slow.port()), 1000ms);
    EXPECT_EQ(given.code, CaptureResult::ReceiveError);
    EXPECT_TRUE(given.header.has_value());
    EXPECT_TRUE(given.pixels.empty());

    // The same trickle within the default limit is a frame like any other.
    ScriptedServer patient;
    trickle(patient);
    const FramebufferCapture whole =
        CaptureFramebuffer("emulator-5554", EndpointAt(patient.port()));
    EXPECT_EQ(whole.code, CaptureResult::Done);
    EXPECT_EQ(whole.pixels.size(), 32u);
}

TEST(HostileServer, HeadersPromisingMoreThanTheyHoldAreRefusedBeforeAllocating) {
    struct Case {
        const char* what;
        std::string header;
    };
    const Case cases[] = {
        {"4 GB block for a phone-sized screen", Words({16, 0xFFFFFFFFu, 1080, 1920})},
        {"width x height x 2 larger than the size", Words({16, 1080 * 1920, 1080, 1920})},
        {"size just one byte short", Words({16, 7, 2, 2})},
        {"dimensions whose product overflows 32 bits", Words({16, 0x10000000, 0x10000, 0x10000})},
        {"newer header, 4 GB at 32 bits per pixel",
         Words({2, 32, 0, 0xFFFFFFFFu, 32768, 32768, 0, 8, 16, 8, 8, 8, 24, 8})},
        {"newer header, channel beyond its pixel",
         Words({1, 16, 8, 2, 2, 30, 8, 0, 5, 5, 6, 0, 0})},
    };
    for (const Case& c : cases) {
        ScriptedServer server;
        server.ReadRequest().Send("OKAY").ReadRequest().Send("OKAY").Send(c.header).Start();
        const FramebufferCapture cap =
            CaptureFramebuffer("emulator-5554", EndpointAt(server.port()));
        EXPECT_EQ(cap.code, CaptureResult::ReceiveError) << c.what;
        EXPECT_FALSE(cap.header.has_value()) << c.what;
        EXPECT_TRUE(cap.pixels.empty()) << c.what;
    }
}

TEST(HostileServer, ServerThatAcceptsAndNeverAnswersIsGivenUpWithinItsTimeOut) {
    AdbEndpoint quick;
    quick.timeouts = {500ms, 300ms};
    ScriptedServer listSilent;
    listSilent.Hang().Start();
    quick.port = listSilent.port();
    const auto rows = FetchDeviceList(quick);
    ASSERT_FALSE(rows.ok());
    EXPECT_EQ(rows.error(), DeviceListError::TimedOut);

    ScriptedServer captureSilent;
    captureSilent.ReadRequest().Send("OKAY").ReadRequest().Send("OKAY").Hang().Start();
    quick.port = captureSilent.port();
    EXPECT_EQ(CaptureFramebuffer("emulator-5554", quick).code, CaptureResult::ReceiveFailed);
    EXPECT_TRUE(captureSilent.ClientClosed());
}

}  // namespace
}  // namespace nimbo
