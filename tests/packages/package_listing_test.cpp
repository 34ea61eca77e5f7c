// Listing the phone's packages into the list, and the list's check marks:
// what adb is asked, where rows go, and what the status line says.
#include "packages/package_listing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "packages/package_test_support.h"

namespace nimbo {
namespace {

using test::FakeRows;

class PackageListingTest : public ::testing::Test {
protected:
    ListingEnd Refresh() {
        const uint64_t listing = BeginPackageListing(state_, *rows_);
        return PackageListWorker(view_, runner_, state_, listing);
    }

    test::AdbScript adb_;
    test::FakeClock clock_;
    std::unique_ptr<platform::ProcessLauncher> launcher_ =
        platform::MakeSystemProcessLauncher(adb_.dir());
    CommandRunner runner_{*launcher_, clock_, [](const std::string&) {}};
    PackagesState state_;
    std::shared_ptr<FakeRows> rows_ = std::make_shared<FakeRows>();
    std::shared_ptr<test::RecordingPackagesView> view_ =
        std::make_shared<test::RecordingPackagesView>(rows_);
};

TEST_F(PackageListingTest, AsksThePackageManagerAndListsInReverseOrderUnchecked) {
    adb_.Prints(
        "package:/system/app/Browser.apk=com.android.browser\r\n"
        "package:/data/app/com.a-1.apk=com.a\r\n"
        "package:/data/app/~~Q1==/com.b-Zz==/base.apk=com.b\r\n"
        "package:/data/app/com.c.apk");
    view_->ShowOperationStatus(kListingStartText);
    EXPECT_EQ(Refresh(), ListingEnd::Filled);

    ASSERT_EQ(adb_.Calls(),
              (std::vector<std::vector<std::string>>{{"shell", "pm", "list", "packages", "-f"}}));
    EXPECT_EQ(rows_->Names(),
              (std::vector<std::string>{"com.c.apk", "~~Q1==/com.b-Zz==/base.apk", "com.a-1.apk"}));
    EXPECT_EQ(rows_->PackageName(1), "com.b");
    EXPECT_EQ(rows_->PackageName(0), "");
    for (int r = 0; r < rows_->Count(); ++r) EXPECT_FALSE(rows_->IsChecked(r)) << r;
    EXPECT_EQ(view_->OperationStatus(), kListingDoneText);
}

TEST_F(PackageListingTest, AListingThatRanEndsWithTheDoneTextHoweverFewRows) {
    // Only system packages, and a phone's own complaint about a package line
    // it could not read: the listing ran.
    for (const char* output :
         {"package:/system/app/Browser.apk=com.android.browser\r\n",
          "package:/system/app/Browser.apk=com.android.browser\r\nerror: stray noise"}) {
        SCOPED_TRACE(output);
        rows_->InsertAtTop("stale.apk", "");
        adb_.Prints(output);
        EXPECT_EQ(Refresh(), ListingEnd::Filled);
        EXPECT_EQ(rows_->Count(), 0);
        EXPECT_EQ(view_->OperationStatus(), kListingDoneText);
    }
}

TEST_F(PackageListingTest, NothingBackIsNotADoneListing) {
    // adb loses its server or the phone and ends with exit code 0 and nothing
    // said; a phone always lists its system packages.
    for (const char* output : {"", "\r\n", " \r\n\r\n"}) {
        SCOPED_TRACE(testing::PrintToString(output));
        rows_->InsertAtTop("stale.apk", "");
        adb_.Prints(output);
        EXPECT_EQ(Refresh(), ListingEnd::Filled);
        EXPECT_EQ(rows_->Count(), 0);
        EXPECT_EQ(view_->OperationStatus(), kListingNoAnswerText);
    }
}

// adb 29's own complaints when it cannot reach one phone: the list empties and
// the status says why, in the install status's words.
TEST_F(PackageListingTest, AdbThatCouldNotReachThePhoneSaysWhy) {
    const std::string failed = kListingFailedText;
    const std::pair<const char*, std::string> cases[] = {
        {"error: no devices/emulators found", "请确认手机已经连接到电脑上"},
        {"* daemon not running; starting now at tcp:5037\n* daemon started successfully\n"
         "error: no devices/emulators found",
         "请确认手机已经连接到电脑上"},
        {"error: more than one device/emulator", "连接了多台设备,请只保留一台手机"},
        {"error: device unauthorized.\nThis adb server's $ADB_VENDOR_KEYS is not set\nTry "
         "'adb kill-server' if that seems wrong.\nOtherwise check for a confirmation dialog on "
         "your device.",
         "请在手机上允许USB调试"},
        {"error: device offline", "手机处于离线状态,请重新插拔USB线"},
        {"error: device 'emulator-5556' not found", "请确认手机已经连接到电脑上"},
        {"adb: usage: unknown command shel", failed + "adb: usage: unknown command shel"},
    };
    for (const auto& [output, text] : cases) {
        SCOPED_TRACE(output);
        rows_->InsertAtTop("stale.apk", "");
        adb_.Prints(output);
        EXPECT_EQ(Refresh(), ListingEnd::Filled);
        EXPECT_EQ(rows_->Count(), 0);
        EXPECT_EQ(view_->OperationStatus(), text);
    }
}

TEST_F(PackageListingTest, AdbThatCannotStartLeavesTheWaitingText) {
    test::NoProgramLauncher none;
    const CommandRunner noAdb(none, clock_, [](const std::string&) {});
    view_->ShowOperationStatus(kListingStartText);
    EXPECT_EQ(PackageListWorker(view_, noAdb, state_, BeginPackageListing(state_, *rows_)),
              ListingEnd::NotStarted);
    EXPECT_EQ(rows_->Count(), 0);
    EXPECT_EQ(view_->OperationStatus(), kListingStartText);
}

TEST_F(PackageListingTest, LongListingArrivesWhole) {
    std::string output;
    for (int i = 0; i < 1500; ++i) {
        output += "package:/data/app/com.vendor.app" + std::to_string(i) + "-1.apk=com.vendor.app" +
                  std::to_string(i) + "\r\n";
    }
    ASSERT_GT(output.size(), 40959u);
    adb_.Prints(output);
    EXPECT_EQ(Refresh(), ListingEnd::Filled);
    ASSERT_EQ(rows_->Count(), 1500);
    EXPECT_EQ(rows_->Name(0), "com.vendor.app1499-1.apk");
    EXPECT_EQ(rows_->Name(1499), "com.vendor.app0-1.apk");
}

TEST_F(PackageListingTest, NewerRefreshSupersedesOneStillRunning) {
    adb_.Prints("package:/data/app/com.a-1.apk=com.a\n");
    adb_.Hold();
    WorkerRuntime workers;
    const uint64_t first = BeginPackageListing(state_, *rows_);
    LaunchPackageListWorker(workers, state_, view_, runner_, first);
    const uint64_t second = BeginPackageListing(state_, *rows_);
    LaunchPackageListWorker(workers, state_, view_, runner_, second);
    adb_.Release();
    ASSERT_TRUE(workers.WaitIdle(std::chrono::seconds(60)));
    EXPECT_EQ(workers.Workers().finished, 2);
    // One listing's rows, not two.
    EXPECT_EQ(rows_->Names(), std::vector<std::string>{"com.a-1.apk"});
    int doneWrites = 0;
    for (const auto& [line, text] : view_->Writes()) doneWrites += text == kListingDoneText;
    EXPECT_EQ(doneWrites, 1);
}

TEST_F(PackageListingTest, ClosedWindowGetsNoRows) {
    adb_.Prints("package:/data/app/com.a-1.apk=com.a\n");
    const uint64_t listing = BeginPackageListing(state_, *rows_);
    view_->CloseWindow();
    EXPECT_EQ(PackageListWorker(view_, runner_, state_, listing), ListingEnd::Superseded);
    EXPECT_EQ(rows_->Count(), 0);
}

TEST_F(PackageListingTest, StoppedListingLeavesTheListAndTheWaitingTextAlone) {
    // The stop cuts adb off: what it printed is no listing, so neither rows
    // nor the done text may follow.
    adb_.Prints("package:/data/app/com.a-1.apk=com.a\n");
    adb_.Hold();
    view_->ShowOperationStatus(kListingStartText);
    WorkerRuntime workers;
    LaunchPackageListWorker(workers, state_, view_, runner_, BeginPackageListing(state_, *rows_));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (adb_.Calls().empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(adb_.Calls().size(), 1u);
    EXPECT_TRUE(workers.StopAndJoin(std::chrono::seconds(60)));
    EXPECT_EQ(rows_->Count(), 0);
    EXPECT_EQ(view_->OperationStatus(), kListingStartText);

    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(PackageListWorker(view_, runner_, state_, BeginPackageListing(state_, *rows_),
                                stop.get_token()),
              ListingEnd::Stopped);
    EXPECT_EQ(adb_.Calls().size(), 1u);
    EXPECT_EQ(view_->Writes().size(), 1u);
}

TEST(PackageRowsTest, AddPackageRowTakesOnlyAppFolderLinesAndPutsThemOnTop) {
    FakeRows rows;
    EXPECT_TRUE(AddPackageRow(rows, "package:/data/app/com.a-1.apk=com.a"));
    EXPECT_FALSE(AddPackageRow(rows, "package:/system/app/Browser.apk=com.android.browser"));
    EXPECT_FALSE(AddPackageRow(rows, "Package:/data/app/com.cap.apk=com.cap"));
    EXPECT_FALSE(AddPackageRow(rows, "package:/data/ap"));
    EXPECT_TRUE(AddPackageRow(rows, "package:/data/app/com.b.apk=com.b"));
    EXPECT_EQ(rows.Names(), (std::vector<std::string>{"com.b.apk", "com.a-1.apk"}));
}

TEST(PackageRowsTest, CheckAllAndNoneTouchEveryRowAndAnEmptyListIsFine) {
    FakeRows rows;
    SetAllChecks(rows, true);
    EXPECT_EQ(rows.Count(), 0);
    for (const char* n : {"a.apk", "b.apk", "c.apk"}) rows.InsertAtTop(n, "");
    rows.SetChecked(1, true);
    SetAllChecks(rows, true);
    for (int r = 0; r < 3; ++r) EXPECT_TRUE(rows.IsChecked(r)) << r;
    SetAllChecks(rows, false);
    for (int r = 0; r < 3; ++r) EXPECT_FALSE(rows.IsChecked(r)) << r;
}

TEST(PackageRowsTest, ClickTogglesOnlyASelectedRow) {
    FakeRows rows;
    for (const char* n : {"a.apk", "b.apk"}) rows.InsertAtTop(n, "");
    rows.selected = {1};
    EXPECT_FALSE(ToggleCheckOnClick(rows, 0));  // not selected
    EXPECT_FALSE(rows.IsChecked(0));
    EXPECT_TRUE(ToggleCheckOnClick(rows, 1));
    EXPECT_TRUE(rows.IsChecked(1));
    EXPECT_TRUE(ToggleCheckOnClick(rows, 1));
    EXPECT_FALSE(rows.IsChecked(1));
    EXPECT_FALSE(ToggleCheckOnClick(rows, -1));  // below the last row
    EXPECT_FALSE(ToggleCheckOnClick(rows, 2));
}

}  // namespace
}  // namespace nimbo
