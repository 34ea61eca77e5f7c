#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include "controls/flat_combo_box.h"
#include "hosted_control.h"
#include "widget_events.h"

namespace {

using namespace nimbo::testing;
using nimbo::ComboFrameState;
using States = std::vector<ComboFrameState>;

// Waits for the hover timer's ticks; no assertion depends on how fast they come.
template <typename Pred>
bool WaitFor(Pred done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class ComboWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(300, 100);
        other = new QPushButton(QStringLiteral("Apply"), &window);
        other->setGeometry(200, 10, 80, 24);
        box = HostControl<QComboBox>(combo, &window, {10, 10, 120, 22}, {},
                                     [this] { return cursor; });
        for (const char* item : {"BMP", "JPEG", "PNG"}) combo.AddString(item);
        ShowActive(&window);
        cursor = Outside();
    }
    QPoint Inside() const { return box->mapToGlobal(QPoint(20, 10)); }
    QPoint Outside() const { return box->mapToGlobal(QPoint(20, 60)); }
    QImage Render() {
        QImage img(box->size(), QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        box->render(&img);
        return img;
    }

    CCJFlatComboBox combo;
    QWidget window;
    QPushButton* other = nullptr;
    QComboBox* box = nullptr;
    QPoint cursor;
};

TEST_F(ComboWindow, TheListIsReachedThroughTheControl) {
    EXPECT_EQ(combo.GetCount(), 3);
    EXPECT_EQ(combo.GetLBText(1), "JPEG");
    combo.SetCurSel(2);
    EXPECT_EQ(box->currentIndex(), 2);
    EXPECT_EQ(combo.GetCurSel(), 2);
    EXPECT_EQ(combo.CurrentText(), "PNG");
    combo.ResetContent();
    EXPECT_EQ(box->count(), 0);
    EXPECT_EQ(combo.GetCurSel(), -1);
}

TEST_F(ComboWindow, HoverDrawsHotOnceAndFlatAgainAfterLeavingWithTheTimerStopped) {
    other->setFocus();
    Pump();
    cursor = Inside();
    MoveTo(box, {20, 10});
    MoveTo(box, {25, 10});
    MoveTo(box, {30, 11});
    EXPECT_EQ(combo.DrawnStates(), States{ComboFrameState::Hot});
    EXPECT_TRUE(combo.DrawnHot());
    EXPECT_TRUE(combo.HoverTimerActive());

    cursor = Outside();
    ASSERT_TRUE(WaitFor([&] { return !combo.HoverTimerActive(); }));
    EXPECT_EQ(combo.DrawnStates(), (States{ComboFrameState::Hot, ComboFrameState::Flat}));
    EXPECT_FALSE(combo.DrawnHot());
}

TEST_F(ComboWindow, HoldingTheLeftButtonDrawsThePressedButtonAndStopsTheTimer) {
    other->setFocus();
    Pump();
    cursor = Inside();
    MoveTo(box, {20, 10});
    Mouse(box, QEvent::MouseButtonPress, {20, 10}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(combo.LeftButtonDown());
    MoveTo(box, {21, 10}, Qt::LeftButton);
    EXPECT_EQ(combo.DrawnStates(), (States{ComboFrameState::Hot, ComboFrameState::Pressed}));
    EXPECT_FALSE(combo.HoverTimerActive());
    box->hidePopup();
    EXPECT_FALSE(combo.LeftButtonDown());
}

TEST_F(ComboWindow, FocusDrawsHotWithoutTheTimerAndLosingItDrawsFlat) {
    box->setFocus();
    Pump();
    EXPECT_TRUE(combo.HasFocusFlag());
    EXPECT_FALSE(combo.HoverTimerActive());
    EXPECT_FALSE(combo.DrawnHot());
    other->setFocus();
    Pump();
    EXPECT_FALSE(combo.HasFocusFlag());
    EXPECT_EQ(combo.DrawnStates(), (States{ComboFrameState::Hot, ComboFrameState::Flat}));
}

TEST_F(ComboWindow, FramePixelsFollowTheStateAndTheDisabledLook) {
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, QColor(200, 200, 200));
    pal.setColor(QPalette::Light, QColor(255, 255, 255));
    pal.setColor(QPalette::Dark, QColor(128, 128, 128));
    window.setPalette(pal);
    other->setFocus();
    Pump();
    const int w = box->width();
    const int thumbLeft = w - 2 - combo.ThumbWidth();
    EXPECT_EQ(combo.ThumbWidth(), 16);

    QImage img = Render();
    EXPECT_EQ(combo.PaintedState(), ComboFrameState::Flat);
    EXPECT_EQ(img.pixel(0, 0), qRgb(200, 200, 200));
    EXPECT_EQ(img.pixel(1, 1), qRgb(200, 200, 200));
    EXPECT_EQ(img.pixel(thumbLeft, 10), qRgb(255, 255, 255));

    box->setFocus();
    Pump();
    img = Render();
    EXPECT_EQ(combo.PaintedState(), ComboFrameState::Hot);
    EXPECT_EQ(img.pixel(0, 0), qRgb(128, 128, 128));
    EXPECT_EQ(img.pixel(w - 1, 5), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(thumbLeft + 1, 5), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(thumbLeft, 10), qRgb(200, 200, 200));

    other->setFocus();
    box->setEnabled(false);
    Pump();
    img = Render();
    EXPECT_EQ(img.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(thumbLeft, 10), qRgb(200, 200, 200));
    EXPECT_EQ(img.pixel(thumbLeft + 1, 10), qRgb(200, 200, 200));
}

TEST_F(ComboWindow, AltAndACharacterNeverReachTheDialog) {
    // Alt+A stands for a mnemonic of the window (buttons' mnemonics are such shortcuts).
    int mnemonics = 0;
    auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Alt+A")), &window);
    QObject::connect(shortcut, &QShortcut::activated, [&] { ++mnemonics; });
    other->setFocus();
    Pump();
    TypeKey(other, Qt::Key_A, Qt::AltModifier, QStringLiteral("a"));
    ASSERT_EQ(mnemonics, 1) << "the mnemonic works from elsewhere";

    box->setFocus();
    combo.SetCurSel(1);
    Pump();
    TypeKey(box, Qt::Key_A, Qt::AltModifier, QStringLiteral("a"));
    EXPECT_EQ(mnemonics, 1) << "swallowed while the combo box has the focus";
    EXPECT_EQ(combo.GetCurSel(), 1);
    // Other keys still work.
    TypeKey(box, Qt::Key_Down, Qt::NoModifier, QString());
    EXPECT_EQ(combo.GetCurSel(), 2);
}

TEST_F(ComboWindow, TheHoverTimerOutlivesTheBoxHarmlessly) {
    cursor = Inside();
    MoveTo(box, {20, 10});
    ASSERT_TRUE(combo.HoverTimerActive());
    delete box;
    EXPECT_EQ(combo.Host(), nullptr);
    EXPECT_TRUE(WaitFor([&] { return !combo.HoverTimerActive(); }));
    EXPECT_EQ(combo.GetCount(), 0) << "no list without the box";
}

TEST(FlatComboEditable, CompletesTypedTextFromTheList) {
    CCJFlatComboBox combo;
    QWidget window;
    auto* box = HostControl<QComboBox>(combo, &window, {10, 10, 120, 22});
    box->setEditable(true);
    combo.AddString("apple");
    combo.AddString("apricot");
    box->setEditText(QString());
    ShowActive(&window);
    box->setFocus();
    Pump();
    QLineEdit* edit = box->lineEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(combo.AutoComplete());

    TypeKey(edit, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    EXPECT_EQ(edit->text(), QStringLiteral("apple"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("pple"));

    TypeKey(edit, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    EXPECT_EQ(edit->text(), QStringLiteral("ax"));
    EXPECT_FALSE(edit->hasSelectedText());
    EXPECT_EQ(edit->cursorPosition(), 2);

    // Erasing keeps what is left instead of completing it again.
    TypeKey(edit, Qt::Key_Backspace, Qt::NoModifier, QString());
    EXPECT_EQ(edit->text(), QStringLiteral("a"));
    TypeKey(edit, Qt::Key_P, Qt::NoModifier, QStringLiteral("p"));
    TypeKey(edit, Qt::Key_R, Qt::NoModifier, QStringLiteral("r"));
    EXPECT_EQ(edit->text(), QStringLiteral("apricot"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("icot"));
    EXPECT_EQ(combo.GetCurSel(), 1);
}

// Typing reaches the box, which passes the keys on to its edit field: erasing
// there must not complete either.
TEST(FlatComboEditable, ErasingThroughTheBoxDoesNotCompleteAgain) {
    CCJFlatComboBox combo;
    QWidget window;
    auto* box = HostControl<QComboBox>(combo, &window, {10, 10, 120, 22});
    box->setEditable(true);
    combo.AddString("apple");
    box->setEditText(QString());
    ShowActive(&window);
    box->setFocus();
    Pump();
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    TypeKey(focus, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    TypeKey(focus, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    TypeKey(focus, Qt::Key_Backspace, Qt::NoModifier, QString());
    EXPECT_EQ(box->lineEdit()->text(), QStringLiteral("a"));
    EXPECT_FALSE(box->lineEdit()->hasSelectedText());
}

}  // namespace
