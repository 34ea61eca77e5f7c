#include "capture/capture_framebuffer.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <stop_token>
#include <thread>

#include "support/scripted_server.h"

namespace nimbo {
namespace {

using namespace std::chrono_literals;
using test::EndpointAt;
using test::ScriptedServer;
using test::Words;

constexpr const char* kSerial = "HT9CYP800123";  // 12 characters: "001B" framing
const std::string kTransport = "001Bhost:transport:HT9CYP800123";
const std::string kFramebuffer = "000cframebuffer:";

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + 3);
    return s;
}

// Transport switch and service request answered "OKAY".
ScriptedServer& Switched(ScriptedServer& s) {
    return s.ReadRequest().Send("OKAY").ReadRequest().Send("OKAY");
}

TEST(CaptureFramebuffer, ClassicHeaderGivesTheBlockByteForByte) {
    const std::string block = Pattern(320 * 480 * 2);
    ScriptedServer server;
    Switched(server).Send(Words({16, 307200, 320, 480})).Read(1).Send(block).Start();

    const FramebufferCapture cap = CaptureFramebuffer(kSerial, EndpointAt(server.port()));
    ASSERT_EQ(cap.code, CaptureResult::Done);
    ASSERT_TRUE(cap.header.has_value());
    EXPECT_EQ(cap.header->width, 320u);
    EXPECT_EQ(cap.header->height, 480u);
    EXPECT_EQ(cap.header->size, 307200u);
    EXPECT_EQ(cap.format, FramebufferPixels::Rgb565);
    EXPECT_EQ(cap.stride, 640u);
    EXPECT_EQ(std::string(cap.pixels.begin(), cap.pixels.end()), block);
    // Upper-case digits for the switch, lower case for the service, then one byte.
    EXPECT_EQ(server.Received(), kTransport + kFramebuffer + "0");
    EXPECT_TRUE(server.ClientClosed());
}

TEST(CaptureFramebuffer, FirstWordOtherThanAVersionIsStillRgb565) {
    ScriptedServer server;
    Switched(server).Send(Words({32, 8, 2, 2})).Read(1).Send(Pattern(8)).Start();
    const FramebufferCapture cap = CaptureFramebuffer(kSerial, EndpointAt(server.port()));
    ASSERT_EQ(cap.code, CaptureResult::Done);
    EXPECT_EQ(cap.header->bpp, 32u);
    EXPECT_EQ(cap.format, FramebufferPixels::Rgb565);
    EXPECT_EQ(std::string(cap.pixels.begin(), cap.pixels.end()), Pattern(8));
}

TEST(CaptureFramebuffer, EmptySerialOpensAndClosesWithoutSending) {
    ScriptedServer server;
    server.Start();
    const FramebufferCapture cap = CaptureFramebuffer("", EndpointAt(server.port()));
    EXPECT_EQ(cap.code, CaptureResult::NoDevice);
    EXPECT_FALSE(cap.header.has_value());
    EXPECT_TRUE(server.Connected());
    EXPECT_EQ(server.Received(), "");
    EXPECT_TRUE(server.ClientClosed());
}

TEST(CaptureFramebuffer, SendFailures) {
    EXPECT_EQ(CaptureFramebuffer(kSerial, EndpointAt(ScriptedServer::UnusedPort())).code,
              CaptureResult::SendFailed);

    // A serial too long for the request buffer is refused, not sent cut short.
    ScriptedServer server;
    server.Start();
    EXPECT_EQ(CaptureFramebuffer(std::string(236, 's'), EndpointAt(server.port())).code,
              CaptureResult::SendFailed);
    EXPECT_EQ(server.Received(), "");
}

TEST(CaptureFramebuffer, StatusFailuresEndTheExchange) {
    ScriptedServer unknownSerial;
    unknownSerial.ReadRequest().Send("FAIL0015device 'x' not found").Start();
    EXPECT_EQ(CaptureFramebuffer(kSerial, EndpointAt(unknownSerial.port())).code,
              CaptureResult::ReceiveFailed);
    EXPECT_EQ(unknownSerial.Received(), kTransport);  // no service request after FAIL

    ScriptedServer closes;
    closes.ReadRequest().Close().Start();
    EXPECT_EQ(CaptureFramebuffer(kSerial, EndpointAt(closes.port())).code,
              CaptureResult::ReceiveFailed);

    ScriptedServer serviceRefused;
    serviceRefused.ReadRequest().Send("OKAY").ReadRequest().Send("FAIL").Start();
    EXPECT_EQ(CaptureFramebuffer(kSerial, EndpointAt(serviceRefused.port())).code,
              CaptureResult::ReceiveFailed);
    EXPECT_EQ(serviceRefused.Received(), kTransport + kFramebuffer);
}

