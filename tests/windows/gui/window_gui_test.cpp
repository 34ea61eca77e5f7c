// The program's windows on the Win32 backend, under Wine: the main window as
// its template lays it out, the device list read from the real adb server
// with the simulated phone attached, the screenshot window capturing a frame
// and saving all four formats, an install through a stand-in adb.exe and one
// with no adb.exe at all, and pictures of the main, screenshot and help
// windows for people to look at.
//
// tests/windows/window_test.sh runs it on Xvfb inside one network namespace
// with the adb server, the phone and the wineserver; it names the server's
// port in ANDROID_ADB_SERVER_PORT. Without that port the tests that need the
// phone are skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "adbtool/command_runner.h"
#include "app/gui/main_dialog.h"
#include "app/session.h"
#include "capture/gui/screenshot_dialog.h"
#include "capture/image_readers.h"
#include "help/gui/help_dialog.h"
#include "imaging/bitmap.h"
#include "install/install_workers.h"
#include "platform/process.h"
#include "platform/utf8_path.h"
#include "platform/win/wide.h"
#include "support/fakes.h"
#include "support/test_paths.h"
#include "templates/control_ids.h"
#include "ui/win/dialog.h"
#include "ui/win/window_system.h"
#include "windows/gui/pump_messages.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;

using test::PumpUntil;

void Pump(int ms) {
    PumpUntil([] { return false; }, ms);
}

// What the screen shows of a window, as a PNG in the build tree.
void WritePicture(HWND hwnd, const std::string& name) {
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(300);
    RECT r;
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const int stride = (w * 3 + 3) & ~3;
    auto picture = imaging::Bitmap::FromPixels(
        w, h, imaging::PixelFormat::Rgb24,
        {static_cast<const std::uint8_t*>(bits), static_cast<size_t>(stride) * h}, stride);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(picture);
    const fs::path dir = test::BinaryDir() / "pictures";
    fs::create_directories(dir);
    EXPECT_TRUE(imaging::SaveImageToFile(*picture, (dir / name).string(), imaging::EncoderId::Png, {}));
}

// Whether `upper` lies above its sibling `lower` (the z-order decides which
// one paints where they overlap).
bool Above(HWND upper, HWND lower) {
    for (HWND h = GetWindow(upper, GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h == lower) return true;
    }
    return false;
}

class WindowsWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { windows_ = new ui::win::WindowSystem(GetModuleHandleW(nullptr)); }
    static void TearDownTestSuite() {
        delete windows_;
        windows_ = nullptr;
    }

    WindowsWindowTest() {
        const fs::path& root = temp_.path();
        context_.paths.systemDir = root / "system";
        context_.paths.driverDir = root / "android_usb_windows";
        context_.paths.driverI386Dir = context_.paths.driverDir / "i386";
        context_.paths.documentsDir = root / "Documents";
        fs::create_directories(context_.paths.systemDir);
        fs::create_directories(context_.paths.documentsDir);
        // adb for Windows is not in Debian: a stand-in answers in its place.
        fs::copy_file(test::BinaryDir() / "bin" / "windows_adb_stand_in.exe",
                      context_.paths.systemDir / "adb.exe");
        launcher_ = platform::MakeSystemProcessLauncher(context_.paths.systemDir);
        runner_ = std::make_unique<CommandRunner>(*launcher_, clock_);
        context_.launcher = launcher_.get();
        context_.shell = &shell_;
        context_.dialogs = &dialogs_;
        context_.clock = &clock_;
        context_.runner = runner_.get();
        context_.workers = &session_.workers;
        context_.startupDeviceRetries = 0;
    }

    ~WindowsWindowTest() override {
        main_.reset();
        session_.workers.StopAndJoin(std::chrono::seconds(60));
    }

    MainDialog& OpenMain() {
        main_ = std::make_unique<MainDialog>(context_, session_);
        main_->Create();
        Pump(200);
        return *main_;
    }

    void Click(ui::Dialog& w, int id) {
        ui::CustomControl* c = w.CustomItem(id);
        ASSERT_NE(c, nullptr) << id;
        c->Host()->Click();
        Pump(50);
    }

    static bool HasServer() { return std::getenv("ANDROID_ADB_SERVER_PORT") != nullptr; }

    static ui::win::WindowSystem* windows_;
    test::TempDir temp_;
    test::ScriptedDialogs dialogs_;
    test::RecordingShell shell_;
    test::FakeClock clock_;
    std::unique_ptr<platform::ProcessLauncher> launcher_;
    std::unique_ptr<CommandRunner> runner_;
    AppContext context_;
    Session session_;
    std::unique_ptr<MainDialog> main_;
};

