// The screenshot window against scripted host servers: what each capture
// result leaves in the window's fields, lists and pictures, and the save and
// open-folder buttons around it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QPointer>
#include <filesystem>

#include "capture/gui/capture_picture_area.h"
#include "capture/gui/screenshot_dialog.h"
#include "capture/image_readers.h"
#include "capture/image_save.h"
#include "capture/screenshot_window_access.h"
#include "support/fakes.h"
#include "support/scripted_server.h"
#include "support/test_paths.h"
#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"
#include "ui/qt/dialog.h"

namespace nimbo {
namespace {

using namespace std::chrono_literals;
using test::Entries;
using test::List;
using test::Press;
using test::ScriptedServer;
using test::Words;
using ui::qt::WidgetOf;
using ui::qt::WindowOf;
namespace fs = std::filesystem;

// A screen whose every pixel tells where it is: red from x, green from y,
// blue from both.
uint16_t ScreenWord(int x, int y, int seed = 0) {
    return static_cast<uint16_t>((((x + seed) & 31) << 11) | ((y & 63) << 5) | ((x + y) & 31));
}
std::string Screen565(int width, int height, int seed = 0) {
    std::string block;
    block.reserve(size_t(width) * height * 2);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint16_t w = ScreenWord(x, y, seed);
            block.push_back(static_cast<char>(w & 0xFF));
            block.push_back(static_cast<char>(w >> 8));
        }
    }
    return block;
}
QRgb Widened(uint16_t w) {
    return qRgb(imaging::Widen5(w >> 11), imaging::Widen6((w >> 5) & 63), imaging::Widen5(w & 31));
}

// Transport switch and service answered "OKAY", then the header.
ScriptedServer& Switched(ScriptedServer& s) {
    return s.ReadRequest().Send("OKAY").ReadRequest().Send("OKAY");
}
void ServeClassic(ScriptedServer& s, int width, int height, int seed = 0) {
    const std::string block = Screen565(width, height, seed);
    Switched(s)
        .Send(Words({16, uint32_t(block.size()), uint32_t(width), uint32_t(height)}))
        .Read(1)
        .Send(block)
        .Start();
}

class ScreenshotWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        documents_ = temp_.path() / "Documents";
        fs::create_directories(documents_);
        context_.paths.documentsDir = documents_;
        context_.shell = &shell_;
        context_.dialogs = &dialogs_;
        context_.clock = &clock_;
    }

    // A shown window whose captures go to `port_`.
    std::unique_ptr<ScreenshotDialog> Open(const std::string& serial = "HT9CYP800123") {
        auto w = std::make_unique<ScreenshotDialog>(context_, state_, serial, nullptr,
                                                    [this] { return test::EndpointAt(port_); });
        w->Create();
        QApplication::processEvents();
        return w;
    }
    static std::string Text(ScreenshotDialog& w, int id) { return w.ItemTextNow(id); }
    static bool AutoNameChecked(ScreenshotDialog& w) {
        return qobject_cast<QCheckBox*>(WidgetOf(w, ids::kShotAutoNameCheck))->isChecked();
    }
    static int IconOf(ScreenshotDialog& w, int id) {
        return WidgetOf(w, id)->property("iconId").toInt();
    }
    void Capture(ScreenshotDialog& w, int width, int height) {
        ScriptedServer server;
        ServeClassic(server, width, height);
        port_ = server.port();
        Press(w, ids::kShotRefreshButton);
        ASSERT_EQ(Text(w, ids::kShotStatus), "成功完成");
    }

    test::TempDir temp_;
    fs::path documents_;
    test::ScriptedDialogs dialogs_;
    test::RecordingShell shell_;
    test::FakeClock clock_;
    AppContext context_;
    // Shared by every window the test opens, as the session's is.
    CaptureState state_;
    uint16_t port_ = ScriptedServer::UnusedPort();
};

