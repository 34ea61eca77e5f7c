// The Qt windows of custom controls: what the dialog window and the controls
// rely on when a control is given its host.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <memory>

#include "hosted_control.h"
#include "ui/qt/qt_drawing.h"
#include "ui/qt/widget_control.h"
#include "widget_events.h"

namespace {

using namespace nimbo::testing;
using nimbo::imaging::Canvas;
using nimbo::imaging::Color;
using nimbo::ui::CustomKind;
namespace ui = nimbo::ui;

// Records what its host tells it; each paint marks the top-left pixel.
class Recorder : public ui::CustomControl {
public:
    explicit Recorder(CustomKind kind) : kind_(kind) {}
    CustomKind Kind() const override { return kind_; }
    void Paint(Canvas& surface) override {
        seenBeforePaint = surface.GetPixel(0, 0);
        surface.SetPixel(0, 0, {1, 2, 3});
    }
    bool WantsFreshSurface() override { return std::exchange(fresh, false); }
    bool OnClicked() override {
        log.push_back("control");
        return false;
    }

    std::optional<Color> seenBeforePaint;
    bool fresh = false;
    std::vector<std::string> log;

private:
    CustomKind kind_;
};

class Hosts : public ::testing::Test {
protected:
    void SetUp() override {
        QPalette pal = window.palette();
        pal.setColor(QPalette::Window, QColor(10, 20, 30));
        window.setPalette(pal);
        window.resize(200, 100);
    }
    QWidget* Make(Recorder& control, ui::qt::CustomHostParts* host = nullptr) {
        const ui::qt::CustomHostParts made = ui::qt::CreateCustomHost(
            control, 1021, &window, [&control] { control.log.push_back("window"); });
        made.widget->setGeometry(10, 10, 40, 20);
        if (host) *host = made;
        return made.widget;
    }
    void Paint(QWidget* w) {
        QImage img(w->size(), QImage::Format_ARGB32_Premultiplied);
        w->render(&img);
    }

    Recorder button{CustomKind::PushButton};
    Recorder frame{CustomKind::Frame};
    Recorder picture{CustomKind::Picture};
    Recorder combo{CustomKind::ComboBox};
    QWidget window;
};

TEST_F(Hosts, EachKindGetsItsWidgetAndTheWindowFindsTheControlOnIt) {
    ui::qt::CustomHostParts host{};
    QWidget* w = Make(button, &host);
    EXPECT_NE(qobject_cast<QAbstractButton*>(w), nullptr);
    EXPECT_EQ(w->parentWidget(), &window);
    EXPECT_EQ(ui::qt::ControlOf(w), host.control);
    EXPECT_EQ(host.control->Id(), 1021);
    EXPECT_EQ(&button.Host()->Self(), host.control);
    EXPECT_EQ(w->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(button.Host()->Combo(), nullptr);

    w = Make(combo, &host);
    EXPECT_NE(qobject_cast<QComboBox*>(w), nullptr);
    EXPECT_NE(dynamic_cast<ui::ComboBox*>(host.control), nullptr);
    ASSERT_NE(combo.Host()->Combo(), nullptr);
    EXPECT_EQ(&combo.Host()->Combo()->List(), host.control);

    w = Make(frame);
    EXPECT_TRUE(w->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(w->focusPolicy(), Qt::NoFocus);
    w = Make(picture);
    EXPECT_FALSE(w->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(w->focusPolicy(), Qt::NoFocus);
}

TEST_F(Hosts, AClickReachesTheControlBeforeTheWindow) {
    QWidget* w = Make(button);
    ShowActive(&window);
    Click(w, {5, 5});
    EXPECT_EQ(button.log, (std::vector<std::string>{"control", "window"}));
    button.Host()->Click();
    EXPECT_EQ(button.log.size(), 4u);

    Make(frame);
    frame.Host()->Click();
    EXPECT_EQ(frame.log, (std::vector<std::string>{"control", "window"}));
}

TEST_F(Hosts, DestroyingTheWidgetDetachesTheControlWhichCanBeHostedAgain) {
    delete Make(button);
    EXPECT_EQ(button.Host(), nullptr);
    Make(button);
    ASSERT_NE(button.Host(), nullptr);
    EXPECT_EQ(button.Host()->ClientSize().width, 40);
}

TEST_F(Hosts, TheSurfaceIsKeptBetweenPaintsAndStartsFromTheWindowBeneath) {
    for (Recorder* r : {&button, &frame, &picture}) {
        QWidget* w = Make(*r);
        const Color beneath{10, 20, 30};
        Paint(w);
        EXPECT_EQ(r->seenBeforePaint, beneath);
        Paint(w);
        EXPECT_EQ(r->seenBeforePaint, (Color{1, 2, 3})) << "what the last paint left";
        r->fresh = true;
        Paint(w);
        EXPECT_EQ(r->seenBeforePaint, beneath);
        Paint(w);
        w->resize(41, 20);
        Paint(w);
        EXPECT_EQ(r->seenBeforePaint, beneath) << "a new size starts afresh";
    }
    // The combo box's surface lies over the box the window system drew.
    QWidget* w = Make(combo);
    Paint(w);
    Paint(w);
    EXPECT_EQ(combo.seenBeforePaint, Color{}) << "transparent every time";
}

TEST_F(Hosts, FontsAndPointerComeFromTheWidget) {
    QFont font(QStringLiteral("Serif"));
    font.setPixelSize(12);
    font.setBold(true);
    window.setFont(font);
    QPoint cursor(0, 0);
    ui::qt::CreateCustomHost(button, 1, &window, {}, [&] {
        return cursor;
    }).widget->setGeometry(10, 10, 40, 20);
    const ui::FontSpec described = button.Host()->Font();
    EXPECT_EQ(described.families.at(0), "Serif");
    EXPECT_EQ(described.pixelSize, 12);
    EXPECT_TRUE(described.bold);
    const QFont back = ui::qt::ToQFont(described);
    EXPECT_EQ(back.pixelSize(), 12);
    EXPECT_EQ(back.weight(), QFont::Bold);
    EXPECT_EQ(ui::qt::ToQFont({{"Serif"}, 14}).pointSize(), 14);

    EXPECT_FALSE(button.Host()->PointerInside());
    cursor = window.mapToGlobal(QPoint(49, 29));
    EXPECT_TRUE(button.Host()->PointerInside());
    cursor = window.mapToGlobal(QPoint(50, 29));
    EXPECT_FALSE(button.Host()->PointerInside());
}

}  // namespace
