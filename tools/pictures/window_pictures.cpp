// nimbo-pictures: opens the program's windows offscreen and writes pictures of
// them, for people to look at (no test compares them):
//
//   nimbo-pictures FOLDER     (or: ninja pictures, which writes build/pictures/)
//
// No adb runs and no adb server is asked: the windows get a launcher that
// starts nothing and answers each command with adb's usual output, and the
// device list is filled with rows as a server would report them.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "adblink/device_list.h"
#include "adblink/network_devices.h"
#include "app/gui/main_dialog.h"
#include "app/session.h"
#include "archive/zip_archive.h"
#include "capture/gui/screenshot_dialog.h"
#include "controls/gradient_button.h"
#include "help/gui/help_dialog.h"
#include "icons/icons.h"
#include "templates/control_ids.h"
#include "templates/dialog_template.h"
#include "ui/dialogs.h"
#include "ui/qt/custom_host.h"
#include "ui/qt/dialog.h"
#include "ui/qt/qt_pictures.h"
#include "window_pictures_support.h"

namespace nimbo::pictures {
namespace {

using namespace std::chrono_literals;

class Writer {
public:
    explicit Writer(QString folder) : folder_(std::move(folder)) {}

    void Save(const QImage& image, const char* name) {
        const QString file = QDir(folder_).filePath(QString::fromUtf8(name) + ".png");
        if (image.isNull() || !image.save(file)) {
            std::fprintf(stderr, "nimbo-pictures: could not write %s\n", file.toUtf8().constData());
            failed_ = true;
            return;
        }
        std::printf("%s\n", file.toUtf8().constData());
    }
    void Save(QWidget& window, const char* name) { Save(window.grab().toImage(), name); }
    void Save(const ui::Dialog& window, const char* name) { Save(ui::qt::WindowOf(window), name); }
    bool Failed() const { return failed_; }

private:
    QString folder_;
    bool failed_ = false;
};

void Pump() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// Every icon as drawn on white and on dark and four times magnified, in id
// order, then the banner.
void IconSheet(Writer& out) {
    constexpr int kCell = 176;
    constexpr int kColumns = 5;
    std::vector<int> ids;
    for (int id = 0; id < 1000; ++id) {
        if (resources::IconSize(id).width > 0) ids.push_back(id);
    }
    const int rows = (static_cast<int>(ids.size()) + kColumns - 1) / kColumns;
    const int bannerTop = rows * kCell + 12;
    QImage sheet(std::max(kColumns * kCell, 678 + 24), bannerTop + 84 + 12, QImage::Format_RGB32);
    sheet.fill(QColor(0xec, 0xe9, 0xd8));
    QPainter p(&sheet);
    for (size_t i = 0; i < ids.size(); ++i) {
        const int left = static_cast<int>(i % kColumns) * kCell + 8;
        const int top = static_cast<int>(i / kColumns) * kCell + 6;
        const QImage icon = ui::ToQImage(resources::LoadIcon(ids[i]));
        p.setPen(Qt::black);
        p.drawText(left, top + 12, QString::number(ids[i]));
        p.fillRect(QRect(left, top + 18, 36, 68), Qt::white);
        p.fillRect(QRect(left, top + 86, 36, 68), QColor(0x40, 0x40, 0x40));
        p.drawImage(left + 2, top + 20, icon);
        p.drawImage(left + 2, top + 88, icon);
        p.fillRect(QRect(left + 36, top + 18, 4 + 4 * 32 + 4, 136), Qt::white);
        p.drawImage(QRect(left + 38, top + 20, icon.width() * 4, icon.height() * 4), icon);
    }
    const QImage banner = ui::ToQImage(resources::LoadBannerBitmap());
    p.drawImage(12, bannerTop, banner);
    p.end();
    out.Save(sheet, "icons_contact_sheet");
    out.Save(banner, "banner");
}

// One skinned button in every look, four times its size, one look a row.
void ButtonStates(Writer& out) {
    CGradientButton button;  // outlives its host widget, as a window's controls do
    QWidget window;
    window.setFont(ui::qt::QtDialogPeer::DialogFont(resources::MainDialogTemplate()));
    window.resize(200, 80);
    auto* elsewhere = new QWidget(&window);
    elsewhere->setFocusPolicy(Qt::StrongFocus);
    elsewhere->setGeometry(0, 60, 10, 10);
    auto* widget =
        static_cast<QAbstractButton*>(ui::qt::CreateCustomHost(button, 1000, &window, {}, [&] {
                                          return QPoint(-100, -100);
                                      }).widget);
    widget->setGeometry(10, 10, 96, 30);
    widget->setText(QStringLiteral("刷新设备列表"));
    button.SetIconById(148);
    window.show();
    window.activateWindow();
    Pump();

    const std::pair<const char*, std::function<void()>> looks[] = {
        {"normal", [&] { elsewhere->setFocus(); }},
        {"focused", [&] { widget->setFocus(); }},
        {"default",
         [&] {
             elsewhere->setFocus();
             button.SetButtonStyle(CSmartButton::kDefPushButton);
         }},
        {"hot",
         [&] {
             button.SetButtonStyle(CSmartButton::kPushButton);
             SendMouseMove(widget, {20, 10});
         }},
        {"hot and focused",
         [&] {
             widget->setFocus();
             SendMouseMove(widget, {20, 10});
         }},
        {"pressed",
         [&] {
             SendLeave(widget);
             widget->setDown(true);
         }},
        {"disabled",
         [&] {
             widget->setDown(false);
             widget->setEnabled(false);
         }},
    };
    constexpr int kScale = 4;
    constexpr int kGap = 8;
    const QSize one = widget->size() * kScale;
    QImage sheet(one.width(), (one.height() + kGap) * int(std::size(looks)), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    int y = 0;
    for (const auto& [name, apply] : looks) {
        apply();
        Pump();
        p.drawImage(
            0, y,
            widget->grab().toImage().scaled(one, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        y += one.height() + kGap;
    }
    p.end();
    out.Save(sheet, "button_states_4x");
}

// The desktop's dialogs, except that the device list's menu and the address
// it asks for answer at once (a real menu would wait for a click).
class AnsweringDialogs final : public ui::Dialogs {
public:
    explicit AnsweringDialogs(ui::Dialogs& desktop) : desktop_(desktop) {}
    std::optional<std::string> OpenFile(const std::string& title,
                                        const std::vector<ui::FileFilter>& filters,
                                        bool mustExist) override {
        return desktop_.OpenFile(title, filters, mustExist);
    }
    std::optional<std::string> SaveFile(const std::string& title,
                                        const std::vector<ui::FileFilter>& filters, int filterIndex,
                                        const std::string& defaultExtension,
                                        const std::string& initialName) override {
        return desktop_.SaveFile(title, filters, filterIndex, defaultExtension, initialName);
    }
    std::optional<std::string> ChooseFolder(const std::string& prompt) override {
        return desktop_.ChooseFolder(prompt);
    }
    ui::MessageBoxResult MessageBox(const std::string& text, const std::string& caption) override {
        return desktop_.MessageBox(text, caption);
    }
    std::optional<std::string> AskText(const std::string&, const std::string&) override {
        return address;
    }
    std::optional<int> PopupMenu(const std::vector<std::string>&) override { return 0; }

    std::string address = "192.168.1.20:5555";

private:
    ui::Dialogs& desktop_;
};

// The window with the device list's context menu drawn where a right click
// on the given row opens it.
QImage WithDeviceMenu(MainDialog& main, int row, const std::vector<std::string>& items) {
    QImage image = ui::qt::WindowOf(main).grab().toImage();
    auto* list = qobject_cast<QTableWidget*>(ui::qt::WidgetOf(main, ids::kDeviceList));
    if (!list) return image;
    QMenu menu;
    menu.setFont(ui::qt::WindowOf(main).font());
    for (const auto& item : items) menu.addAction(QString::fromStdString(item));
    menu.adjustSize();
    menu.ensurePolished();
    const QImage drawn = menu.grab().toImage();
    const QRect cell = list->visualItemRect(list->item(row, 2));
    QPoint at = list->viewport()->mapTo(&ui::qt::WindowOf(main), cell.center());
    // A menu opens inside the screen; here, inside the picture.
    at.setX(std::min(at.x(), image.width() - drawn.width() - 4));
    QPainter p(&image);
    p.drawImage(at, drawn);
    p.end();
    return image;
}

// What is new: two phones with the second one current and a split app's
// bundle installed on it; a listing that could not run; a network phone
// connected from the device list's menu.
void NewFeatures(Writer& out, AppContext context, Session& session, CannedAdb& adb,
                 const std::filesystem::path& root) {
    AnsweringDialogs dialogs(*context.dialogs);
    context.dialogs = &dialogs;
    MainDialog main(context, session);
    main.Create();
    Pump();

    ShowDevices(main, "emulator-5554\tdevice\n192.168.1.20:5555\tdevice\n");
    main.DeviceList()->SetSelectionMark(1);
    main.OnDeviceListClick();
    const std::filesystem::path bundle = root / "com.example.notes.apks";
    // A bundle of two parts: the install unpacks it before adb is asked.
    for (const char* part : {"base.apk", "split_config.xxhdpi.apk"}) {
        QFile file(QString::fromStdString((root / part).string()));
        if (file.open(QIODevice::WriteOnly)) file.write("PK");
    }
    archive::WriteZip(bundle, {{"base.apk", root / "base.apk"},
                               {"split_config.xxhdpi.apk", root / "split_config.xxhdpi.apk"}});
    main.FillApkPath({bundle.string()});
    Press(main, ids::kRefreshPackagesButton);
    WaitForWorkers(session.workers);
    Press(main, ids::kStartInstallButton);
    WaitForWorkers(session.workers);
    out.Save(main, "main_window_two_phones");
    out.Save(WithDeviceMenu(main, 1, {kConnectMenuText, kDisconnectMenuText}),
             "main_window_device_menu");

    // Connect from the menu: its outcome in the operation status.
    adb.Answer("connect", "connected to 192.168.1.20:5555\r\n");
    main.OnDeviceListMenu();
    WaitForWorkers(session.workers);
    ShowDevices(main, "emulator-5554\tdevice\n192.168.1.20:5555\tdevice\n");
    out.Save(main, "main_window_wifi_connected");
}

// The main window as it opens, then with devices, packages and an install's
// verdict; the screenshot, help and driver windows over it.
void Windows(Writer& out) {
    QTemporaryDir home;
    CannedAdb adb;
    adb.Answer("list",
               "package:/data/app/com.example.notes-1/base.apk=com.example.notes\r\n"
               "package:/data/app/com.example.maps-2.apk=com.example.maps\r\n"
               "package:/system/app/Browser.apk=com.android.browser\r\n"
               "package:/data/app/org.example.reader-1.apk=org.example.reader");
    adb.Answer("install", "Performing Streamed Install\r\nSuccess");
    QuietShell shell;
    const auto desktopDialogs = ui::MakeSystemDialogs();
    const auto clock = platform::MakeSystemClock();
    CommandRunner runner(adb, *clock, [](const std::string&) {});
    Session session;
    AppContext context;
    const std::filesystem::path root = home.path().toStdString();
    context.paths.systemDir = root / "system";
    context.paths.driverDir = root / "android_usb_windows";
    context.paths.driverI386Dir = context.paths.driverDir / "i386";
    context.paths.documentsDir = root / "Documents";
    context.launcher = &adb;
    context.shell = &shell;
    context.dialogs = desktopDialogs.get();
    context.clock = clock.get();
    context.runner = &runner;
    context.workers = &session.workers;
    context.startupDeviceRetries = 0;
    context.adbEndpoint = [] { return AdbEndpoint{"127.0.0.1", NoServerPort(), {}}; };

    {
        MainDialog main(context, session);
        main.Create();
        Pump();
        out.Save(main, "main_window");

        ShowDevices(main, "emulator-5554\tdevice\nHT9CYP800123\tdevice\nlocalhost:5555\tdevice\n");
        Press(main, ids::kRefreshPackagesButton);
        Press(main, ids::kCompanionInstallButton);
        WaitForWorkers(session.workers);
        out.Save(main, "main_window_in_use");

        ScreenshotDialog shot(context, session.capture, "emulator-5554", &main);
        shot.Create();
        Pump();
        out.Save(shot, "screenshot_window");
        shot.ShowWindow(false);

        HelpDialog help(&shell, &main);
        help.Create();
        Pump();
        out.Save(help, "help_window");
        help.ShowWindow(false);

        // The driver button's notice is a message box of the desktop's own.
        std::filesystem::create_directories(context.paths.driverI386Dir);
        QTimer::singleShot(0, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(top);
                if (!box || !box->isVisible()) continue;
                out.Save(*box, "driver_notice");
                box->accept();
            }
        });
        Press(main, ids::kDriverButton);
    }
    {
        // The same phones' listing when adb was not told which one to ask.
        CannedAdb several;
        several.Answer("list", "error: more than one device/emulator\r\n");
        CommandRunner severalRunner(several, *clock, [](const std::string&) {});
        AppContext unnamed = context;
        unnamed.runner = &severalRunner;
        MainDialog main(unnamed, session);
        main.Create();
        Press(main, ids::kRefreshPackagesButton);
        WaitForWorkers(session.workers);
        out.Save(main, "main_window_listing_failed");
    }
    adb.Answer("install-multiple", "Success\r\n");
    NewFeatures(out, context, session, adb, root);
    session.workers.StopAndJoin(10s);
}

}  // namespace
}  // namespace nimbo::pictures

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(stderr, "usage: nimbo-pictures FOLDER\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nimbo"));
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "nimbo-pictures: cannot make %s\n", argv[1]);
        return 1;
    }
    nimbo::pictures::Writer out(folder);
    nimbo::pictures::IconSheet(out);
    nimbo::pictures::ButtonStates(out);
    nimbo::pictures::Windows(out);
    return out.Failed() ? 1 : 0;
}
