// Pictures for people to look at, under <build>/pictures/: one skinned button
// in every look at four times its size, and the windows with their controls.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPainter>
#include <filesystem>

#include "capture/gui/screenshot_dialog.h"
#include "controls/gradient_button.h"
#include "help/gui/help_dialog.h"
#include "hosted_control.h"
#include "support_gui/main_window_harness.h"
#include "templates/dialog_template.h"
#include "ui/qt/dialog.h"
#include "widget_events.h"

namespace {

using namespace nimbo::testing;
using nimbo::test::MainWindowHarness;

std::filesystem::path PictureDir() {
    const char* binaryDir = std::getenv("NIMBO_BINARY_DIR");
    const auto dir = std::filesystem::path(binaryDir ? binaryDir : ".") / "pictures";
    std::filesystem::create_directories(dir);
    return dir;
}

struct Look {
    const char* name;
    std::function<void(CGradientButton&, QAbstractButton*, QWidget* elsewhere)> apply;
};

TEST(Pictures, OneButtonInEveryLookAtFourTimesItsSize) {
    CGradientButton button;
    QWidget window;
    window.setFont(nimbo::ui::qt::QtDialogPeer::DialogFont(nimbo::resources::MainDialogTemplate()));
    window.resize(200, 80);
    auto* elsewhere = new QWidget(&window);
    elsewhere->setFocusPolicy(Qt::StrongFocus);
    elsewhere->setGeometry(0, 60, 10, 10);
    auto* widget = HostControl<QAbstractButton>(button, &window, {10, 10, 96, 30});
    widget->setText(QStringLiteral("刷新设备列表"));
    button.SetIconById(148);
    ShowActive(&window);

    const Look looks[] = {
        {"normal", [](CGradientButton&, QAbstractButton*, QWidget* e) { e->setFocus(); }},
        {"focused", [](CGradientButton&, QAbstractButton* w, QWidget*) { w->setFocus(); }},
        {"default",
         [](CGradientButton& b, QAbstractButton*, QWidget* e) {
             e->setFocus();
             b.SetButtonStyle(CSmartButton::kDefPushButton);
         }},
        {"hot",
         [](CGradientButton& b, QAbstractButton* w, QWidget* e) {
             b.SetButtonStyle(CSmartButton::kPushButton);
             e->setFocus();
             MoveTo(w, {20, 10});
         }},
        {"hot and focused",
         [](CGradientButton&, QAbstractButton* w, QWidget*) {
             w->setFocus();
             MoveTo(w, {20, 10});
         }},
        {"pressed",
         [](CGradientButton&, QAbstractButton* w, QWidget*) {
             Leave(w);
             w->setDown(true);
         }},
        {"disabled",
         [](CGradientButton&, QAbstractButton* w, QWidget*) {
             w->setDown(false);
             w->setEnabled(false);
         }},
    };
    constexpr int kScale = 4;
    constexpr int kGap = 8;
    const QSize one = widget->size() * kScale;
    QImage sheet(one.width(), (one.height() + kGap) * int(std::size(looks)), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    int y = 0;
    for (const Look& look : looks) {
        look.apply(button, widget, elsewhere);
        Pump();
        const QImage shot = widget->grab().toImage();
        ASSERT_EQ(shot.size(), widget->size()) << look.name;
        p.drawImage(0, y, shot.scaled(one, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        y += one.height() + kGap;
    }
    p.end();
    const auto file = PictureDir() / "button_states_4x.png";
    ASSERT_TRUE(sheet.save(QString::fromStdString(file.string())));
}

TEST(Pictures, HelpWindow) {
    nimbo::HelpDialog help(nullptr);
    ASSERT_TRUE(help.Create());
    Pump();
    ASSERT_NE(help.CloseButton(), nullptr);
    const auto file = MainWindowHarness::SaveWindowPicture(help, "help_window_skinned");
    EXPECT_TRUE(std::filesystem::exists(file));
}

TEST(Pictures, MainAndScreenshotWindows) {
    MainWindowHarness h;
    nimbo::MainDialog& w = h.Open();
    Pump();
    auto file = MainWindowHarness::SaveWindowPicture(w, "main_window_skinned");
    EXPECT_TRUE(std::filesystem::exists(file));

    nimbo::ScreenshotDialog shot(h.Context(), "emulator-5554", &w);
    ASSERT_TRUE(shot.Create());
    Pump();
    file = MainWindowHarness::SaveWindowPicture(shot, "screenshot_window_skinned");
    EXPECT_TRUE(std::filesystem::exists(file));
}

}  // namespace
