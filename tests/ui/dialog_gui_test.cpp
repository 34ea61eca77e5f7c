// The window kit on its Qt backend: a window from a small template, its
// controls by kind, the message map, keys, timers, a custom-drawn control,
// and the thread-safe link before and after the window goes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "support_gui/main_window_harness.h"
#include "ui/dialog.h"
#include "ui/image_list.h"
#include "ui/qt/dialog.h"
#include "ui/ui_thread.h"

namespace nimbo::ui {
namespace {

using namespace std::chrono_literals;

const DialogTemplate& SmallTemplate() {
    using enum ControlClass;
    static const DialogTemplate t{
        900,
        "小窗口",
        200,
        100,
        "宋体",
        9,
        false,
        false,
        {
            {10, Static, "状态", 5, 5, 100, 8, 0, 0},
            {11, Edit, "路径", 5, 15, 100, 12, kTabStop, 0},
            {12, Button, "确定", 110, 15, 40, 14, kTabStop, 0},
            {13, CheckBox, "自动", 110, 35, 40, 10, kTabStop, 0},
            {14, ComboBox, "BMP\nJPEG\nPNG", 5, 35, 60, 50, kTabStop, 0},
            {15, ListView, "", 5, 50, 100, 40, kTabStop, 0},
            {16, Static, "", 160, 50, 20, 20, 0, 0},
        },
    };
    return t;
}

// Paints itself in one colour.
class Swatch final : public CustomControl {
public:
    CustomKind Kind() const override { return CustomKind::Picture; }
    void Paint(imaging::Canvas& surface) override {
        surface.FillRect({0, 0, surface.Width(), surface.Height()}, {200, 30, 40});
        ++paints;
    }
    int paints = 0;
};

class SmallWindow final : public Dialog {
public:
    SmallWindow() : Dialog(SmallTemplate()) {
        BindControl(16, swatch);
        OnCommand(12, [this] { ++okClicks; });
    }
    Swatch* swatch = nullptr;
    int okClicks = 0;
    int cancels = 0;
    bool swallowLetters = false;

protected:
    void OnCancel() override {
        ++cancels;
        Dialog::OnCancel();
    }
    bool PreTranslateKey(const KeyPress& key) override {
        return swallowLetters && key.key == Key::Character;
    }
};

TEST(DialogKit, ControlsByKindWithTemplateTextsAndTabOrder) {
    SmallWindow w;
    w.Create();
    EXPECT_EQ(w.ItemTextNow(10), "状态");
    EXPECT_EQ(w.ItemTextNow(11), "路径");
    w.SetItemTextNow(10, "新的");
    EXPECT_EQ(w.ItemTextNow(10), "新的");
    EXPECT_EQ(w.GetDlgItem(99), nullptr);
    EXPECT_EQ(w.ItemTextNow(99), "");

    auto* combo = w.Item<ComboBox>(14);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetCount(), 3);
    EXPECT_EQ(combo->GetCurSel(), -1);  // a template list starts without a choice
    combo->SetCurSel(2);
    EXPECT_EQ(w.ItemTextNow(14), "PNG");

    auto* check = w.Item<CheckBox>(13);
    ASSERT_NE(check, nullptr);
    check->SetCheck(true);
    EXPECT_TRUE(check->GetCheck());
    ASSERT_NE(w.Item<ListView>(15), nullptr);
    EXPECT_EQ(w.Item<ListView>(12), nullptr);

    // The first tab stop has the focus; the closed combo box is one line high.
    EXPECT_EQ(w.GetFocus(), w.GetDlgItem(11));
    EXPECT_EQ(w.GetDlgItem(14)->Bounds().Height(), w.Units().Y(12));
    EXPECT_EQ(qt::WidgetOf(w, 11)->nextInFocusChain(), qt::WidgetOf(w, 12));
}

TEST(DialogKit, RowsInsertedTogetherAreTheRowsInsertedOneByOne) {
    SmallWindow w;
    w.Create();
    ImageList images;
    imaging::Canvas picture(16, 16);
    picture.FillRect({0, 0, 16, 16}, {10, 20, 30});
    images.Add(picture);
    images.Add(picture);
    auto* list = w.Item<ListView>(15);
    list->InsertColumn(0, "a", 20);
    list->InsertColumn(1, "b", 40);
    list->SetImageList(&images);
    list->SetExtendedStyle(kLvsExCheckBoxes);
    list->InsertItem(0, "x", 0);
    list->InsertItem(1, "y", 0);
    list->SetCheck(1, true);
    // Between the two rows; past the end means at the end.
    EXPECT_EQ(list->InsertItems(1, 3, "n", 1), 1);
    EXPECT_EQ(list->InsertItems(99, 1, "z", 0), 5);
    EXPECT_EQ(list->InsertItems(0, 0, "none", 0), 0);
    ASSERT_EQ(list->GetItemCount(), 6);
    const char* texts[] = {"x", "n", "n", "n", "y", "z"};
    const int imageOf[] = {0, 1, 1, 1, 0, 0};
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(list->GetItemText(r, 0), texts[r]) << r;
        EXPECT_EQ(list->GetItemImage(r), imageOf[r]) << r;
        EXPECT_EQ(list->GetCheck(r), r == 4) << r;
        list->SetItemText(r, 1, "second");  // every column has its cell
        EXPECT_EQ(list->GetItemText(r, 1), "second");
    }
    auto& table = dynamic_cast<QTableWidget&>(*qt::WidgetOf(w, 15));
    EXPECT_FALSE(table.item(2, 0)->icon().isNull());
    EXPECT_TRUE(table.item(2, 0)->flags() & Qt::ItemIsUserCheckable);
}

