// The adb server killed while the phone holds its answer to an install, a
// listing and a screenshot; a screenshot ten times slower than usual, one
// that never comes, and 200 captures and saves in a row. Real adb server,
// simulated phone; every job ends with a text that says what happened.
#include <signal.h>

#include <QApplication>
#include <cstdio>
#include <fstream>

#include "capture/gui/screenshot_dialog.h"
#include "capture/screenshot_window_access.h"
#include "install/install_workers.h"
#include "packages/package_listing.h"
#include "support/phonesim_apk.h"
#include "support_gui/window_with_phones.h"
#include "templates/control_ids.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using test::MainWindowHarness;
using namespace std::chrono_literals;

// Under a sanitizer the loop still looks for memory faults, but the resident
// set says nothing about leaks, and every step is many times slower.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
constexpr int kCaptures = 30;
#else
constexpr bool kSanitized = false;
constexpr int kCaptures = 200;
#endif

// The resident set of this process, in KiB, from /proc/self/status.
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

class ServerFaultsTest : public test::WindowWithPhonesTest {
protected:
    // The phone's log has said `what` at least once.
    bool PhoneSaid(const std::string& what) {
        return MainWindowHarness::WaitUntil(
            [&] { return phones_.PhoneLog().find(what) != std::string::npos; });
    }
    void KillServer() { ::kill(phones_.adbServerPid(), SIGKILL); }

    // One good capture (its picture in `shown`), then a second whose frame
    // the phone holds back; returns once the phone holds it.
    void CaptureThenHoldTheNextFrame(ScreenshotDialog& w, QImage& shown) {
        test::Press(w, ids::kShotRefreshButton);
        ASSERT_EQ(w.ItemTextNow(ids::kShotStatus), "成功完成");
        shown = test::PaintedPicture(w);
        phones_.SetControl(0, "frame_delay_ms", "3600000");
        test::Click(w, ids::kShotRefreshButton);
        ASSERT_TRUE(PhoneSaid("holding the answer to 'framebuffer'")) << phones_.PhoneLog();
    }

    ScreenshotDialog& OpenScreenshotWindow() {
        window_->Click(ids::kRefreshDevicesButton);
        EXPECT_EQ(window_->Text(ids::kCurrentDevice), phones_.serial(0));
        window_->Click(ids::kScreenshotButton);
        QApplication::processEvents();
        auto windows = test::ScreenshotWindowsOf(window_->Window());
        EXPECT_EQ(windows.size(), 1u);
        return *windows.at(0);
    }

    test::TempDir files_;
};

TEST_F(ServerFaultsTest, ServerKilledDuringAnInstallSaysTheInstallBrokeOff) {
    ASSERT_TRUE(phones_.Start(1)) << phones_.error();
    const fs::path apk = files_.path() / "held.apk";
    ASSERT_TRUE(test::MakeTestApk(apk, "com.example.held", 30000));
    phones_.SetControl(0, "install_delay_ms", "3600000");
    window_->Dialogs().openFileAnswers.push_back(apk.string());
    window_->Click(ids::kChooseFileButton);
    window_->Click(ids::kStartInstallButton);
    ASSERT_TRUE(PhoneSaid("holding the answer to 'pm install'")) << phones_.PhoneLog();
    KillServer();
    ASSERT_TRUE(WaitForWorkers());
    QApplication::processEvents();
    EXPECT_EQ(window_->Text(ids::kInstallStatus), kInstallNoVerdictText);
}

TEST_F(ServerFaultsTest, ServerKilledDuringAListingSaysTheListingBrokeOff) {
    ASSERT_TRUE(phones_.Start(1)) << phones_.error();
    phones_.SetControl(0, "list_delay_ms", "3600000");
    window_->Click(ids::kRefreshPackagesButton);
    ASSERT_TRUE(PhoneSaid("holding the answer to 'pm list packages'")) << phones_.PhoneLog();
    KillServer();
    ASSERT_TRUE(WaitForWorkers());
    QApplication::processEvents();
    // adb's shell ends with nothing said and exit code 0: the list stays
    // empty and the status says the listing broke off.
    EXPECT_EQ(MainWindowHarness::QtList(window_->Window().PackageList()).GetItemCount(), 0);
    EXPECT_EQ(window_->Text(ids::kOperationStatus), kListingNoAnswerText);
}

