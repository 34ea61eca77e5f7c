#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QPainter>

#include "controls/gradient_button.h"
#include "hosted_control.h"
#include "widget_events.h"

namespace {

using namespace nimbo::testing;
using nimbo::imaging::Canvas;
using nimbo::imaging::Size;

// A window with an edit field, the button under test, and two more tab stops.
class ButtonWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(300, 120);
        before = new QLineEdit(&window);
        before->setGeometry(5, 5, 60, 20);
        widget =
            HostControl<QAbstractButton>(button, &window, {80, 5, 80, 30}, [this] { onCommand(); });
        widget->setText(QStringLiteral("刷新"));
        after = new QLineEdit(&window);
        after->setGeometry(180, 5, 60, 20);
        otherWidget = HostControl(other, &window, {80, 60, 80, 30});
        QWidget::setTabOrder(before, widget);
        QWidget::setTabOrder(widget, after);
        QWidget::setTabOrder(after, otherWidget);
        button.onHotChanged = [this](bool) { ++hotChanges; };
        ShowActive(&window);
    }

    // Declared before the window: the window's widgets go first.
    CGradientButton button;
    CGradientButton other;
    QWidget window;
    QLineEdit* before = nullptr;
    QAbstractButton* widget = nullptr;
    QLineEdit* after = nullptr;
    QWidget* otherWidget = nullptr;
    std::function<void()> onCommand = [] {};
    int hotChanges = 0;
};

TEST_F(ButtonWindow, EnteringLightsOnceAndADragDoesNot) {
    MoveTo(widget, {10, 10});
    EXPECT_TRUE(button.IsHot());
    MoveTo(widget, {20, 12});
    MoveTo(widget, {30, 14});
    EXPECT_EQ(hotChanges, 1);

    // Moving out while holding the button, over another window, unlights it.
    MoveTo(widget, {10, 70}, Qt::LeftButton);
    EXPECT_FALSE(button.IsHot());

    // A drag entering the button does not light it.
    MoveTo(widget, {10, 10}, Qt::LeftButton);
    EXPECT_FALSE(button.IsHot());
    EXPECT_EQ(hotChanges, 2);
}

TEST_F(ButtonWindow, LeaveFocusLossDeactivationAndDisablingClearTheHotState) {
    MoveTo(widget, {10, 10});
    Leave(widget);
    EXPECT_FALSE(button.IsHot());

    widget->setFocus();
    MoveTo(widget, {10, 10});
    after->setFocus();
    Pump();
    EXPECT_FALSE(button.IsHot());

    MoveTo(widget, {10, 10});
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(widget, &deactivate);
    EXPECT_FALSE(button.IsHot());

    MoveTo(widget, {10, 10});
    QEvent blocked(QEvent::WindowBlocked);
    QApplication::sendEvent(widget, &blocked);
    EXPECT_FALSE(button.IsHot());

    MoveTo(widget, {10, 10});
    widget->setEnabled(false);
    EXPECT_FALSE(button.IsHot());
    EXPECT_EQ(hotChanges, 10);
}

TEST_F(ButtonWindow, DisablingMovesTheFocusToTheNextTabStopEvenFromElsewhere) {
    before->setFocus();
    Pump();
    ASSERT_TRUE(before->hasFocus());
    button.Host()->Self().Enable(false);
    Pump();
    EXPECT_TRUE(after->hasFocus());

    // Disabling the whole window is not the button being disabled.
    button.Host()->Self().Enable(true);
    before->setFocus();
    Pump();
    otherWidget->setEnabled(false);
    Pump();
    EXPECT_TRUE(before->hasFocus()) << "the tab stop after the last one wraps round";
}

TEST_F(ButtonWindow, StyleChangesKeepTheButtonOwnerDrawnAndSetTheDefault) {
    EXPECT_EQ(button.ButtonStyle() & 0xF, CSmartButton::kOwnerDraw);
    EXPECT_EQ(button.DialogCode() & 0x30, CSmartButton::kDlgcUndefPushButton);
    button.SetButtonStyle(0x50010001);
    EXPECT_TRUE(button.IsDefault());
    EXPECT_EQ(button.ButtonStyle(), 0x5001000Bu);
    EXPECT_EQ(button.DialogCode() & 0x30, CSmartButton::kDlgcDefPushButton);
    button.SetButtonStyle(0x3);  // another type leaves the default alone
    EXPECT_TRUE(button.IsDefault());
    EXPECT_EQ(button.ButtonStyle(), 0xBu);
    button.SetButtonStyle(0x0);
    EXPECT_FALSE(button.IsDefault());
    EXPECT_EQ(button.DialogCode() & 0x30, CSmartButton::kDlgcUndefPushButton);
}

