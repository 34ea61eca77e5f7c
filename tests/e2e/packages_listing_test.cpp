// The package list of the main window against the real adb and a simulated
// phone: "刷新" lists the phone's own packages, "全选"/"全无" set every check
// mark, a click toggles the mark of the selected row, and the hidden removal
// button only shows boxes.
#include <algorithm>
#include <fstream>

#include "packages/package_test_support.h"
#include "packages/packages_window_support.h"

namespace nimbo {
namespace {

using test::MainWindowHarness;
using test::PackagesWindowTest;

// Two phones and a listing that names neither: adb refuses, and the status
// says why instead of reporting an empty phone.
TEST(PackagesListingTwoPhones, AListingNamingNoPhoneSaysThatThereAreSeveral) {
    test::PhoneFixture phones;
    ASSERT_TRUE(phones.Start(2)) << phones.error();
    test::FakeClock clock;
    auto launcher = platform::MakeSystemProcessLauncher({});
    const CommandRunner runner(*launcher, clock, [](const std::string&) {});
    PackagesState state;
    auto rows = std::make_shared<test::FakeRows>();
    rows->InsertAtTop("stale.apk", "");
    auto view = std::make_shared<test::RecordingPackagesView>(rows);
    EXPECT_EQ(PackageListWorker(view, runner, state, BeginPackageListing(state, *rows)),
              ListingEnd::Filled);
    EXPECT_EQ(rows->Count(), 0);
    EXPECT_EQ(view->OperationStatus(), "连接了多台设备,请只保留一台手机");

    // Naming one of them lists it.
    EXPECT_EQ(PackageListWorker(view, runner, state, BeginPackageListing(state, *rows), {},
                                phones.serial(1)),
              ListingEnd::Filled);
    EXPECT_EQ(view->OperationStatus(), kListingDoneText);
    EXPECT_TRUE(phones.Stop()) << phones.error();
}

std::vector<std::string> Reversed(std::vector<std::string> v) {
    std::reverse(v.begin(), v.end());
    return v;
}

TEST_F(PackagesWindowTest, RefreshListsThePhonesPackagesInReverseOrderUnchecked) {
    StartPhoneWithFivePackages(false);
    Refresh();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"com.example.p5-1.apk", "com.example.p4-1.apk",
                                                "com.example.p3-1.apk", "com.example.p2-1.apk",
                                                "com.example.p1-1.apk"}));
    EXPECT_EQ(Checks(), std::vector<bool>(5, false));
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(List().GetItemImage(r), 0);
        EXPECT_EQ(List().GetItemText(r, 0), "");
    }
    // A second press lists afresh instead of adding to the rows.
    Refresh();
    EXPECT_EQ(Rows().size(), 5u);
}

TEST_F(PackagesWindowTest, NewerLayoutRowsShowTheirPathAndKeepThePackageName) {
    StartPhoneWithFivePackages(true);
    Refresh();
    const std::vector<std::string> expected = Reversed(PhoneOrder());
    ASSERT_EQ(expected.size(), 5u);
    EXPECT_EQ(Rows(), expected);
    for (int r = 0; r < 5; ++r) {
        EXPECT_TRUE(Rows()[r].ends_with("/base.apk")) << Rows()[r];
        EXPECT_TRUE(List().GetItemData(r).starts_with("com.example.p")) << r;
        EXPECT_NE(Rows()[r].find(List().GetItemData(r) + "-"), std::string::npos) << r;
    }
}

TEST_F(PackagesWindowTest, CheckAllCheckNoneAndClicks) {
    window_->Click(ids::kSelectAllButton);  // an empty list: nothing to do
    StartPhoneWithFivePackages(false);
    Refresh();
    window_->Click(ids::kSelectAllButton);
    EXPECT_EQ(Checks(), std::vector<bool>(5, true));
    window_->Click(ids::kSelectNoneButton);
    EXPECT_EQ(Checks(), std::vector<bool>(5, false));

    // A click selects the row and toggles its mark; a second click toggles back.
    ClickRow(2);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false, true, false, false}));
    EXPECT_EQ(List().GetSelectionMark(), 2);
    ClickRow(2);
    EXPECT_EQ(Checks(), std::vector<bool>(5, false));
    // A click right on the box toggles it exactly once, on the selected row
    // and on any other.
    ClickRow(4);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false, false, true}));
    ClickCheckBox(4);
    EXPECT_EQ(Checks(), std::vector<bool>(5, false));
    ClickCheckBox(3);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false, true, false}));
    ClickCheckBox(3);
    EXPECT_EQ(Checks(), std::vector<bool>(5, false));
    // Ctrl+click on the selected row unselects it: that click leaves the mark alone.
    ClickRow(1);
    ClickRow(1, Qt::ControlModifier);
    EXPECT_FALSE(List().item(1, 0)->isSelected());
    EXPECT_EQ(Checks(), (std::vector<bool>{false, true, false, false, false}));
}

TEST_F(PackagesWindowTest, HiddenRemovalButtonShowsTheMarkedRowPerCheckedRowAndRemovesNothing) {
    StartPhoneWithFivePackages(false);
    Refresh();
    ClickRow(0);
    ClickRow(3);  // rows 0 and 3 checked, the mark on row 3
    EXPECT_FALSE(window_->Window().GetDlgItem(ids::kUninstallButton)->IsVisible());
    window_->Click(ids::kUninstallButton);
    const auto boxes = window_->Dialogs().MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.text, "com.example.p2-1.apk");
        EXPECT_EQ(box.title, "Nimbo");
    }
    EXPECT_EQ(PhoneOrder().size(), 5u);
    EXPECT_EQ(Rows().size(), 5u);
}

TEST_F(PackagesWindowTest, LongListingArrivesWholeThroughAdb) {
    ASSERT_TRUE(phones_.Start(1)) << phones_.error();
    const auto appDir = phones_.stateDir() / "data" / "app";
    std::filesystem::create_directories(appDir);
    for (int i = 0; i < 1500; ++i) {
        std::ofstream(appDir / ("com.vendor.bulk.application" + std::to_string(i) + "-1.apk"))
            << "not inspected";
    }
    Refresh();
    ASSERT_EQ(Rows().size(), 1500u);
    const std::vector<std::string> expected = Reversed(PhoneOrder());
    EXPECT_EQ(Rows(), expected);
}

// No phone at all: an empty list, and the status says there is no phone
// instead of reporting a listing that never ran.
TEST_F(PackagesWindowTest, NoPhoneGivesAnEmptyListAndSaysSo) {
    ASSERT_TRUE(phones_.Start(0)) << phones_.error();
    window_->Click(ids::kRefreshPackagesButton);
    ASSERT_TRUE(WaitForWorkers());
    const std::string expected = "请确认手机已经连接到电脑上";
    ASSERT_TRUE(MainWindowHarness::WaitUntil([&] {
        return window_->Text(ids::kOperationStatus) == expected;
    })) << window_->Text(ids::kOperationStatus);
    EXPECT_TRUE(Rows().empty());
}

}  // namespace
}  // namespace nimbo