TEST_F(ScreenshotWindowTest, OpensWithItsDeviceAndNothingCaptured) {
    auto w = Open("emulator-5554");
    EXPECT_TRUE(w->IsWindowVisible());
    EXPECT_EQ(WindowOf(*w).windowTitle().toStdString(), "屏幕截图 - Nimbo");
    EXPECT_EQ(Text(*w, ids::kShotDeviceField), "emulator-5554");
    EXPECT_EQ(Text(*w, ids::kShotStatus), "未知");
    EXPECT_EQ(List(*w, ids::kShotSizeList)->count(), 0);
    EXPECT_EQ(List(*w, ids::kShotSizeList)->currentIndex(), -1);
    EXPECT_EQ(List(*w, ids::kShotQualityList)->currentText().toStdString(), "100");
    EXPECT_EQ(List(*w, ids::kShotFormatList)->currentText().toStdString(), "JPG");
    EXPECT_EQ(Entries(*w, ids::kShotFormatList),
              (std::vector<std::string>{"JPG", "BMP", "PNG", "GIF"}));
    EXPECT_EQ(Entries(*w, ids::kShotQualityList),
              (std::vector<std::string>{"100", "90", "80", "70"}));
    EXPECT_TRUE(AutoNameChecked(*w));
    EXPECT_EQ(IconOf(*w, ids::kShotSaveButton), 155);
    EXPECT_EQ(IconOf(*w, ids::kShotRefreshButton), 148);
    EXPECT_EQ(IconOf(*w, ids::kShotOpenFolderButton), 136);
    EXPECT_EQ(w->PictureArea()->Drawing().Width(), 0);
    EXPECT_FALSE(w->CapturedImage().has_value());
    EXPECT_TRUE(w->PixelBuffer().empty());
}

TEST_F(ScreenshotWindowTest, SuccessfulCaptureFillsFieldsListAndPicture) {
    auto w = Open();
    ScriptedServer server;
    ServeClassic(server, 320, 480);
    port_ = server.port();
    Press(*w, ids::kShotRefreshButton);
    EXPECT_EQ(Text(*w, ids::kShotStatus), "成功完成");
    EXPECT_EQ(Text(*w, ids::kShotResolutionField), "320x480");
    EXPECT_EQ(Text(*w, ids::kShotScaleField), "100 %");
    EXPECT_EQ(Entries(*w, ids::kShotSizeList),
              (std::vector<std::string>{"320x480", "256x384", "213x320", "182x274", "160x240"}));
    EXPECT_EQ(List(*w, ids::kShotSizeList)->currentIndex(), 0);
    // Upper-case digits for the switch to the window's own device.
    EXPECT_EQ(server.Received(), "001Bhost:transport:HT9CYP800123000cframebuffer:0");

    ASSERT_TRUE(w->CapturedImage().has_value());
    const imaging::Bitmap& image = *w->CapturedImage();
    EXPECT_EQ(image.Width(), 320);
    EXPECT_EQ(image.Height(), 480);
    EXPECT_EQ(image.Format(), imaging::PixelFormat::Rgb565);
    const std::string block = Screen565(320, 480);
    EXPECT_EQ(w->PixelBuffer(), std::vector<uint8_t>(block.begin(), block.end()));
    // An independent copy: the kept block can change without touching it.
    EXPECT_NE(image.Row(0), w->PixelBuffer().data());
    EXPECT_EQ(std::memcmp(image.Row(479), block.data() + 479 * 640, 640), 0);

    // The next picture of the same size replaces every row of the last one.
    ScriptedServer next;
    ServeClassic(next, 320, 480, 9);
    port_ = next.port();
    Press(*w, ids::kShotRefreshButton);
    ASSERT_EQ(Text(*w, ids::kShotStatus), "成功完成");
    const std::string nextBlock = Screen565(320, 480, 9);
    ASSERT_TRUE(w->CapturedImage().has_value());
    for (int y = 0; y < 480; ++y) {
        ASSERT_EQ(std::memcmp(w->CapturedImage()->Row(y), nextBlock.data() + y * 640, 640), 0);
    }
    EXPECT_EQ(w->PictureArea()->Drawing().RawPixel(0, 0), Widened(ScreenWord(0, 0, 9)));
}