TEST_F(ButtonWindow, ADoubleClickActsAsASecondClickAndTakesTheFocus) {
    int clicks = 0;
    onCommand = [&] {
        ++clicks;
        EXPECT_TRUE(widget->hasFocus()) << "the button has the focus before the window hears";
    };
    before->setFocus();
    DoubleClick(widget, {10, 10});
    EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonWindow, IconLaysOutAtTwiceItsHotSpotAndCanBeRemoved) {
    const std::uint32_t red = Canvas::ToPixel({255, 0, 0});
    EXPECT_EQ(button.SetIconHandle(Canvas(15, 15, red)), 0);
    EXPECT_EQ(button.IconLayout(), (Size{14, 14}));
    button.SetIconHandle(Canvas(15, 16, red));
    EXPECT_EQ(button.IconLayout(), (Size{14, 16}));
    button.SetIconHandle(Canvas());
    EXPECT_FALSE(button.HasIcon());
    EXPECT_EQ(button.IconLayout(), Size{});
    button.SetIconById(148);
    EXPECT_EQ(button.IconLayout(), (Size{14, 14}));
    button.SetIconById(99999);
    EXPECT_FALSE(button.HasIcon());
}

// The rendered button: the face's pixels at the places that tell the looks apart.
class ButtonPixels : public ButtonWindow {
protected:
    QImage Render() {
        QImage img(widget->size(), QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        widget->render(&img);
        return img;
    }
    static QRgb Rgb(int r, int g, int b) { return qRgb(r, g, b); }
};

TEST_F(ButtonPixels, RimShowsTheStateAndTheParentShowsAtTheCorners) {
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, QColor(10, 20, 30));
    window.setPalette(pal);
    EXPECT_FALSE(button.HasBackgroundSnapshot());
    QImage img = Render();
    EXPECT_TRUE(button.HasBackgroundSnapshot());
    EXPECT_EQ(img.pixel(0, 0), Rgb(10, 20, 30));
    EXPECT_EQ(img.pixel(40, 2), Rgb(255, 255, 255));  // normal rim top

    MoveTo(widget, {10, 10});
    img = Render();
    EXPECT_EQ(img.pixel(40, 2), Rgb(255, 240, 207));
    Leave(widget);

    button.SetButtonStyle(CSmartButton::kDefPushButton);
    img = Render();
    EXPECT_EQ(img.pixel(40, 2), Rgb(206, 231, 255));

    widget->setDown(true);
    img = Render();
    EXPECT_EQ(img.pixel(40, 2), Rgb(209, 204, 193));
    widget->setDown(false);

    // A palette change makes the next paint take a new picture of the parent.
    pal.setColor(QPalette::Window, QColor(90, 80, 70));
    window.setPalette(pal);
    EXPECT_FALSE(button.HasBackgroundSnapshot());
    img = Render();
    EXPECT_EQ(img.pixel(0, 0), Rgb(90, 80, 70));

    // So does a new size.
    widget->resize(90, 30);
    EXPECT_FALSE(button.HasBackgroundSnapshot());
    EXPECT_EQ(Render().pixel(89, 29), Rgb(90, 80, 70));
}

TEST_F(ButtonPixels, DisabledCaptionIsEmbossed) {
    QPalette pal = window.palette();
    pal.setColor(QPalette::Light, QColor(255, 255, 255));
    pal.setColor(QPalette::Dark, QColor(128, 0, 0));
    window.setPalette(pal);
    widget->setEnabled(false);
    const QImage img = Render();
    bool shadow = false;
    bool highlight = false;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            shadow |= qRed(p) > 100 && qGreen(p) < 40 && qBlue(p) < 40;
            highlight |= p == qRgb(255, 255, 255);
        }
    }
    EXPECT_TRUE(shadow);
    EXPECT_TRUE(highlight);
}

}  // namespace