TEST(CaptureFramebuffer, HeaderMustArriveInOneReceive) {
    const std::string header = Words({16, 8, 2, 2});
    ScriptedServer server;
    // The second half follows only after the client has given up (or a second).
    Switched(server).Send(header.substr(0, 8)).AwaitClientClose(1000ms).Send(header.substr(8));
    server.Send(Pattern(8)).Start();
    const FramebufferCapture cap = CaptureFramebuffer(kSerial, EndpointAt(server.port()));
    EXPECT_EQ(cap.code, CaptureResult::ReceiveFailed);
    EXPECT_FALSE(cap.header.has_value());
}

TEST(CaptureFramebuffer, ShortBlockKeepsTheHeaderForTheWindow) {
    ScriptedServer server;
    Switched(server).Send(Words({16, 307200, 320, 480})).Read(1).Send(Pattern(1000)).Close();
    server.Start();
    const FramebufferCapture cap = CaptureFramebuffer(kSerial, EndpointAt(server.port()));
    EXPECT_EQ(cap.code, CaptureResult::ReceiveError);
    ASSERT_TRUE(cap.header.has_value());
    EXPECT_EQ(cap.header->width, 320u);
    EXPECT_EQ(cap.header->height, 480u);
    EXPECT_TRUE(cap.pixels.empty());
}

long PeakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(CaptureFramebuffer, AFrameThatNeverComesCostsNoMemory) {
    // 10240 x 10240 x 2 = 200 MiB promised, 1000 bytes sent.
    ScriptedServer server;
    Switched(server).Send(Words({16, 10240u * 10240u * 2u, 10240, 10240})).Read(1);
    server.Send(Pattern(1000)).Close().Start();
    const long before = PeakResidentKiB();
    EXPECT_EQ(CaptureFramebuffer(kSerial, EndpointAt(server.port())).code,
              CaptureResult::ReceiveError);
    EXPECT_LT(PeakResidentKiB() - before, 64L * 1024);
}

TEST(CaptureFramebuffer, LyingHeaderIsRefusedBeforeAnythingIsRead) {
    for (const std::string& header : {
             Words({16, 1000, 320, 480}),                        // size below width x height x 2
             Words({16, 0xFFFFFFFF, 0x10000, 0x10000}),          // absurd size
             Words({16, 0, 0, 0}),                               // no picture at all
             Words({1, 32, 8, 2, 2, 0, 8, 16, 8, 8, 8, 24, 8}),  // 4 pixels of 4 bytes in 8
         }) {
        ScriptedServer server;
        Switched(server).Send(header).Start();
        const FramebufferCapture cap = CaptureFramebuffer(kSerial, EndpointAt(server.port()));
        EXPECT_EQ(cap.code, CaptureResult::ReceiveError);
        EXPECT_FALSE(cap.header.has_value());
        // Refused before the frame was asked for.
        EXPECT_EQ(server.Received(), kTransport + kFramebuffer);
    }
}

TEST(CaptureFramebuffer, SilentDeviceIsGivenUp) {
    ScriptedServer server;
    Switched(server).Hang().Start();
    EXPECT_EQ(CaptureFramebuffer(kSerial, EndpointAt(server.port(), 200ms)).code,
              CaptureResult::ReceiveFailed);
    EXPECT_TRUE(server.ClientClosed());
}

TEST(CaptureFramebuffer, AStopEndsAWaitForThePixelsAtOnce) {
    // Each receive may wait ten minutes: only the stop can end this capture
    // before the test's own time-out.
    ScriptedServer server;
    Switched(server).Send(Words({16, 307200, 320, 480})).Read(1).Hang().Start();
    std::stop_source stop;
    // Most likely the capture waits for the pixel block by then; wherever it
    // is, the stop ends it.
    std::thread stopper([&] {
        std::this_thread::sleep_for(200ms);
        stop.request_stop();
    });
    const FramebufferCapture cap =
        CaptureFramebuffer(kSerial, EndpointAt(server.port(), 600s), kFrameLimit, stop.get_token());
    stopper.join();
    EXPECT_NE(cap.code, CaptureResult::Done);
    EXPECT_TRUE(cap.pixels.empty());
    EXPECT_TRUE(server.ClientClosed());
}

// Red, green, blue, white as R,G,B,A bytes (the layout Android reports for
// RGBA_8888: red at bit 0, green 8, blue 16, alpha 24).
const std::string kRgbaPixels("\xFF\x00\x00\xFF\x00\xFF\x00\xFF\x00\x00\xFF\xFF\xFF\xFF\xFF\xFF",
                              16);