TEST_F(ScreenshotWindowTest, PictureIsDrawnAtFullSizeFromTheTopLeftAndRepainted) {
    auto w = Open();
    Capture(*w, 480, 800);
    EXPECT_EQ(Text(*w, ids::kShotScaleField), "60 %");
    const QSize shown = test::PictureWidget(*w).size();
    ASSERT_LT(shown.width(), 480);  // the area shows only part of such a screen
    ASSERT_LT(shown.height(), 800);
    const imaging::Canvas& drawing = w->PictureArea()->Drawing();
    EXPECT_EQ(QSize(drawing.Width(), drawing.Height()), shown);
    for (int y = 0; y < shown.height(); y += 7) {
        for (int x = 0; x < shown.width(); x += 5) {
            ASSERT_EQ(drawing.RawPixel(x, y), Widened(ScreenWord(x, y))) << x << "," << y;
        }
    }
    // Whatever covered the window, a new paint shows the same pixels again.
    w->ShowWindow(false);
    w->ShowWindow(true);
    QApplication::processEvents();
    const QImage painted = test::PaintedPicture(*w);
    ASSERT_EQ(painted.size(), shown);
    for (int y = 0; y < shown.height(); y += 7) {
        for (int x = 0; x < shown.width(); x += 5) {
            ASSERT_EQ(painted.pixel(x, y) & 0xFFFFFF, Widened(ScreenWord(x, y)) & 0xFFFFFF)
                << x << "," << y;
        }
    }
}

TEST_F(ScreenshotWindowTest, ScaleReadoutFollowsTheHeight) {
    EXPECT_EQ(ScaleReadout(854), "56 %");
    EXPECT_EQ(ScaleReadout(800), "60 %");
    EXPECT_EQ(ScaleReadout(480), "100 %");
    EXPECT_EQ(ScaleReadout(959), "100 %");
    EXPECT_EQ(ScaleReadout(479), "0 %");
    EXPECT_EQ(ScaleReadout(960), "200 %");
    EXPECT_EQ(ScaleReadout(2400), "500 %");
}