ui::win::WindowSystem* WindowsWindowTest::windows_ = nullptr;

TEST_F(WindowsWindowTest, MainWindowIsFoundByItsCaptionWithTheTemplatesLayout) {
    MainDialog& main = OpenMain();
    const ui::DialogTemplate& tmpl = main.Template();
    const std::wstring caption(platform::win::Widen(tmpl.caption));
    HWND found = FindWindowW(L"NimboDialog", caption.c_str());
    ASSERT_EQ(found, ui::win::PeerOf(main).Hwnd());
    EXPECT_TRUE(IsWindowVisible(found));

    // Every pair of controls that the template places side by side or one
    // above the other keeps that order on the screen. Combo boxes (whose
    // template height holds the dropped list) and pictures (sized by their
    // picture) are left out of the vertical comparison.
    int pairs = 0;
    for (const auto& a : tmpl.controls) {
        if (a.id < 0 || (a.style & ui::kHidden) || !main.GetDlgItem(a.id)) continue;
        const imaging::Rect ra = main.GetDlgItem(a.id)->Bounds();
        EXPECT_GT(ra.Width(), 0) << a.id;
        for (const auto& b : tmpl.controls) {
            if (b.id < 0 || b.id == a.id || (b.style & ui::kHidden) || !main.GetDlgItem(b.id)) continue;
            const imaging::Rect rb = main.GetDlgItem(b.id)->Bounds();
            if (a.x + a.cx <= b.x) {
                EXPECT_LE(ra.right, rb.left) << a.id << " left of " << b.id;
                ++pairs;
            }
            const bool sized = a.cls == ui::ControlClass::ComboBox ||
                               a.cls == ui::ControlClass::StaticBitmap;
            if (!sized && a.y + a.cy <= b.y) {
                EXPECT_LE(ra.bottom, rb.top) << a.id << " above " << b.id;
                ++pairs;
            }
        }
    }
    EXPECT_GT(pairs, 50);

    // A group box paints its whole rectangle: what it frames (the status
    // lines) must lie above it, or the status texts never show.
    int framed = 0;
    for (const auto& box : tmpl.controls) {
        if (box.cls != ui::ControlClass::GroupBox || box.id < 0) continue;
        for (const auto& c : tmpl.controls) {
            if (c.id < 0 || c.id == box.id || c.x < box.x || c.y < box.y ||
                c.x + c.cx > box.x + box.cx || c.y + c.cy > box.y + box.cy) {
                continue;
            }
            const ui::win::Win32DialogPeer& peer = ui::win::PeerOf(main);
            EXPECT_TRUE(Above(peer.ItemHwnd(c.id), peer.ItemHwnd(box.id)))
                << c.id << " in " << box.id;
            ++framed;
        }
    }
    EXPECT_GE(framed, 3);  // 1008 in 1007; 1019 and 1022 in 1018
    WritePicture(found, "win-main.png");
}

