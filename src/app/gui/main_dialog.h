#pragma once
// The main window (template 102): every button and list of the tool. It lives
// for the whole program; closing it ends the program.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "adbtool/app_context.h"
#include "app/session.h"
#include "ui/dialog.h"
#include "ui/image_list.h"

class CGradientButton;
class CXPGroupBox;

namespace nimbo {

class DeviceListPanel;
class InstallPanel;
class PackageListPanel;
class ScreenshotDialog;

class MainDialog : public ui::Dialog {
public:
    // `session` outlives the window: its package and capture state go to the
    // panels and screenshot windows. The workers run on context.workers (the
    // application points it at session.workers).
    MainDialog(AppContext& context, Session& session, ui::Dialog* owner = nullptr);
    ~MainDialog() override;

    AppContext& Context() { return context_; }
    // Text access by id for workers; stays safe after the window is gone.
    std::shared_ptr<ui::DialogItems> Items() const { return Link(); }
    ui::ListView* PackageList() const { return packageList_; }
    ui::ListView* DeviceList() const { return deviceList_; }
    // The device list's part of the window (how its latest read ended).
    const DeviceListPanel* DevicePanel() const { return devices_.get(); }
    const ui::ImageList& SharedImageList() const { return sharedImageList_; }
    bool EscapeHidWindow() const { return escapeHid_; }
    // True once the start-up steps that wait for the window to show have run.
    bool StartupFinished() const { return startupFinished_; }

    // A file to put into the install path field when the window opens (the
    // command line's); call before the window is created.
    void SetStartApkFile(std::string file) { startApkFile_ = std::move(file); }
    // Puts a file named outside the chooser into the install path field as the
    // chooser would; false, and the field unchanged, when it names no file.
    bool FillApkPath(const std::string& file);

    // Installing (buttons 1002, 1004, 1010).
    void ChooseApkFile();
    void StartApkInstall();
    void StartCompanionInstall();
    // Packages on the phone (1012, 1016, 1017, list 1011, 1015, 1014).
    void OnRefreshPackages();
    void OnCheckAll();
    void OnCheckNone();
    void OnPackageListClick();
    void OnBackupSelected();
    void OnRemoveSelected();
    // Devices (start-up, 1021, list 1020).
    void RefreshDeviceList();
    void OnRefreshDevices();
    void OnDeviceListClick();
    // The device list's context menu: connect or disconnect a network device.
    void OnDeviceListMenu();
    // Fills the APK path field as the file chooser would: one .apk or .apks,
    // or several .apk of one split app; false (field unchanged) otherwise.
    // Files dropped on the window come here.
    bool FillApkPath(const std::vector<std::string>& paths);
    // The serial every adb command line names: the current device when two or
    // more are listed, else empty.
    std::string TargetSerial() const;
    // Screenshots (1023).
    void OpenScreenshotWindow();
    // Driver, help and links (1000, 1006, 1005, 1009).
    void InstallUsbDriver();
    void OnHelp();
    void OnFirstMakerSite();
    void OnSecondMakerSite();

    static std::string ReadyText();

protected:
    bool OnInitDialog() override;
    bool PreTranslateKey(const ui::KeyPress& key) override;
    bool WantsFiles(const std::vector<std::string>& paths) override;
    bool OnDropFiles(const std::vector<std::string>& paths) override;

private:
    void BindMessageMap();
    void SetButtonIcons();
    void SetUpLists();
    // Start-up after the window shows: adb, payloads, the device list.
    void FinishStartup();

    AppContext& context_;
    Session& session_;
    ui::ImageList sharedImageList_;
    // The skinned controls, in the order they are attached.
    CGradientButton* screenshotButton_ = nullptr;        // 1023
    CGradientButton* refreshDevicesButton_ = nullptr;    // 1021
    CXPGroupBox* operationStatusGroup_ = nullptr;        // 1018
    CGradientButton* secondMakerButton_ = nullptr;       // 1009
    CGradientButton* selectNoneButton_ = nullptr;        // 1017
    CGradientButton* selectAllButton_ = nullptr;         // 1016
    CGradientButton* uninstallButton_ = nullptr;         // 1014 (hidden)
    CGradientButton* exportButton_ = nullptr;            // 1015
    CGradientButton* refreshPackagesButton_ = nullptr;   // 1012
    CGradientButton* companionInstallButton_ = nullptr;  // 1010
    CXPGroupBox* installResultGroup_ = nullptr;          // 1007
    CGradientButton* chooseFileButton_ = nullptr;        // 1002
    CGradientButton* firstMakerButton_ = nullptr;        // 1005
    CGradientButton* startInstallButton_ = nullptr;      // 1004
    CGradientButton* driverButton_ = nullptr;            // 1000
    CGradientButton* helpButton_ = nullptr;              // 1006
    CGradientButton* exitButton_ = nullptr;              // 1003
    // The template's lists, known once the controls exist.
    ui::ListView* deviceList_ = nullptr;   // 1020
    ui::ListView* packageList_ = nullptr;  // 1011
    // The subsystems' parts of the window.
    std::unique_ptr<InstallPanel> install_;
    std::unique_ptr<PackageListPanel> packages_;
    std::unique_ptr<DeviceListPanel> devices_;
    // Every screenshot window opened, hidden or shown, until this window goes.
    std::vector<std::unique_ptr<ScreenshotDialog>> screenshotWindows_;
    bool escapeHid_ = false;
    std::string startApkFile_;
    std::unique_ptr<ui::Timer> startup_;  // runs FinishStartup once
    bool startupFinished_ = false;
};

}  // namespace nimbo
