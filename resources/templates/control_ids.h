#pragma once
// Control ids of the three windows. Names say what the control is for.
namespace nimbo::ids {

inline constexpr int kStatic = -1;

// Dialog templates and pictures.
inline constexpr int kMainDialog = 102;
inline constexpr int kHelpDialog = 146;
inline constexpr int kScreenshotDialog = 156;
inline constexpr int kBannerBitmap = 129;
inline constexpr int kMainIcon = 128;

// Main window (template 102).
inline constexpr int kDriverButton = 1000;
inline constexpr int kApkPathEdit = 1001;
inline constexpr int kChooseFileButton = 1002;
inline constexpr int kExitButton = 1003;
inline constexpr int kStartInstallButton = 1004;
inline constexpr int kFirstMakerButton = 1005;
inline constexpr int kHelpButton = 1006;
inline constexpr int kInstallResultGroup = 1007;
inline constexpr int kInstallStatus = 1008;
inline constexpr int kSecondMakerButton = 1009;
inline constexpr int kCompanionInstallButton = 1010;
inline constexpr int kPackageList = 1011;
inline constexpr int kRefreshPackagesButton = 1012;
inline constexpr int kUninstallButton = 1014;
inline constexpr int kExportButton = 1015;
inline constexpr int kSelectAllButton = 1016;
inline constexpr int kSelectNoneButton = 1017;
inline constexpr int kOperationStatusGroup = 1018;
inline constexpr int kOperationStatus = 1019;
inline constexpr int kDeviceList = 1020;
inline constexpr int kRefreshDevicesButton = 1021;
inline constexpr int kCurrentDevice = 1022;
inline constexpr int kScreenshotButton = 1023;

}  // namespace nimbo::ids

namespace nimbo::ids {

// Screenshot window (template 156).
inline constexpr int kShotRefreshButton = 1012;
inline constexpr int kShotSaveButton = 1013;
inline constexpr int kShotOpenFolderButton = 1014;
inline constexpr int kShotFormatList = 1024;
inline constexpr int kShotSizeList = 1025;
inline constexpr int kShotQualityList = 1026;
inline constexpr int kShotAutoNameCheck = 1028;
inline constexpr int kShotDeviceField = 1030;
inline constexpr int kShotInfoGroup = 1031;
inline constexpr int kShotScaleField = 1032;
inline constexpr int kShotResolutionField = 1033;
inline constexpr int kShotPicture = 1034;
inline constexpr int kShotStatus = 1035;

// Help window (template 146).
inline constexpr int kHelpCloseButton = 1003;
inline constexpr int kHelpOnlineButton = 1004;

}  // namespace nimbo::ids
