#pragma once
// The main window with a simulated phone that has five packages installed,
// for the end-to-end tests of the package list and the export.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "packages/package_listing.h"
#include "platform/paths.h"
#include "support/phone_fixture.h"
#include "support/phonesim_apk.h"
#include "support_gui/main_window_harness.h"
#include "support_gui/window_with_phones.h"
#include "templates/control_ids.h"

namespace nimbo::test {

class PackagesWindowTest : public WindowWithPhonesTest {
protected:
    // Exports resolve relative folders against the current one.
    void SetUp() override {
        savedDir_ = platform::GetCurrentDirectory();
        WindowWithPhonesTest::SetUp();
    }
    void TearDown() override {
        WindowWithPhonesTest::TearDown();
        platform::SetCurrentDirectory(savedDir_);
    }

    // One phone with com.example.p1 .. p5 installed through adb, each APK of
    // its own size.
    void StartPhoneWithFivePackages(bool newerLayout) {
        PhoneOptions options;
        options.modernLayout = newerLayout;
        ASSERT_TRUE(phones_.Start(1, options)) << phones_.error();
        for (int i = 1; i <= 5; ++i) {
            const std::string package = "com.example.p" + std::to_string(i);
            const auto apk = files_.path() / (package + ".apk");
            ASSERT_TRUE(MakeTestApk(apk, package, 20000 + 7919 * i));
            const auto r = phones_.RunAdb({"install", "-r", apk.string()});
            ASSERT_NE(r.output.find("Success"), std::string::npos) << r.output;
        }
    }

    // The APK paths below /data/app/ in the order the phone lists them.
    std::vector<std::string> PhoneOrder() const {
        const std::string out = phones_.RunAdb({"shell", "pm", "list", "packages", "-f"}).output;
        std::vector<std::string> names;
        const std::string prefix = "package:/data/app/";
        for (size_t at = out.find(prefix); at != std::string::npos; at = out.find(prefix, at)) {
            at += prefix.size();
            const size_t end = out.find('\n', at);
            const std::string line = out.substr(at, end - at);
            names.push_back(line.substr(0, line.rfind('=')));
        }
        return names;
    }

    // Presses "刷新" and waits for the listing to end.
    void Refresh() {
        window_->Click(ids::kRefreshPackagesButton);
        EXPECT_EQ(window_->Text(ids::kOperationStatus), kListingStartText);
        ASSERT_TRUE(WaitForWorkers());
        ASSERT_TRUE(MainWindowHarness::WaitUntil(
            [&] { return window_->Text(ids::kOperationStatus) == kListingDoneText; }));
    }

    ui::qt::QtListView& List() {
        return MainWindowHarness::QtList(window_->Window().PackageList());
    }

    std::vector<std::string> Rows() {
        std::vector<std::string> names;
        for (int r = 0; r < List().GetItemCount(); ++r) names.push_back(List().GetItemText(r, 1));
        return names;
    }
    std::vector<bool> Checks() {
        std::vector<bool> checks;
        for (int r = 0; r < List().GetItemCount(); ++r) checks.push_back(List().GetCheck(r));
        return checks;
    }

    // A user's left click on the name of a row, or on its check box.
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QRect cell = List().visualItemRect(List().item(row, 1));
        QTest::mouseClick(List().viewport(), Qt::LeftButton, modifiers, cell.center());
        QApplication::processEvents();
    }
    void ClickCheckBox(int row) {
        QStyleOptionViewItem option;
        option.initFrom(&List());
        option.rect = List().visualItemRect(List().item(row, 0));
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect box =
            List().style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &List());
        QTest::mouseClick(List().viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
        QApplication::processEvents();
    }

    TempDir files_;
    std::string savedDir_;
};

}  // namespace nimbo::test
