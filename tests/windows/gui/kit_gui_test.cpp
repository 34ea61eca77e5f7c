// The Win32 backend's own parts: a worker's text reaches a control through
// the window thread's message loop; the list view keeps per-row data with its
// rows and refuses a check-box toggle the window asked to handle itself; text
// and icons land on the canvas as the skinned controls expect; key messages
// become the kit's key presses.
#include <windows.h>
#include <commctrl.h>
// windows.h names its A/W pairs by macros; the kit's link has methods of these names.
#undef SetDlgItemText
#undef GetDlgItemText

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "ui/dialog.h"
#include "ui/dialog_template.h"
#include "ui/win/gdi.h"
#include "ui/win/keyboard.h"
#include "ui/win/list_view.h"
#include "ui/win/window_system.h"
#include "windows/gui/pump_messages.h"

namespace nimbo::ui {
namespace {

using test::PumpUntil;

const DialogTemplate& SmallTemplate() {
    static const DialogTemplate t{
        900, "测试窗口", 200, 120, "宋体", 9, false, false,
        {
            {10, ControlClass::Static, "开始", 5, 5, 100, 8, 0, 0},
            {11, ControlClass::ListView, "", 5, 20, 190, 90, kTabStop | kReportView, 0},
        },
    };
    return t;
}

class KitTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { windows_ = new win::WindowSystem(GetModuleHandleW(nullptr)); }
    static void TearDownTestSuite() { delete windows_; }
    static win::WindowSystem* windows_;
};
win::WindowSystem* KitTest::windows_ = nullptr;

TEST_F(KitTest, AWorkersTextReachesTheControlThroughTheWindowThread) {
    Dialog dialog(SmallTemplate());
    ASSERT_TRUE(dialog.Create());
    std::shared_ptr<DialogLink> link = dialog.Link();
    std::atomic<bool> done{false};
    std::string readBack;
    std::thread worker([&] {
        link->SetDlgItemText(10, "设备已连接");
        readBack = link->GetDlgItemText(10);
        done = true;
    });
    // The worker waits until this thread's message loop has run its calls.
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(readBack, "设备已连接");
    EXPECT_EQ(dialog.ItemTextNow(10), "设备已连接");
}

TEST_F(KitTest, ListRowsKeepTheirDataAndRefuseTogglesTheWindowHandles) {
    Dialog dialog(SmallTemplate());
    ASSERT_TRUE(dialog.Create());
    auto* list = dialog.Item<ListView>(11);
    ASSERT_NE(list, nullptr);
    list->SetExtendedStyle(kLvsExCheckBoxes | kLvsExFullRowSelect | kLvsExGridLines);
    list->InsertColumn(0, "序号", 40);
    list->InsertColumn(1, "软件名称", 120);
    EXPECT_EQ(list->InsertItem(0, "1", 0), 0);
    list->SetItemData(0, "com.example.first");
    // A row put in front moves the first row's data along with it.
    EXPECT_EQ(list->InsertItem(0, "2", 0), 0);
    list->SetItemData(0, "com.example.second");
    list->SetItemText(0, 1, "第二个");
    EXPECT_EQ(list->GetItemData(1), "com.example.first");
    EXPECT_EQ(list->GetItemText(0, 1), "第二个");

    list->SetCheck(1, true);
    EXPECT_TRUE(list->GetCheck(1));
    list->SetCheckToggledByClick(1, false);
    // The list's own toggle (what a click on the box sends) is refused...
    auto& win32 = dynamic_cast<win::Win32ListView&>(*list);
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(1);
    SendMessageW(win32.Hwnd(), LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_TRUE(list->GetCheck(1));
    // ...while the window's own SetCheck goes through, and other rows toggle freely.
    list->SetCheck(1, false);
    EXPECT_FALSE(list->GetCheck(1));
    item.state = INDEXTOSTATEIMAGEMASK(2);
    SendMessageW(win32.Hwnd(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_TRUE(list->GetCheck(0));

    list->DeleteAllItems();
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(list->GetItemData(0), "");
}

TEST_F(KitTest, TextIsDrawnOpaqueInsideItsRectangleAndIconsEmbossWhenDisabled) {
    win::GdiTextPainter text(win::DialogFontSpec("宋体", 9));
    const imaging::Size one = text.Measure("安装", 1000, TextFormat::SingleLineVCenterNoClip);
    const imaging::Size two = text.Measure("安装安装", 1000, TextFormat::SingleLineVCenterNoClip);
    EXPECT_GT(one.width, 0);
    EXPECT_GT(two.width, one.width);

    imaging::Canvas canvas(80, 30, imaging::Canvas::kTransparent);
    text.Draw(canvas, {10, 5, 70, 25}, "安装", {0, 0, 255}, TextFormat::SingleLineVCenterNoClip);
    int ink = 0, outside = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 80; ++x) {
            const std::uint32_t p = canvas.RawPixel(x, y);
            if (p == imaging::Canvas::kTransparent) continue;
            EXPECT_EQ(p >> 24, 0xFFu);  // what GDI drew is opaque
            if (x < 10 || y < 5 || y >= 25) ++outside;
            ++ink;
        }
    }
    EXPECT_GT(ink, 20);
    EXPECT_EQ(outside, 0);

    imaging::Canvas icon(4, 4, imaging::Canvas::ToPixel({255, 0, 0}));
    win::CanvasIconPainter painter(icon);
    imaging::Canvas target(8, 8, imaging::Canvas::ToPixel({255, 255, 255}));
    painter.Draw(target, {1, 1}, true, {250, 250, 250}, {100, 100, 100});
    EXPECT_EQ(target.GetPixel(1, 1), (imaging::Color{100, 100, 100}));  // shadow on top
    EXPECT_EQ(target.GetPixel(5, 5), (imaging::Color{250, 250, 250}));  // highlight beneath, offset
    painter.Draw(target, {1, 1}, false, {}, {});
    EXPECT_EQ(target.GetPixel(2, 2), (imaging::Color{255, 0, 0}));
}

TEST_F(KitTest, KeyMessagesBecomeTheKitsKeyPresses) {
    EXPECT_EQ(win::KeyPressFromMessage(WM_KEYDOWN, VK_ESCAPE, 1).key, Key::Escape);
    const KeyPress enter = win::KeyPressFromMessage(WM_KEYDOWN, VK_RETURN, 1 | (1 << 24));
    EXPECT_EQ(enter.key, Key::Enter);
    EXPECT_TRUE(enter.keypad);
    EXPECT_TRUE(win::KeyPressFromMessage(WM_KEYDOWN, VK_TAB, 1 | (1 << 30)).autoRepeat);
    const KeyPress han = win::KeyPressFromMessage(WM_CHAR, L'装', 1);
    EXPECT_EQ(han.key, Key::Character);
    EXPECT_EQ(han.text, "装");
    const KeyPress v = win::KeyPressFromMessage(WM_KEYDOWN, 'V', 1);
    EXPECT_EQ(v.key, Key::Character);
    EXPECT_EQ(v.text, "v");
}

}  // namespace
}  // namespace nimbo::ui
