#include "app/gui/main_dialog.h"

#include "adblink/gui/device_list_panel.h"
#include "adbtool/adb_commands.h"
#include "adbtool/command_runner.h"
#include "adbtool/payloads.h"
#include "adbtool/web_addresses.h"
#include "capture/gui/screenshot_dialog.h"
#include "controls/gradient_button.h"
#include "controls/xp_group_box.h"
#include "icons/icons.h"
#include "install/apk_files.h"
#include "install/gui/install_panel.h"
#include "packages/gui/package_list_panel.h"
#include "platform/memory.h"
#include "templates/control_ids.h"
#include "templates/dialog_template.h"

namespace nimbo {
namespace {

using namespace std::chrono_literals;

// The package list: check boxes in the first column with images, grid lines,
// whole rows selected, one click to activate, flat scroll bars.
constexpr unsigned kPackageListStyle = ui::kLvsExGridLines | ui::kLvsExSubItemImages |
                                       ui::kLvsExCheckBoxes | ui::kLvsExFullRowSelect |
                                       ui::kLvsExOneClickActivate | ui::kLvsExFlatScrollBars;
// The device list: the same without check boxes.
constexpr unsigned kDeviceListStyle = kPackageListStyle & ~ui::kLvsExCheckBoxes;
// How long start-up waits for "adb kill-server" (tens of milliseconds as a rule;
// the window is already up).
constexpr auto kStartupKillWait = 3s;

imaging::Canvas ProgramPicture(int imageId) {
    return imageId == ids::kBannerBitmap ? resources::LoadBannerBitmap()
                                         : resources::LoadIcon(imageId);
}

}  // namespace

MainDialog::MainDialog(AppContext& context, Session& session, ui::Dialog* owner)
    : ui::Dialog(resources::MainDialogTemplate(), owner),
      context_(context),
      session_(session),
      install_(std::make_unique<InstallPanel>(*this, context, [this] { return TargetSerial(); })) {
    SetPictureSource(&ProgramPicture);
    BindControl(ids::kScreenshotButton, screenshotButton_);
    BindControl(ids::kRefreshDevicesButton, refreshDevicesButton_);
    BindControl(ids::kOperationStatusGroup, operationStatusGroup_);
    BindControl(ids::kSecondMakerButton, secondMakerButton_);
    BindControl(ids::kSelectNoneButton, selectNoneButton_);
    BindControl(ids::kSelectAllButton, selectAllButton_);
    BindControl(ids::kUninstallButton, uninstallButton_);
    BindControl(ids::kExportButton, exportButton_);
    BindControl(ids::kRefreshPackagesButton, refreshPackagesButton_);
    BindControl(ids::kCompanionInstallButton, companionInstallButton_);
    BindControl(ids::kInstallResultGroup, installResultGroup_);
    BindControl(ids::kChooseFileButton, chooseFileButton_);
    BindControl(ids::kFirstMakerButton, firstMakerButton_);
    BindControl(ids::kStartInstallButton, startInstallButton_);
    BindControl(ids::kDriverButton, driverButton_);
    BindControl(ids::kHelpButton, helpButton_);
    BindControl(ids::kExitButton, exitButton_);
    BindMessageMap();
}

MainDialog::~MainDialog() = default;

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
    OnNotify(ids::kDeviceList, ui::Notification::ContextMenu, [this] { OnDeviceListMenu(); });
    OnCommand(ids::kScreenshotButton, [this] { OpenScreenshotWindow(); });
    OnCommand(ids::kHelpButton, [this] { OnHelp(); });
    OnCommand(ids::kFirstMakerButton, [this] { OnFirstMakerSite(); });
    OnCommand(ids::kSecondMakerButton, [this] { OnSecondMakerSite(); });
    OnCommand(ids::kExitButton, [this] { OnOK(); });
}

void MainDialog::SetButtonIcons() {
    // In this order; the hidden 1014 gets none.
    const std::pair<CGradientButton*, int> icons[] = {
        {refreshDevicesButton_, 148},
        {screenshotButton_, 131},
        {secondMakerButton_, 131},
        {chooseFileButton_, 136},
        {firstMakerButton_, 134},
        {startInstallButton_, 132},
        {companionInstallButton_, 144},
        {driverButton_, 133},
        {helpButton_, 137},
        {exitButton_, 135},
        {exportButton_, 155},
        {refreshPackagesButton_, 150},
        {selectNoneButton_, 149},
        {selectAllButton_, 148},
    };
    for (const auto& [button, icon] : icons) {
        button->SetIconById(icon);
        // Lets tests and tools tell which icon is shown.
        button->Host()->Self().SetTag("iconId", icon);
    }
}

void MainDialog::SetUpLists() {
    packageList_->InsertColumn(0, "序号", 41);
    packageList_->InsertColumn(1, "软件名称", 310);
    // The shared image list: 153, 152, 154 as images 0, 1, 2.
    for (int id : {153, 152, 154}) sharedImageList_.Add(resources::LoadIcon(id));
    packageList_->SetImageList(&sharedImageList_);
    packageList_->SetExtendedStyle(kPackageListStyle);
    deviceList_->InsertColumn(0, "序号", 50);
    deviceList_->InsertColumn(1, "类型", 60);
    deviceList_->InsertColumn(2, "设备", 140);
    deviceList_->SetImageList(&sharedImageList_);
    deviceList_->SetExtendedStyle(kDeviceListStyle);
    deviceList_->SetShowSelectionAlways(true);
}