TEST_F(ScreenshotWindowTest, EarlyFailuresEmptyTheListAndKeepThePicture) {
    auto w = Open();
    Capture(*w, 320, 480);
    const std::vector<uint8_t> block = w->PixelBuffer();
    const imaging::Canvas drawing = w->PictureArea()->Drawing();

    struct Case {
        const char* name;
        std::function<void(ScriptedServer&)> script;
        const char* status;
    };
    const Case cases[] = {
        {"no server", nullptr, "发送数据失败"},
        {"unknown serial",
         [](ScriptedServer& s) { s.ReadRequest().Send("FAIL0012device not found").Start(); },
         "接收数据失败"},
        {"closed without reply", [](ScriptedServer& s) { s.ReadRequest().Close().Start(); },
         "接收数据失败"},
        {"service refused",
         [](ScriptedServer& s) {
             s.ReadRequest().Send("OKAY").ReadRequest().Send("FAIL0004nope").Start();
         },
         "接收数据失败"},
        {"header in two pieces",
         [](ScriptedServer& s) {
             const std::string h = Words({16, 8 * 6 * 2, 8, 6});
             Switched(s).Send(h.substr(0, 7)).Pause(300ms).Send(h.substr(7)).Start();
         },
         "接收数据失败"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server;
        if (c.script) {
            c.script(server);
            port_ = server.port();
        } else {
            port_ = ScriptedServer::UnusedPort();
        }
        Press(*w, ids::kShotRefreshButton);
        EXPECT_EQ(Text(*w, ids::kShotStatus), c.status);
        EXPECT_EQ(List(*w, ids::kShotSizeList)->count(), 0);
        // Fields, drawing, kept block and picture are those of the last success.
        EXPECT_EQ(Text(*w, ids::kShotResolutionField), "320x480");
        EXPECT_EQ(Text(*w, ids::kShotScaleField), "100 %");
        EXPECT_TRUE(test::SamePixels(w->PictureArea()->Drawing(), drawing));
        EXPECT_EQ(w->PixelBuffer(), block);
        ASSERT_TRUE(w->CapturedImage().has_value());
        EXPECT_EQ(w->CapturedImage()->Width(), 320);
    }
}

TEST_F(ScreenshotWindowTest, EmptyDeviceFieldSendsNothing) {
    auto w = Open("");
    ScriptedServer server;
    server.Start();
    port_ = server.port();
    Press(*w, ids::kShotRefreshButton);
    EXPECT_EQ(Text(*w, ids::kShotStatus), "没有找到设备");
    EXPECT_EQ(server.Received(), "");
    EXPECT_EQ(List(*w, ids::kShotSizeList)->count(), 0);
}

TEST_F(ScreenshotWindowTest, CutBlockShowsTheNewSizeButSavesTheOldPicture) {
    auto w = Open();
    Capture(*w, 320, 480);
    ScriptedServer server;
    const std::string block = Screen565(480, 800);
    Switched(server)
        .Send(Words({16, uint32_t(block.size()), 480, 800}))
        .Read(1)
        .Send(block.substr(0, block.size() / 3))
        .Close()
        .Start();
    port_ = server.port();
    Press(*w, ids::kShotRefreshButton);
    EXPECT_EQ(Text(*w, ids::kShotStatus), "接收产生异常");
    EXPECT_EQ(Text(*w, ids::kShotResolutionField), "480x800");
    EXPECT_EQ(Entries(*w, ids::kShotSizeList),
              (std::vector<std::string>{"480x800", "384x640", "320x533", "274x457", "240x400"}));
    EXPECT_EQ(Text(*w, ids::kShotScaleField), "100 %");  // still the last success's
    EXPECT_TRUE(w->PixelBuffer().empty());
    ASSERT_TRUE(w->CapturedImage().has_value());
    EXPECT_EQ(w->CapturedImage()->Height(), 480);

    // The full-size entry of the new header is selected; the old picture is
    // written at that size, as the list asks.
    List(*w, ids::kShotFormatList)->setCurrentText("PNG");
    List(*w, ids::kShotSizeList)->setCurrentIndex(4);  // 240x400
    Press(*w, ids::kShotSaveButton);
    EXPECT_EQ(Text(*w, ids::kShotStatus), "保存完成!");
    auto png = test::ReadPng((documents_ / "20261208-214908.png").string());
    ASSERT_TRUE(png.has_value());
    EXPECT_EQ(png->width, 240);
    EXPECT_EQ(png->height, 400);
}

TEST_F(ScreenshotWindowTest, LyingHeaderIsRefusedBeforeTheBlock) {
    auto w = Open();
    Capture(*w, 320, 480);
    ScriptedServer server;
    // Claims a 320 x 480 screen in 100 bytes.
    Switched(server).Send(Words({16, 100, 320, 480})).Send(std::string(100, '\x11')).Start();
    port_ = server.port();
    Press(*w, ids::kShotRefreshButton);
    EXPECT_EQ(Text(*w, ids::kShotStatus), "接收产生异常");
    EXPECT_EQ(List(*w, ids::kShotSizeList)->count(), 0);
    ASSERT_TRUE(w->CapturedImage().has_value());
    EXPECT_EQ(w->CapturedImage()->Width(), 320);
}

TEST_F(ScreenshotWindowTest, NewerHeaderPixelsKeepTheirColours) {
    auto w = Open();
    Capture(*w, 320, 480);
    // Version 1: bpp 32, size, width, height, then red, blue, green, alpha
    // offsets and lengths; pixels R, G, B, A.
    const uint32_t width = 4, height = 2;
    std::string pixels;
    for (uint32_t i = 0; i < width * height; ++i) {
        pixels += {char(10 * i), char(100 + i), char(200 + i), char(0xFF)};
    }
    ScriptedServer server;
    Switched(server)
        .Send(Words({1, 32, uint32_t(pixels.size()), width, height, 0, 8, 16, 8, 8, 8, 24, 8}))
        .Read(1)
        .Send(pixels)
        .Close()
        .Start();
    port_ = server.port();
    Press(*w, ids::kShotRefreshButton);
    ASSERT_EQ(Text(*w, ids::kShotStatus), "成功完成");
    EXPECT_EQ(Text(*w, ids::kShotResolutionField), "4x2");
    ASSERT_TRUE(w->CapturedImage().has_value());
    const imaging::Bitmap& image = *w->CapturedImage();
    const imaging::Canvas& drawing = w->PictureArea()->Drawing();
    for (uint32_t i = 0; i < width * height; ++i) {
        const int x = int(i % width), y = int(i / width);
        const uint8_t* bgr = image.Row(y) + x * 3;
        EXPECT_EQ(bgr[2], 10 * i);
        EXPECT_EQ(bgr[1], 100 + i);
        EXPECT_EQ(bgr[0], 200 + i);
        EXPECT_EQ(drawing.RawPixel(x, y), qRgb(int(10 * i), int(100 + i), int(200 + i)));
    }
    // Beyond the small picture the area shows the window's face again, not
    // the larger one before it.
    const QImage painted = test::PaintedPicture(*w);
    EXPECT_EQ(painted.pixel(0, 0), qRgb(0, 100, 200));
    EXPECT_EQ(painted.pixel(40, 40), WindowOf(*w).palette().color(QPalette::Window).rgb());
    EXPECT_EQ(painted.pixel(300, 470), WindowOf(*w).palette().color(QPalette::Window).rgb());
}

TEST_F(ScreenshotWindowTest, SaveBeforeAnyPictureFailsAndOpenFolderSaysSo) {
    auto w = Open();
    Press(*w, ids::kShotSaveButton);
    EXPECT_EQ(Text(*w, ids::kShotStatus), "保存失败..");
    EXPECT_TRUE(dialogs_.shown.empty());
    Press(*w, ids::kShotOpenFolderButton);
    EXPECT_EQ(Text(*w, ids::kShotStatus), "尚未保存或我的文档已满");
    EXPECT_TRUE(shell_.All().empty());
}

TEST_F(ScreenshotWindowTest, SavesFollowTheListsAndTheFolderIsShared) {
    auto w = Open();
    auto other = Open("second-phone");
    Capture(*w, 320, 480);

    // JPEG at the default quality and full size, named from the clock.
    Press(*w, ids::kShotSaveButton);
    EXPECT_EQ(Text(*w, ids::kShotStatus), "保存完成!");
    auto jpeg = test::ReadJpeg((documents_ / "20261208-214908.jpg").string());
    ASSERT_TRUE(jpeg.has_value());
    EXPECT_EQ(jpeg->width, 320);
    EXPECT_EQ(jpeg->height, 480);
    EXPECT_EQ(state_.lastSaveFolder, documents_.string() + "/");

    // GIF ignores the chosen size.
    List(*w, ids::kShotFormatList)->setCurrentText("GIF");
    List(*w, ids::kShotSizeList)->setCurrentIndex(4);
    Press(*w, ids::kShotSaveButton);
    EXPECT_EQ(Text(*w, ids::kShotStatus), "保存完成,GIF不支持缩放");
    auto gif = test::ReadGif((documents_ / "20261208-214908.gif").string());
    ASSERT_TRUE(gif.has_value());
    EXPECT_EQ(gif->width, 320);
    EXPECT_EQ(gif->height, 480);
    EXPECT_LE(gif->paletteSize, 256);

    // The other window opens the folder of this window's save.
    Press(*other, ids::kShotOpenFolderButton);
    ASSERT_EQ(shell_.All().size(), 1u);
    EXPECT_EQ(shell_.All()[0].target, documents_.string() + "/");
    EXPECT_EQ(Text(*other, ids::kShotStatus), "未知");

    // Through the save dialog, into another folder, at a smaller size.
    const fs::path elsewhere = temp_.path() / "pictures";
    fs::create_directories(elsewhere);
    qobject_cast<QCheckBox*>(WidgetOf(*w, ids::kShotAutoNameCheck))->setChecked(false);
    List(*w, ids::kShotFormatList)->setCurrentText("BMP");
    List(*w, ids::kShotSizeList)->setCurrentIndex(1);
    dialogs_.saveFileAnswers.push_back((elsewhere / "shot.bmp").string());
    Press(*w, ids::kShotSaveButton);
    EXPECT_EQ(Text(*w, ids::kShotStatus), "保存完成!");
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    ASSERT_EQ(dialogs_.shown[0].filters.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].filters[0].text, "位图文件 (*.bmp)");
    auto bmp = test::ReadBmp((elsewhere / "shot.bmp").string());
    ASSERT_TRUE(bmp.has_value());
    EXPECT_EQ(bmp->width, 256);
    EXPECT_EQ(bmp->height, 384);
    EXPECT_EQ(state_.lastSaveFolder, elsewhere.string());

    // A cancelled dialog fails and leaves the folder alone.
    Press(*w, ids::kShotSaveButton);
    EXPECT_EQ(Text(*w, ids::kShotStatus), "保存失败..");
    EXPECT_EQ(state_.lastSaveFolder, elsewhere.string());
    Press(*other, ids::kShotOpenFolderButton);
    ASSERT_EQ(shell_.All().size(), 2u);
    EXPECT_EQ(shell_.All()[1].target, elsewhere.string());

    // A folder that is gone is not handed to the file manager.
    fs::remove_all(elsewhere);
    Press(*other, ids::kShotOpenFolderButton);
    EXPECT_EQ(shell_.All().size(), 2u);
    EXPECT_EQ(Text(*other, ids::kShotStatus), "尚未保存或我的文档已满");
}

