// The help window on its own and as the main window opens it: layout and
// texts, icons, the online help page, and the three ways to close it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "adbtool/web_addresses.h"
#include "controls/gradient_button.h"
#include "help/gui/help_dialog.h"
#include "support/fakes.h"
#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"
#include "ui/qt/dialog.h"

namespace nimbo {
namespace {

using test::MainWindowHarness;
using ui::qt::WidgetOf;
using ui::qt::WindowOf;

struct Expected {
    const char* name;
    const char* text;
    int x, y, cx, cy;
};

// The window as its users know it; kept here independently of the template.
const Expected kControls[] = {
    {"static_0", "1. 开启手机端ADB开发接口(在Android手机中操作)", 7, 5, 187, 8},
    {"static_1",
     "步骤: Settings(设置)->Applications(应用程序)->Development(开发) "
     "最后勾选USB debugging项才可以使用USB线连接电脑",
     16, 22, 182, 25},
    {"static_2", "2. 连接USB数据线到Android手机", 7, 52, 117, 8},
    {"static_3",
     "点击“安装USB驱动”按钮后所需要的驱动文件会自动释放到D盘android_usb_windows文件夹中，"
     "包含android_usb.inf、androidusb.sys、WdfCoInstaller01005.dll这个三个文件。"
     "详细安装Android驱动方法查看下面的图文帮助。",
     15, 68, 182, 43},
    {"static_4", "", 6, 116, 203, 1},
    {"static_5",
     "【安装APK版本到手机】使用该功能将会通过PC版本传输Nimbo的手机版本到您的Android手机中，"
     "你可以单独使用Nimbo的APK版本从SD卡中安装APK文件。",
     9, 125, 192, 24},
    {"static_6", "(这种模式可以无需连接PC和USB数据线安装APK程序)", 16, 158, 185, 8},
    {"ctl_1004", "查看在线详细图文帮助", 9, 173, 109, 26},
    {"ctl_1003", "关闭", 127, 173, 78, 25},
};

std::string TextOf(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toStdString();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text().toStdString();
    return {};
}

// Runs `act` on the help window once the modal loop that shows it is running;
// `act` must close it.
void WhenHelpShows(const std::function<void(HelpDialog&)>& act, int triesLeft = 500) {
    QTimer::singleShot(triesLeft == 500 ? 0 : 10, [act, triesLeft] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* peer = qobject_cast<ui::qt::QtDialogPeer*>(w);
            auto* help = peer ? dynamic_cast<HelpDialog*>(&peer->Owner()) : nullptr;
            if (help && help->IsWindowVisible()) {
                act(*help);
                if (help->IsWindowVisible()) {
                    ADD_FAILURE() << "the help window is still open";
                    help->EndDialog(-1);  // rather than wait for ever
                }
                return;
            }
        }
        if (triesLeft > 0) {
            WhenHelpShows(act, triesLeft - 1);
        } else {
            ADD_FAILURE() << "the help window never showed";
        }
    });
}

void PressEscape(HelpDialog& help) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&WindowOf(help), &press);
}

// As the user clicks it.
void Click(HelpDialog& help, int id) {
    qobject_cast<QAbstractButton*>(WidgetOf(help, id))->click();
}

QRect ToQRect(const imaging::Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

TEST(HelpWindow, CaptionSizeTextsAndPositions) {
    test::RecordingShell shell;
    HelpDialog help(&shell);
    help.Create();
    QWidget& window = WindowOf(help);
    EXPECT_EQ(window.windowTitle().toStdString(), "Ostrel使用帮助");
    EXPECT_EQ(window.size(), QSize(help.Units().X(229), help.Units().Y(209)));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    for (const Expected& e : kControls) {
        SCOPED_TRACE(e.name);
        auto* w = window.findChild<QWidget*>(QString::fromLatin1(e.name));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), ToQRect(help.Units().ToPixels(e.x, e.y, e.cx, e.cy)));
        EXPECT_EQ(TextOf(w), e.text);
        EXPECT_TRUE(w->isVisible());
    }
    auto* line = window.findChild<QFrame*>(QStringLiteral("static_4"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->frameShape(), QFrame::HLine);
    EXPECT_EQ(window.findChildren<QAbstractButton*>().size(), 2);
}

TEST(HelpWindow, BothButtonsAreSkinnedWithTheirIcons) {
    HelpDialog help(nullptr);
    help.Create();
    ASSERT_NE(help.OnlineHelpButton(), nullptr);
    ASSERT_NE(help.CloseButton(), nullptr);
    EXPECT_EQ(help.CustomItem(ids::kHelpOnlineButton), help.OnlineHelpButton());
    EXPECT_EQ(help.CustomItem(ids::kHelpCloseButton), help.CloseButton());
    EXPECT_EQ(help.GetDlgItem(ids::kHelpOnlineButton), &help.OnlineHelpButton()->Host()->Self());
    EXPECT_EQ(help.GetDlgItem(ids::kHelpCloseButton), &help.CloseButton()->Host()->Self());
    EXPECT_TRUE(help.OnlineHelpButton()->HasIcon());
    EXPECT_TRUE(help.CloseButton()->HasIcon());
    EXPECT_EQ(WidgetOf(help, ids::kHelpOnlineButton)->property("iconId").toInt(), 137);
    EXPECT_EQ(WidgetOf(help, ids::kHelpCloseButton)->property("iconId").toInt(), 135);
}