bool MainDialog::OnInitDialog() {
    packageList_ = Item<ui::ListView>(ids::kPackageList);
    deviceList_ = Item<ui::ListView>(ids::kDeviceList);
    packages_ = std::make_unique<PackageListPanel>(
        *this, *packageList_, context_, session_.packages, [this] { return TargetSerial(); });
    devices_ = std::make_unique<DeviceListPanel>(*this, *deviceList_,
                                                 *GetDlgItem(ids::kCurrentDevice), context_);
    // The window icon, large and small alike.
    SetIcon(resources::LoadIcon(ids::kMainIcon));
    SetButtonIcons();
    installResultGroup_->SetBanded(1);
    operationStatusGroup_->SetBanded(1);
    SetUpLists();
    SetItemTextNow(ids::kInstallStatus, ReadyText());
    if (!startApkFile_.empty()) FillApkPath(startApkFile_);
    // The rest needs nothing on the screen: starting adb twice (a fork of this
    // whole process each time) and writing the payloads waited for by the
    // window made it show late. It runs from the event loop, once the window
    // is up, in the same order as before.
    startup_ = MakeTimer(std::chrono::milliseconds(0), [this] {
        startup_->Stop();
        FinishStartup();
    });
    startup_->Start();
    return true;
}

void MainDialog::FinishStartup() {
    // Stop an adb server left from an earlier run before its files are rewritten,
    // and let the stop end before wait-for-device below starts a new server: a
    // kill-server slow to start on a busy machine would otherwise stop the new
    // server, and no server would come up at all.
    context_.runner->RunAndWait(AdbKillServer(), kStartupKillWait);
    // The adb tool, its library and the companion package into the system directory.
    platform::EnsureSystemDirectory(context_.paths);
    for (int n : {1, 2, 3}) ExtractPayload(n, context_.paths);
    ExtractSystemCompanions(context_.paths);
    // Starts the adb server outside any pipe.
    context_.runner->LaunchHidden(AdbWaitForDevice());
    // The device list, then again shortly while the server is still coming up.
    RefreshDeviceList();
    devices_->StartRetries(context_.startupDeviceRetries, context_.startupDeviceRetryInterval);
    // From now on the list follows the phones by itself.
    devices_->StartTracking();
    // An .apk or .apks dropped on the window fills the path field.
    AcceptFileDrops();
    startupFinished_ = true;
}

bool MainDialog::PreTranslateKey(const ui::KeyPress& key) {
    // Every key press in the window or its controls is swallowed: no typing into
    // the path field, no Tab, no Enter or Esc closing the window, no shortcut
    // (Ctrl+V in the path field). Esc alone hides the window for good and gives
    // memory back.
    if (key.key == ui::Key::Escape && !key.shortcutCheck && !key.autoRepeat) {
        ShowWindow(false);
        escapeHid_ = true;
        context_.clock->Sleep(500ms);
        platform::ReleaseFreeMemory();
    }
    return true;
}

bool MainDialog::FillApkPath(const std::string& file) {
    return install_->FillApkPath(std::vector<std::string>{file});
}

void MainDialog::ChooseApkFile() {
    install_->OnChooseApkFile();
}
void MainDialog::StartApkInstall() {
    install_->OnStartApkInstall();
}
void MainDialog::StartCompanionInstall() {
    install_->OnStartCompanionInstall();
}

void MainDialog::OnRefreshPackages() {
    packages_->OnRefresh();
}
void MainDialog::OnCheckAll() {
    packages_->OnCheckAll();
}
void MainDialog::OnCheckNone() {
    packages_->OnCheckNone();
}
void MainDialog::OnPackageListClick() {
    packages_->OnListClick();
}
void MainDialog::OnBackupSelected() {
    packages_->OnBackup();
}
void MainDialog::OnRemoveSelected() {
    packages_->OnRemove();
}

std::string MainDialog::TargetSerial() const {
    return devices_ ? devices_->TargetSerial() : std::string();
}

void MainDialog::RefreshDeviceList() {
    devices_->Refresh();
}

void MainDialog::OnRefreshDevices() {
    devices_->Refresh();
}

void MainDialog::OnDeviceListClick() {
    devices_->OnListClick();
}

void MainDialog::OnDeviceListMenu() {
    devices_->OnContextMenu();
}

bool MainDialog::FillApkPath(const std::vector<std::string>& paths) {
    return install_->FillApkPath(paths);
}

bool MainDialog::WantsFiles(const std::vector<std::string>& paths) {
    return AcceptableApkChoice(paths);
}

bool MainDialog::OnDropFiles(const std::vector<std::string>& paths) {
    return FillApkPath(paths);
}

}  // namespace nimbo