TEST_F(ServerFaultsTest, ServerKilledDuringACaptureKeepsTheLastPicture) {
    ASSERT_TRUE(phones_.Start(1)) << phones_.error();
    ScreenshotDialog& w = OpenScreenshotWindow();
    QImage before;
    ASSERT_NO_FATAL_FAILURE(CaptureThenHoldTheNextFrame(w, before));
    KillServer();
    ASSERT_TRUE(MainWindowHarness::WaitUntil([&] { return !w.Capturing(); }));
    EXPECT_EQ(w.ItemTextNow(ids::kShotStatus), "接收产生异常");
    EXPECT_EQ(test::PaintedPicture(w), before);
    // The picture kept is the earlier one, and it still saves whole.
    test::Press(w, ids::kShotSaveButton);
    EXPECT_EQ(w.ItemTextNow(ids::kShotStatus), "保存完成!");
}

TEST_F(ServerFaultsTest, WindowAnswersWhileTheFrameIsHeld) {
    ASSERT_TRUE(phones_.Start(1)) << phones_.error();
    ScreenshotDialog& w = OpenScreenshotWindow();
    QImage before;
    ASSERT_NO_FATAL_FAILURE(CaptureThenHoldTheNextFrame(w, before));
    // The click came back while the phone holds the frame; the window says
    // it waits, keeps the picture it has, and saves it on request.
    EXPECT_TRUE(w.Capturing());
    EXPECT_EQ(w.ItemTextNow(ids::kShotStatus), kStatusPleaseWait);
    EXPECT_EQ(test::PaintedPicture(w), before);
    test::Click(w, ids::kShotSaveButton);
    EXPECT_EQ(w.ItemTextNow(ids::kShotStatus), "保存完成!");
    // A second press while the first capture runs starts no second one.
    test::Click(w, ids::kShotRefreshButton);
    phones_.SetControl(0, "frame_delay_ms", "0");  // lets the held frame go
    ASSERT_TRUE(MainWindowHarness::WaitUntil([&] { return !w.Capturing(); }));
    EXPECT_EQ(w.ItemTextNow(ids::kShotStatus), "成功完成");
    EXPECT_EQ(w.ItemTextNow(ids::kShotResolutionField), "320x480");
    QApplication::processEvents();
    const std::string log = phones_.PhoneLog();
    size_t frames = 0;
    for (size_t at = 0; (at = log.find("holding the answer to 'framebuffer'", at)) != std::string::npos;
         ++at) {
        ++frames;
    }
    EXPECT_EQ(frames, 1u) << log;
}

TEST_F(ServerFaultsTest, SlowFrameArrivesAndAFrameThatNeverComesIsGivenUp) {
    ASSERT_TRUE(phones_.Start(1)) << phones_.error();
    ScreenshotDialog& w = OpenScreenshotWindow();
    // Ten times the usual few tens of milliseconds, still within the 5 s
    // that each receive may wait.
    phones_.SetControl(0, "frame_delay_ms", "600");
    test::Press(w, ids::kShotRefreshButton);
    EXPECT_EQ(w.ItemTextNow(ids::kShotStatus), "成功完成");
    EXPECT_EQ(w.ItemTextNow(ids::kShotResolutionField), "320x480");

    // A frame that never comes: the receive's time-out ends the capture
    // (the test would hang otherwise), with the header's sizes listed.
    phones_.SetControl(0, "frame_delay_ms", "3600000");
    test::Press(w, ids::kShotRefreshButton);
    EXPECT_EQ(w.ItemTextNow(ids::kShotStatus), "接收产生异常");
    phones_.SetControl(0, "frame_delay_ms", "0");  // lets the held frame go
}

TEST_F(ServerFaultsTest, TwoHundredCapturesAndSavesKeepMemorySteady) {
    test::PhoneOptions screen;
    screen.width = 720;  // 1.8 MB a frame, so a leak of one per capture shows
    screen.height = 1280;
    ASSERT_TRUE(phones_.Start(1, screen)) << phones_.error();
    ScreenshotDialog& w = OpenScreenshotWindow();
    long afterTenth = 0;
    for (int i = 1; i <= kCaptures; ++i) {
        test::Press(w, ids::kShotRefreshButton);
        ASSERT_EQ(w.ItemTextNow(ids::kShotStatus), "成功完成") << "capture " << i;
        test::Press(w, ids::kShotSaveButton);
        ASSERT_EQ(w.ItemTextNow(ids::kShotStatus), "保存完成!") << "save " << i;
        if (i == 10) afterTenth = ResidentKiB();
    }
    const long atEnd = ResidentKiB();
    std::printf("resident set: %ld KiB after the 10th capture and save, %ld KiB after the %dth\n",
                afterTenth, atEnd, kCaptures);
    ASSERT_GT(afterTenth, 0);
    if (kSanitized) return;  // their quarantine and shadow memory grow by design
    EXPECT_LE(atEnd * 10, afterTenth * 11);
}

}  // namespace
}  // namespace nimbo
