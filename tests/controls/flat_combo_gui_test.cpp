#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include "controls/gui/flat_combo_box.h"
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
        combo = new CCJFlatComboBox(&window, [this] { return cursor; });
        combo->setGeometry(10, 10, 120, 22);
        combo->addItems({QStringLiteral("BMP"), QStringLiteral("JPEG"), QStringLiteral("PNG")});
        ShowActive(&window);
        cursor = Outside();
    }
    QPoint Inside() const { return combo->mapToGlobal(QPoint(20, 10)); }
    QPoint Outside() const { return combo->mapToGlobal(QPoint(20, 60)); }
    QImage Render() {
        QImage img(combo->size(), QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        combo->render(&img);
        return img;
    }

    QWidget window;
    QPushButton* other = nullptr;
    CCJFlatComboBox* combo = nullptr;
    QPoint cursor;
};

TEST_F(ComboWindow, HoverDrawsHotOnceAndFlatAgainAfterLeavingWithTheTimerStopped) {
    other->setFocus();
    Pump();
    cursor = Inside();
    MoveTo(combo, {20, 10});
    MoveTo(combo, {25, 10});
    MoveTo(combo, {30, 11});
    EXPECT_EQ(combo->DrawnStates(), States{ComboFrameState::Hot});
    EXPECT_TRUE(combo->DrawnHot());
    EXPECT_TRUE(combo->HoverTimerActive());

    cursor = Outside();
    ASSERT_TRUE(WaitFor([&] { return !combo->HoverTimerActive(); }));
    EXPECT_EQ(combo->DrawnStates(), (States{ComboFrameState::Hot, ComboFrameState::Flat}));
    EXPECT_FALSE(combo->DrawnHot());
}

TEST_F(ComboWindow, HoldingTheLeftButtonDrawsThePressedButtonAndStopsTheTimer) {
    other->setFocus();
    Pump();
    cursor = Inside();
    MoveTo(combo, {20, 10});
    Mouse(combo, QEvent::MouseButtonPress, {20, 10}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(combo->LeftButtonDown());
    MoveTo(combo, {21, 10}, Qt::LeftButton);
    EXPECT_EQ(combo->DrawnStates(), (States{ComboFrameState::Hot, ComboFrameState::Pressed}));
    EXPECT_FALSE(combo->HoverTimerActive());
    combo->hidePopup();
    EXPECT_FALSE(combo->LeftButtonDown());
}

TEST_F(ComboWindow, FocusDrawsHotWithoutTheTimerAndLosingItDrawsFlat) {
    combo->setFocus();
    Pump();
    EXPECT_TRUE(combo->HasFocusFlag());
    EXPECT_FALSE(combo->HoverTimerActive());
    EXPECT_FALSE(combo->DrawnHot());
    other->setFocus();
    Pump();
    EXPECT_FALSE(combo->HasFocusFlag());
    EXPECT_EQ(combo->DrawnStates(), (States{ComboFrameState::Hot, ComboFrameState::Flat}));
}

TEST_F(ComboWindow, FramePixelsFollowTheStateAndTheDisabledLook) {
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, QColor(200, 200, 200));
    pal.setColor(QPalette::Light, QColor(255, 255, 255));
    pal.setColor(QPalette::Dark, QColor(128, 128, 128));
    window.setPalette(pal);
    other->setFocus();
    Pump();
    const int w = combo->width();
    const int thumbLeft = w - 2 - combo->ThumbWidth();
    EXPECT_EQ(combo->ThumbWidth(), 16);

    QImage img = Render();
    EXPECT_EQ(combo->PaintedState(), ComboFrameState::Flat);
    EXPECT_EQ(img.pixel(0, 0), qRgb(200, 200, 200));
    EXPECT_EQ(img.pixel(1, 1), qRgb(200, 200, 200));
    EXPECT_EQ(img.pixel(thumbLeft, 10), qRgb(255, 255, 255));

    combo->setFocus();
    Pump();
    img = Render();
    EXPECT_EQ(combo->PaintedState(), ComboFrameState::Hot);
    EXPECT_EQ(img.pixel(0, 0), qRgb(128, 128, 128));
    EXPECT_EQ(img.pixel(w - 1, 5), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(thumbLeft + 1, 5), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(thumbLeft, 10), qRgb(200, 200, 200));

    other->setFocus();
    combo->setEnabled(false);
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

    combo->setFocus();
    combo->setCurrentIndex(1);
    Pump();
    TypeKey(combo, Qt::Key_A, Qt::AltModifier, QStringLiteral("a"));
    EXPECT_EQ(mnemonics, 1) << "swallowed while the combo box has the focus";
    EXPECT_EQ(combo->currentIndex(), 1);
    // Other keys still work.
    TypeKey(combo, Qt::Key_Down, Qt::NoModifier, QString());
    EXPECT_EQ(combo->currentIndex(), 2);
}

TEST(FlatComboEditable, CompletesTypedTextFromTheList) {
    QWidget window;
    auto* combo = new CCJFlatComboBox(&window);
    combo->setEditable(true);
    combo->addItems({QStringLiteral("apple"), QStringLiteral("apricot")});
    combo->setEditText(QString());
    ShowActive(&window);
    combo->setFocus();
    Pump();
    QLineEdit* edit = combo->lineEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(combo->AutoComplete());

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
    EXPECT_EQ(combo->currentIndex(), 1);
}

}  // namespace