TEST_F(WindowsWindowTest, InstallRunsTheStandInAdbAndShowsItsOutcome) {
    MainDialog& main = OpenMain();
    // A path with blanks and Chinese reaches adb.exe as one argument.
    const fs::path apk = temp_.path() / L"我的 应用.apk";
    std::ofstream(apk) << "PK";
    main.SetItemTextNow(ids::kApkPathEdit, platform::Utf8FromPath(apk));
    Click(main, ids::kStartInstallButton);
    const std::string success = "安装成功,请在手机功能表中运行使用";
    EXPECT_TRUE(PumpUntil([&] { return main.ItemTextNow(ids::kInstallStatus) == success; }))
        << main.ItemTextNow(ids::kInstallStatus);
    std::ifstream calls(context_.paths.systemDir / "calls.txt");
    const std::string log((std::istreambuf_iterator<char>(calls)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("install\n-r\n" + platform::Utf8FromPath(apk) + "\n--\n"), std::string::npos) << log;
}

// No adb.exe in the system folder, beside the program or on PATH: the status
// line says so instead of keeping the start text.
TEST_F(WindowsWindowTest, InstallWithNoAdbAnywhereSaysSo) {
    fs::remove(context_.paths.systemDir / "adb.exe");
    MainDialog& main = OpenMain();
    const fs::path apk = temp_.path() / L"应用.apk";
    std::ofstream(apk) << "PK";
    main.SetItemTextNow(ids::kApkPathEdit, platform::Utf8FromPath(apk));
    Click(main, ids::kStartInstallButton);
    EXPECT_TRUE(PumpUntil([&] {
        return main.ItemTextNow(ids::kInstallStatus) == kAdbNotFoundText;
    })) << main.ItemTextNow(ids::kInstallStatus);
    WritePicture(ui::win::PeerOf(main).Hwnd(), "win-main-no-adb.png");
}

TEST_F(WindowsWindowTest, DevicesFromTheRealServerAndAScreenshotInEveryFormat) {
    if (!HasServer()) GTEST_SKIP() << "no adb server named (tests/windows/window_test.sh names one)";
    MainDialog& main = OpenMain();
    Click(main, ids::kRefreshDevicesButton);
    ASSERT_TRUE(PumpUntil([&] { return main.DeviceList()->GetItemCount() > 0; }, 20000));
    EXPECT_EQ(main.DeviceList()->GetItemText(0, 2), "emulator-5554");
    EXPECT_EQ(main.ItemTextNow(ids::kCurrentDevice), "emulator-5554");
    WritePicture(ui::win::PeerOf(main).Hwnd(), "win-main-devices.png");

    Click(main, ids::kScreenshotButton);
    ScreenshotDialog* shot = nullptr;
    for (ui::win::Win32DialogPeer* peer : ui::win::KitWindows()) {
        if (auto* s = dynamic_cast<ScreenshotDialog*>(&peer->Owner())) shot = s;
    }
    ASSERT_NE(shot, nullptr);
    ScreenshotDialog& w = *shot;
    EXPECT_EQ(w.ItemTextNow(ids::kShotDeviceField), "emulator-5554");
    Click(w, ids::kShotRefreshButton);
    // The frame is read on a worker; the window takes the result.
    ASSERT_TRUE(PumpUntil([&] { return !w.Capturing(); }, 30000));
    ASSERT_EQ(w.ItemTextNow(ids::kShotStatus), "成功完成");
    EXPECT_EQ(w.ItemTextNow(ids::kShotResolutionField), "320x480");
    WritePicture(ui::win::PeerOf(w).Hwnd(), "win-screenshot.png");

    struct Case {
        int format;  // index in the format list: JPG, BMP, PNG, GIF
        int size;    // index in the size list
        const char* ext;
        int width, height;
    };
    const Case cases[] = {{0, 0, "jpg", 320, 480}, {1, 1, "bmp", 256, 384},
                          {2, 2, "png", 213, 320}, {3, 4, "gif", 320, 480}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ext);
        w.Item<ui::ComboBox>(ids::kShotFormatList)->SetCurSel(c.format);
        w.Item<ui::ComboBox>(ids::kShotSizeList)->SetCurSel(c.size);
        Click(w, ids::kShotSaveButton);
        const std::string file = (context_.paths.documentsDir / (std::string("20261208-214908.") + c.ext)).string();
        std::optional<test::Decoded> d;
        if (std::string(c.ext) == "jpg") d = test::ReadJpeg(file);
        if (std::string(c.ext) == "bmp") d = test::ReadBmp(file);
        if (std::string(c.ext) == "png") d = test::ReadPng(file);
        if (std::string(c.ext) == "gif") d = test::ReadGif(file);
        ASSERT_TRUE(d) << file << ": " << w.ItemTextNow(ids::kShotStatus);
        EXPECT_EQ(d->width, c.width);
        EXPECT_EQ(d->height, c.height);
        if (c.width == 320) {
            // The phone's screen: red grows across, green down.
            EXPECT_LT(d->R(2, 240), 40);
            EXPECT_GT(d->R(317, 240), 200);
            EXPECT_LT(d->G(160, 2), 40);
            EXPECT_GT(d->G(160, 477), 200);
        }
    }
}

TEST_F(WindowsWindowTest, HelpWindowPicture) {
    MainDialog& main = OpenMain();
    HelpDialog help(&shell_, &main);
    ASSERT_TRUE(help.Create());
    Pump(200);
    EXPECT_TRUE(help.IsWindowVisible());
    WritePicture(ui::win::PeerOf(help).Hwnd(), "win-help.png");
}

}  // namespace
}  // namespace nimbo