TEST(HelpWindow, OnlineHelpOpensTheSecondMakersPageMaximisedAndStaysOpen) {
    test::RecordingShell shell;
    HelpDialog help(&shell);
    help.Create();
    Click(help, ids::kHelpOnlineButton);
    Click(help, ids::kHelpOnlineButton);
    QApplication::processEvents();
    auto opened = shell.All();
    ASSERT_EQ(opened.size(), 2u);
    const std::string page = opened[0].target;
    EXPECT_EQ(page, web::kOnlineHelpPage);
    EXPECT_EQ(page, std::string(web::kSecondMakerSite) + "Androidxiazai/344.html");
    EXPECT_TRUE(opened[0].maximised);
    EXPECT_FALSE(opened[0].folder);
    EXPECT_TRUE(help.IsWindowVisible());

    HelpDialog noShell(nullptr);  // no opener: the press does nothing visible
    noShell.Create();
    Click(noShell, ids::kHelpOnlineButton);
    EXPECT_TRUE(noShell.IsWindowVisible());
}

TEST(HelpWindow, CloseIsConfirmedEscapeAndCloseBoxAreCancelled) {
    const std::pair<const char*, std::function<void(HelpDialog&)>> ways[] = {
        {"关闭", [](HelpDialog& h) { Click(h, ids::kHelpCloseButton); }},
        {"Esc", [](HelpDialog& h) { PressEscape(h); }},
        {"close box", [](HelpDialog& h) { WindowOf(h).close(); }},
    };
    const int expected[] = {ui::kIdOk, ui::kIdCancel, ui::kIdCancel};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(ways[i].first);
        HelpDialog help(nullptr);
        WhenHelpShows(ways[i].second);
        EXPECT_EQ(help.DoModal(), expected[i]);
        EXPECT_FALSE(help.IsWindowVisible());
    }
}

// Texts and states of every main window control, to show it came back unchanged.
std::vector<std::string> MainWindowState(MainDialog& w) {
    std::vector<std::string> state;
    for (QWidget* c : WindowOf(w).findChildren<QWidget*>()) {
        if (!c->objectName().startsWith(QStringLiteral("ctl_"))) continue;
        const int id = c->objectName().mid(4).toInt();
        state.push_back(c->objectName().toStdString() + "=" + w.ItemTextNow(id) +
                        (c->isEnabled() ? " on" : " off") + (c->isVisible() ? " shown" : ""));
    }
    return state;
}

TEST(HelpWindow, EveryPressOfHelpShowsAFreshModalWindowOverTheMainWindow) {
    MainWindowHarness h;
    MainDialog& w = h.Open();
    const auto before = MainWindowState(w);
    const std::function<void(HelpDialog&)> closers[] = {
        [](HelpDialog& help) { Click(help, ids::kHelpCloseButton); },
        [](HelpDialog& help) { PressEscape(help); },
        [](HelpDialog& help) { WindowOf(help).close(); },
    };
    std::vector<QPointer<QWidget>> shown;
    for (const auto& close : closers) {
        bool checked = false;
        WhenHelpShows([&](HelpDialog& help) {
            QWidget& window = WindowOf(help);
            shown.push_back(&window);
            EXPECT_EQ(help.Owner(), &w);
            EXPECT_EQ(window.parentWidget(), &WindowOf(w));
            EXPECT_TRUE(window.isModal());
            EXPECT_EQ(QApplication::activeModalWidget(), &window);
            checked = true;
            close(help);
        });
        h.Click(ids::kHelpButton);
        EXPECT_TRUE(checked);
        // Nothing of the window survives its press.
        ASSERT_FALSE(shown.empty());
        EXPECT_TRUE(shown.back().isNull());
        EXPECT_EQ(MainWindowState(w), before);
        EXPECT_TRUE(w.IsWindowVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_EQ(shown.size(), 3u);
    EXPECT_TRUE(h.Shell().All().empty());
}

TEST(HelpWindow, OnlineHelpFromTheMainWindowsHelpKeepsTheWindowOpen) {
    MainWindowHarness h;
    h.Open();
    bool stillOpen = false;
    WhenHelpShows([&](HelpDialog& help) {
        Click(help, ids::kHelpOnlineButton);
        stillOpen = help.IsWindowVisible();
        Click(help, ids::kHelpCloseButton);
    });
    h.Click(ids::kHelpButton);
    EXPECT_TRUE(stillOpen);
    auto opened = h.Shell().All();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, web::kOnlineHelpPage);
    EXPECT_TRUE(opened[0].maximised);
}

TEST(MakerLinks, EachButtonOpensItsMakersHomePageMaximised) {
    MainWindowHarness h;
    h.Open();
    h.Click(ids::kFirstMakerButton);
    h.Click(ids::kSecondMakerButton);
    auto opened = h.Shell().All();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].target, web::kFirstMakerSite);
    EXPECT_EQ(opened[1].target, web::kSecondMakerSite);
    for (const auto& o : opened) {
        EXPECT_TRUE(o.maximised);
        EXPECT_FALSE(o.folder);
        EXPECT_EQ(o.target.back(), '/');
        EXPECT_NE(o.target.find(".example/"), std::string::npos);
    }
    EXPECT_NE(opened[0].target, opened[1].target);
}

}  // namespace
}  // namespace nimbo