TEST_F(ScreenshotWindowTest, JpegQualityComesFromItsList) {
    auto w = Open();
    Capture(*w, 320, 480);
    List(*w, ids::kShotQualityList)->setCurrentText("70");
    Press(*w, ids::kShotSaveButton);
    const auto low = fs::file_size(documents_ / "20261208-214908.jpg");
    List(*w, ids::kShotQualityList)->setCurrentText("100");
    Press(*w, ids::kShotSaveButton);
    const auto high = fs::file_size(documents_ / "20261208-214908.jpg");
    EXPECT_GT(high, low);
    auto jpeg = test::ReadJpeg((documents_ / "20261208-214908.jpg").string());
    ASSERT_TRUE(jpeg.has_value());
    ASSERT_FALSE(jpeg->app1.empty());
    EXPECT_EQ(test::ExifAscii(jpeg->app1[0], 0x0110), "quillet 2.3");
}

TEST_F(ScreenshotWindowTest, SaveAfterAFailedRefreshKeepsThePicturesOwnSize) {
    auto w = Open();
    Capture(*w, 320, 480);
    port_ = ScriptedServer::UnusedPort();
    Press(*w, ids::kShotRefreshButton);
    ASSERT_EQ(List(*w, ids::kShotSizeList)->currentIndex(), -1);
    List(*w, ids::kShotFormatList)->setCurrentText("PNG");
    Press(*w, ids::kShotSaveButton);
    EXPECT_EQ(Text(*w, ids::kShotStatus), "保存完成!");
    auto png = test::ReadPng((documents_ / "20261208-214908.png").string());
    ASSERT_TRUE(png.has_value());
    EXPECT_EQ(png->width, 320);
    EXPECT_EQ(png->height, 480);
}