const std::string kRgbExpected("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12);

TEST(CaptureFramebuffer, VersionOneHeaderWith32BitPixels) {
    ScriptedServer server;
    // version, bpp, size, width, height, red, blue, green, alpha (offset, length)
    Switched(server).Send(Words({1, 32, 16, 2, 2, 0, 8, 16, 8, 8, 8, 24, 8}) + kRgbaPixels);
    server.Start();
    const FramebufferCapture cap = CaptureFramebuffer(kSerial, EndpointAt(server.port()));
    ASSERT_EQ(cap.code, CaptureResult::Done);
    EXPECT_EQ(cap.header->version, 1u);
    EXPECT_EQ(cap.format, FramebufferPixels::Rgb24);
    EXPECT_EQ(cap.stride, 6u);
    EXPECT_EQ(std::string(cap.pixels.begin(), cap.pixels.end()), kRgbExpected);
    EXPECT_EQ(server.Received(), kTransport + kFramebuffer + "0");  // trigger is harmless
}

TEST(CaptureFramebuffer, VersionTwoHeaderWithBgraPixels) {
    // Same colours stored B,G,R,A: blue at bit 0, red at bit 16.
    const std::string bgra("\x00\x00\xFF\xFF\x00\xFF\x00\xFF\xFF\x00\x00\xFF\xFF\xFF\xFF\xFF", 16);
    ScriptedServer server;
    Switched(server).Send(Words({2, 32, 1, 16, 2, 2, 16, 8, 0, 8, 8, 8, 24, 8}) + bgra).Start();
    const FramebufferCapture cap = CaptureFramebuffer(kSerial, EndpointAt(server.port()));
    ASSERT_EQ(cap.code, CaptureResult::Done);
    EXPECT_EQ(cap.header->version, 2u);
    EXPECT_EQ(cap.header->colorSpace, 1u);
    EXPECT_EQ(cap.header->width, 2u);
    EXPECT_EQ(std::string(cap.pixels.begin(), cap.pixels.end()), kRgbExpected);
}

TEST(FramebufferPixels, SixteenBitLayoutsOfNewerHeaders) {
    FramebufferHeader h;
    h.version = 1;
    h.bpp = 16;
    h.width = 2;
    h.height = 1;
    h.size = 4;
    h.red = {11, 5};
    h.green = {5, 6};
    h.blue = {0, 5};
    const std::vector<uint8_t> block = {0x1F, 0xF8, 0x10, 0x84};
    FramebufferCapture plain;
    StoreFramebufferPixels(h, block, plain);
    EXPECT_EQ(plain.format, FramebufferPixels::Rgb565);  // kept byte for byte
    EXPECT_EQ(plain.pixels, block);

    // BGR565: blue in the high bits. 0xF81F -> blue 31, red 31; 0x8410 -> 16, 32, 16.
    h.red = {0, 5};
    h.blue = {11, 5};
    FramebufferCapture swapped;
    StoreFramebufferPixels(h, block, swapped);
    EXPECT_EQ(swapped.format, FramebufferPixels::Rgb24);
    // Widening repeats the high bits: 31 -> 255, 16 (5 bits) -> 132, 32 (6 bits) -> 130.
    EXPECT_EQ(swapped.pixels, (std::vector<uint8_t>{255, 0, 255, 132, 130, 132}));
}

TEST(FramebufferHeaderDecoding, LayoutsThatCannotDescribeThePixelsAreRefused) {
    auto decode = [](const std::string& s) {
        return DecodeFramebufferHeader(
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(s.data()), s.size()));
    };
    EXPECT_TRUE(decode(Words({1, 32, 16, 2, 2, 0, 8, 16, 8, 8, 8, 24, 8})));
    EXPECT_FALSE(decode(Words({1, 8, 4, 2, 2, 0, 2, 2, 2, 4, 2, 6, 2})));       // 8 bpp
    EXPECT_FALSE(decode(Words({1, 32, 16, 2, 2, 28, 8, 16, 8, 8, 8, 24, 8})));  // past bit 31
    EXPECT_FALSE(decode(Words({1, 32, 16, 2, 2, 0, 40, 16, 8, 8, 8, 24, 8})));  // 40-bit red
    EXPECT_FALSE(decode(Words({1, 32, 16, 2, 2, 0, 8, 16, 8})));                // cut short
    EXPECT_FALSE(decode(Words({16, 8, 2})));
    EXPECT_EQ(FramebufferHeaderSize(2), 56u);
    EXPECT_EQ(FramebufferHeaderSize(1), 52u);
    EXPECT_EQ(FramebufferHeaderSize(16), 16u);
    EXPECT_EQ(FramebufferHeaderSize(0), 16u);
}

TEST(CaptureResultText, EveryCodeHasItsStatusText) {
    EXPECT_STREQ(CaptureResultText(CaptureResult::NoDevice), "没有找到设备");
    EXPECT_STREQ(CaptureResultText(CaptureResult::SendFailed), "发送数据失败");
    EXPECT_STREQ(CaptureResultText(CaptureResult::ReceiveFailed), "接收数据失败");
    EXPECT_STREQ(CaptureResultText(CaptureResult::ReceiveError), "接收产生异常");
    EXPECT_STREQ(CaptureResultText(CaptureResult::ImageEmpty), "图片打开为空");
    EXPECT_STREQ(CaptureResultText(CaptureResult::Done), "成功完成");
}

}  // namespace
}  // namespace nimbo
