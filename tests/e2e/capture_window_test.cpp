// The screenshot window end to end: opened from the main window, capturing
// from a simulated phone through the real adb server, saving in every format;
// the files are read back by ImageMagick.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <cstdio>
#include <filesystem>

#include "capture/gui/screenshot_dialog.h"
#include "capture/screenshot_window_access.h"
#include "support/phone_fixture.h"
#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"
#include "ui/qt/dialog.h"

namespace nimbo {
namespace {

using test::List;
using test::MainWindowHarness;
using test::PhoneFixture;
using test::Press;
namespace fs = std::filesystem;

// The simulated phone's screen: red across, green down, a blue checkerboard.
struct Rgb {
    int r, g, b;
};
Rgb PhonePixel(int x, int y, int width, int height) {
    return {x * 255 / (width - 1), y * 255 / (height - 1), ((x / 32 + y / 32) & 1) ? 224 : 32};
}
// As it arrives in RGB565 and is widened again for the screen.
Rgb Through565(Rgb p) {
    const int r = p.r >> 3, g = p.g >> 2, b = p.b >> 3;
    return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
}

// "WIDTHxHEIGHT FORMAT" as ImageMagick reads the file.
std::string Identify(const fs::path& file) {
    const std::string command = "identify -format '%wx%h %m' '" + file.string() + "' 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return "cannot run identify";
    std::string out;
    char buf[256];
    while (size_t n = std::fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
    ::pclose(pipe);
    return out;
}

// Compares the picture area, as painted, with the phone's screen.
void ExpectScreenShown(ScreenshotDialog& w, int width, int height, bool widened) {
    const QImage painted = test::PaintedPicture(w);
    const int shownWidth = std::min(width, painted.width());
    const int shownHeight = std::min(height, painted.height());
    ASSERT_GT(shownWidth, 100);
    ASSERT_GT(shownHeight, 100);
    int wrong = 0;
    for (int y = 0; y < shownHeight; ++y) {
        for (int x = 0; x < shownWidth; ++x) {
            Rgb want = PhonePixel(x, y, width, height);
            if (widened) want = Through565(want);
            const QRgb got = painted.pixel(x, y);
            if (qRed(got) != want.r || qGreen(got) != want.g || qBlue(got) != want.b) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(CaptureWindowE2E, RefreshShowsThePhoneAndEveryFormatSaves) {
    // The window first: its start-up stops whatever adb server the
    // environment names, so the phone's private server comes after it.
    MainWindowHarness harness(MainWindowHarness::Adb::Real);
    MainDialog& main = harness.Open();
    PhoneFixture phones;
    ASSERT_TRUE(phones.Start(1)) << phones.error();
    {
        harness.Click(ids::kRefreshDevicesButton);
        ASSERT_EQ(harness.Text(ids::kCurrentDevice), phones.serial(0));
        harness.Click(ids::kScreenshotButton);
        QApplication::processEvents();
        auto windows = test::ScreenshotWindowsOf(main);
        ASSERT_EQ(windows.size(), 1u);
        ScreenshotDialog& w = *windows[0];
        EXPECT_EQ(w.ItemTextNow(ids::kShotDeviceField), phones.serial(0));

        Press(w, ids::kShotRefreshButton);
        ASSERT_EQ(w.ItemTextNow(ids::kShotStatus), "成功完成");
        EXPECT_EQ(w.ItemTextNow(ids::kShotResolutionField), "320x480");
        EXPECT_EQ(w.ItemTextNow(ids::kShotScaleField), "100 %");
        ExpectScreenShown(w, 320, 480, true);

        const fs::path docs = harness.Context().paths.documentsDir;
        struct Case {
            const char* format;
            int sizeIndex;
            const char* expected;
            const char* status;
        };
        const Case cases[] = {
            {"JPG", 0, "320x480 JPEG", "保存完成!"},
            {"BMP", 1, "256x384 BMP", "保存完成!"},
            {"PNG", 2, "213x320 PNG", "保存完成!"},
            {"GIF", 4, "320x480 GIF", "保存完成,GIF不支持缩放"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.format);
            List(w, ids::kShotFormatList)->setCurrentText(c.format);
            List(w, ids::kShotSizeList)->setCurrentIndex(c.sizeIndex);
            Press(w, ids::kShotSaveButton);
            EXPECT_EQ(w.ItemTextNow(ids::kShotStatus), c.status);
            std::string ext = c.format;
            for (char& ch : ext) ch = static_cast<char>(std::tolower(ch));
            // ImageMagick may add the header version ("BMP3").
            EXPECT_THAT(Identify(docs / ("20261208-214908." + ext)),
                        ::testing::StartsWith(c.expected));
        }

        // A phone of this decade: the newer header and 32-bit pixels, shown
        // without any loss of colour.
        phones.SetFramebufferMode(0, "v2");
        phones.SetScreenSize(0, 1080, 2400);
        Press(w, ids::kShotRefreshButton);
        ASSERT_EQ(w.ItemTextNow(ids::kShotStatus), "成功完成");
        EXPECT_EQ(w.ItemTextNow(ids::kShotResolutionField), "1080x2400");
        EXPECT_EQ(w.ItemTextNow(ids::kShotScaleField), "500 %");
        ExpectScreenShown(w, 1080, 2400, false);
        List(w, ids::kShotFormatList)->setCurrentText("PNG");
        List(w, ids::kShotSizeList)->setCurrentIndex(4);
        Press(w, ids::kShotSaveButton);
        EXPECT_EQ(Identify(docs / "20261208-214908.png"), "540x1200 PNG");
    }
    EXPECT_TRUE(phones.Stop()) << phones.error();
}

}  // namespace
}  // namespace nimbo