TEST_F(ScreenshotWindowTest, EscEnterAndTheCloseBoxOnlyHide) {
    auto w = Open();
    QWidget& window = WindowOf(*w);
    QPointer<QWidget> guard(&window);
    auto send = [&](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&window, &press);
        QApplication::processEvents();
    };
    for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        w->ShowWindow(true);
        w->GetDlgItem(ids::kShotFormatList)->SetFocus();
        send(key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_FALSE(w->IsWindowVisible()) << key;
    }
    // Enter on a focused button presses it instead.
    w->ShowWindow(true);
    w->GetDlgItem(ids::kShotRefreshButton)->SetFocus();
    send(Qt::Key_Return);
    EXPECT_TRUE(w->IsWindowVisible());
    EXPECT_EQ(Text(*w, ids::kShotStatus), "发送数据失败");
    // With a modifier held, Enter neither presses the button nor hides the window.
    w->SetItemTextNow(ids::kShotStatus, "未知");
    send(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(w->IsWindowVisible());
    EXPECT_EQ(Text(*w, ids::kShotStatus), "未知");

    window.close();
    QApplication::processEvents();
    EXPECT_FALSE(w->IsWindowVisible());
    EXPECT_FALSE(guard.isNull());
}

}  // namespace
}  // namespace nimbo
