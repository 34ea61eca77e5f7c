#include "app/gui/main_dialog.h"

#include <malloc.h>

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "adbtool/adb_commands.h"
#include "adbtool/command_runner.h"
#include "adbtool/payloads.h"
#include "adbtool/web_addresses.h"
#include "controls/gui/gradient_button.h"
#include "controls/gui/xp_group_box.h"
#include "icons/icons.h"
#include "templates/control_ids.h"
#include "templates/dialog_template.h"

namespace nimbo {

MainDialog* theMainDialog = nullptr;

MainDialog::MainDialog(AppContext& context, QWidget* parent)
    : ui::Dialog(resources::MainDialogTemplate(), parent), context_(context) {
    // The controls that have a member get their own classes, attached in the
    // original's order.
    BindControl(ids::kScreenshotButton, screenshotButton_);
    BindControl(ids::kRefreshDevicesButton, refreshDevicesButton_);
    BindControl(ids::kDeviceList, deviceList_);
    BindControl(ids::kOperationStatusGroup, operationStatusGroup_);
    BindControl(ids::kSecondMakerButton, secondMakerButton_);
    BindControl(ids::kSelectNoneButton, selectNoneButton_);
    BindControl(ids::kSelectAllButton, selectAllButton_);
    BindControl(ids::kUninstallButton, uninstallButton_);
    BindControl(ids::kExportButton, exportButton_);
    BindControl(ids::kRefreshPackagesButton, refreshPackagesButton_);
    BindControl(ids::kPackageList, packageList_);
    BindControl(ids::kCompanionInstallButton, companionInstallButton_);
    BindControl(ids::kInstallResultGroup, installResultGroup_);
    BindControl(ids::kChooseFileButton, chooseFileButton_);
    BindControl(ids::kFirstMakerButton, firstMakerButton_);
    BindControl(ids::kStartInstallButton, startInstallButton_);
    BindControl(ids::kDriverButton, driverButton_);
    BindControl(ids::kHelpButton, helpButton_);
    BindControl(ids::kExitButton, exitButton_);
    windowIcon_ = QIcon(resources::LoadIconPixmap(ids::kMainIcon));
    BindMessageMap();
    theMainDialog = this;
}

MainDialog::~MainDialog() {
    if (theMainDialog == this) theMainDialog = nullptr;
}

std::string MainDialog::ReadyText() {
    return std::string("Nimbo就绪 【") + web::kFirstMakerShort + "】Kelvo手机网 && Tarnwick 【" +
           web::kSecondMakerShort + "】联合开发";
}

void MainDialog::BindMessageMap() {
    OnCommand(ids::kChooseFileButton, [this] { ChooseApkFile(); });
    OnCommand(ids::kStartInstallButton, [this] { StartApkInstall(); });
    OnCommand(ids::kCompanionInstallButton, [this] { StartCompanionInstall(); });
    OnCommand(ids::kDriverButton, [this] { InstallUsbDriver(); });
    OnCommand(ids::kRefreshPackagesButton, [this] { OnRefreshPackages(); });
    OnCommand(ids::kSelectAllButton, [this] { OnCheckAll(); });
    OnCommand(ids::kSelectNoneButton, [this] { OnCheckNone(); });
    OnNotify(ids::kPackageList, ui::Notification::ListClick, [this] { OnPackageListClick(); });
    OnCommand(ids::kExportButton, [this] { OnBackupSelected(); });
    OnCommand(ids::kUninstallButton, [this] { OnRemoveSelected(); });
    OnCommand(ids::kRefreshDevicesButton, [this] { OnRefreshDevices(); });
    OnNotify(ids::kDeviceList, ui::Notification::ListClick, [this] { OnDeviceListClick(); });
    OnCommand(ids::kScreenshotButton, [this] { OpenScreenshotWindow(); });
    OnCommand(ids::kHelpButton, [this] { OnHelp(); });
    OnCommand(ids::kFirstMakerButton, [this] { OnFirstMakerSite(); });
    OnCommand(ids::kSecondMakerButton, [this] { OnSecondMakerSite(); });
    OnCommand(ids::kExitButton, [this] { OnOK(); });
}

bool MainDialog::OnInitDialog() {
    // 1: the controls exist and are attached (Dialog::DoModal did that).
    // 2: the window icon, large and small alike.
    setWindowIcon(windowIcon_);
    // 3: stop an adb server left from an earlier run before its files are rewritten.
    context_.runner->LaunchHidden(AdbKillServer());
    // 4: button icons, in this order; the hidden 1014 gets none.
    const std::pair<CGradientButton*, int> icons[] = {
        {refreshDevicesButton_, 148}, {screenshotButton_, 131},  {secondMakerButton_, 131},
        {chooseFileButton_, 136},     {firstMakerButton_, 134},  {startInstallButton_, 132},
        {companionInstallButton_, 144}, {driverButton_, 133},    {helpButton_, 137},
        {exitButton_, 135},           {exportButton_, 155},      {refreshPackagesButton_, 150},
        {selectNoneButton_, 149},     {selectAllButton_, 148},
    };
    for (const auto& [button, icon] : icons) {
        button->SetIconById(icon);
        button->setProperty("iconId", icon);  // lets tests and tools tell which icon is shown
    }
    // 5: banded group boxes.
    installResultGroup_->SetBanded(1);
    operationStatusGroup_->SetBanded(1);
    // 6: package list columns.
    packageList_->InsertColumn(0, "序号", 41);
    packageList_->InsertColumn(1, "软件名称", 310);
    // 7: the shared image list: 153, 152, 154 as images 0, 1, 2.
    for (int id : {153, 152, 154}) sharedImageList_.Add(resources::LoadIconPixmap(id));
    // 8: image lists, extended styles, device list columns.
    packageList_->SetImageList(&sharedImageList_);
    packageList_->SetExtendedStyle(0x167);
    deviceList_->InsertColumn(0, "序号", 50);
    deviceList_->InsertColumn(1, "类型", 60);
    deviceList_->InsertColumn(2, "设备", 140);
    deviceList_->SetImageList(&sharedImageList_);
    deviceList_->SetExtendedStyle(0x163);
    deviceList_->SetShowSelectionAlways(true);
    SetItemTextNow(ids::kInstallStatus, ReadyText());
    // 9: the adb tool, its library and the companion package into the system directory.
    platform::EnsureSystemDirectory(context_.paths);
    for (int n : {1, 2, 3}) ExtractPayload(n, context_.paths);
    // 10: starts the adb server outside any pipe.
    context_.runner->LaunchHidden(AdbWaitForDevice());
    // 11: the device list, then again shortly while the server is still coming up.
    RefreshDeviceList();
    StartDeviceRetries();
    InstallKeyFilter();
    return true;
}

void MainDialog::InstallKeyFilter() {
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    // Every key press in the window or its controls is swallowed: no typing into
    // the path field, no Tab, no Enter or Esc closing the window. Esc alone
    // hides the window for good and gives memory back.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_Escape && !key->isAutoRepeat()) {
            hide();
            escapeHid_ = true;
            context_.clock->Sleep(std::chrono::milliseconds(500));
            malloc_trim(0);
        }
        if (event->type() == QEvent::ShortcutOverride) {
            // Keep shortcuts (Ctrl+V in the path field) from firing.
            event->accept();
        }
        return true;
    }
    return ui::Dialog::eventFilter(watched, event);
}

}  // namespace nimbo
