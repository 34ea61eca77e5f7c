#pragma once
// The device list of the main window as a user works it: read the serials,
// wait for a list, click a phone's row to make it current.
#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

#include "support_gui/main_window_harness.h"

namespace nimbo::test {

inline std::vector<std::string> ListedSerials(MainWindowHarness& window) {
    auto& list = MainWindowHarness::QtList(window.Window().DeviceList());
    std::vector<std::string> out;
    for (int r = 0; r < list.GetItemCount(); ++r) out.push_back(list.GetItemText(r, 2));
    return out;
}

// Clicks the row of `serial`; false when it is not listed.
inline bool ClickDevice(MainWindowHarness& window, const std::string& serial) {
    auto& list = MainWindowHarness::QtList(window.Window().DeviceList());
    for (int r = 0; r < list.GetItemCount(); ++r) {
        if (list.GetItemText(r, 2) != serial) continue;
        const QPoint at = list.visualItemRect(list.item(r, 2)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QApplication::processEvents();
        return true;
    }
    return false;
}

}  // namespace nimbo::test