TEST(DialogKit, ClicksReachTheMessageMapAndEscCancels) {
    SmallWindow w;
    QTimer::singleShot(0, [&] {
        qobject_cast<QAbstractButton*>(qt::WidgetOf(w, 12))->click();
        QTest::keyClick(qt::WidgetOf(w, 11), Qt::Key_Escape);
    });
    EXPECT_EQ(w.DoModal(), kIdCancel);
    EXPECT_EQ(w.okClicks, 1);
    EXPECT_EQ(w.cancels, 1);
}

TEST(DialogKit, TheWindowSeesKeysBeforeItsControls) {
    SmallWindow w;
    w.Create();
    auto* edit = qt::WidgetOf(w, 11);
    edit->setFocus();
    w.swallowLetters = true;
    QTest::keyClicks(edit, "ab");
    EXPECT_EQ(w.ItemTextNow(11), "路径");
    w.swallowLetters = false;
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, "c");
    EXPECT_EQ(w.ItemTextNow(11), "路径c");
}

TEST(DialogKit, ACustomControlShowsWhatItPaints) {
    SmallWindow w;
    w.Create();
    ASSERT_NE(w.swatch->Host(), nullptr);
    EXPECT_EQ(w.CustomItem(16), w.swatch);
    const QImage shot = qt::WidgetOf(w, 16)->grab().toImage();
    EXPECT_GT(w.swatch->paints, 0);
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() / 2), QColor(200, 30, 40));
}

TEST(DialogKit, TimersTickOnTheWindowThreadUntilStopped) {
    SmallWindow w;
    w.Create();
    int ticks = 0;
    std::unique_ptr<Timer> timer;
    timer = w.MakeTimer(1ms, [&] {
        if (++ticks == 3) timer->Stop();
    });
    timer->Start();
    EXPECT_TRUE(test::MainWindowHarness::WaitUntil([&] { return !timer->IsActive(); }));
    EXPECT_EQ(ticks, 3);
}

TEST(DialogKit, TheLinkCarriesWorkerCallsOverAndGoesQuietWithTheWindow) {
    auto w = std::make_unique<SmallWindow>();
    w->Create();
    std::shared_ptr<DialogLink> link = w->Link();
    std::atomic<bool> done{false};
    std::string read;
    bool ran = false;
    bool workerIsWindowThread = true;
    std::thread worker([&] {
        workerIsWindowThread = OnUiThread();
        link->SetDlgItemText(10, "来自线程");
        read = link->GetDlgItemText(10);
        ran = link->RunOnUiThread([] {});
        done = true;
    });
    EXPECT_TRUE(test::MainWindowHarness::WaitUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(read, "来自线程");
    EXPECT_EQ(w->ItemTextNow(10), "来自线程");
    EXPECT_TRUE(ran);
    EXPECT_FALSE(workerIsWindowThread);
    // On the window thread itself the call runs at once.
    EXPECT_TRUE(OnUiThread());
    EXPECT_TRUE(link->RunOnUiThread([&] { w->SetItemTextNow(10, "直接"); }));
    EXPECT_EQ(w->ItemTextNow(10), "直接");
}

// The window goes while a worker waits for the window thread (which is busy
// and runs no events meanwhile, as when the program is ending): the worker is
// let go with "gone", and its call never runs, not even when the queued call
// comes up later.
TEST(DialogKit, AHopCutWhileAWorkerWaitsIsLetGoAndNeverRuns) {
    auto w = std::make_unique<SmallWindow>();
    w->Create();
    std::shared_ptr<DialogLink> link = w->Link();
    std::atomic<bool> ran{false};
    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = link->RunOnUiThread([&] { ran = true; }) ? 1 : 0; });
    const auto guard = std::chrono::steady_clock::now() + 60s;
    while (link->Waiting() == 0 && std::chrono::steady_clock::now() < guard) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(link->Waiting(), 1);

    w.reset();
    worker.join();
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(link->Waiting(), 0);
    QApplication::processEvents();  // the queued call finds its job released
    EXPECT_FALSE(ran);
}

TEST(DialogKit, AHopFromAWorkerAfterTheWindowClosedIsRefusedAtOnce) {
    auto w = std::make_unique<SmallWindow>();
    w->Create();
    std::shared_ptr<DialogLink> link = w->Link();
    w.reset();
    EXPECT_FALSE(link->Alive());

    // No event loop runs here: a refused call must not wait for one.
    bool ran = false;
    bool answered = true;
    std::string read = "not read";
    std::thread late([&] {
        answered = link->RunOnUiThread([&] { ran = true; });
        read = link->GetDlgItemText(10);
        link->SetDlgItemText(10, "ignored");
    });
    late.join();
    EXPECT_FALSE(answered);
    EXPECT_FALSE(ran);
    EXPECT_EQ(read, "");
    // The window thread itself is refused the same way.
    EXPECT_FALSE(link->RunOnUiThread([&] { ran = true; }));
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace nimbo::ui
