#include "package_store.h"

#include <algorithm>
#include <system_error>

#include "apk_reader.h"

namespace fs = std::filesystem;

namespace nimbo::phonesim {
namespace {

const InstalledPackage kSystemApps[] = {
    {"/system/app/Browser.apk", "com.android.browser"},
    {"/system/app/Calculator.apk", "com.android.calculator2"},
    {"/system/app/Settings.apk", "com.android.settings"},
    {"/system/framework/framework-res.apk", "android"},
};

// Removes an old install: the file, and on the new layout its two folders.
void RemoveInstall(const fs::path& appDir, const fs::path& apk) {
    std::error_code ec;
    if (apk.filename() != "base.apk") {
        fs::remove(apk, ec);
        return;
    }
    fs::path packageDir = apk.parent_path();
    fs::path outer = packageDir.parent_path();
    fs::remove_all(packageDir, ec);
    if (outer != appDir && fs::is_empty(outer, ec)) fs::remove(outer, ec);
}

}  // namespace

PackageStore::PackageStore(const DeviceFs& fs) : fs_(fs), random_(std::random_device{}()) {}

std::vector<InstalledPackage> PackageStore::ListUserApps() const {
    std::vector<InstalledPackage> apps;
    fs::path appDir = fs_.root() / "data" / "app";
    std::error_code ec;
    if (!fs::is_directory(appDir, ec)) return apps;
    for (auto it = fs::recursive_directory_iterator(appDir, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file(ec) || it->path().extension() != ".apk") continue;
        std::string relative = fs::relative(it->path(), fs_.root(), ec).generic_string();
        if (ec) continue;
        // On the new layout the folder, not base.apk, carries the package's name.
        std::string nameForFallback = it->path().filename() == "base.apk"
                                          ? it->path().parent_path().filename().string()
                                          : it->path().filename().string();
        if (size_t dash = nameForFallback.rfind('-');
            it->path().filename() == "base.apk" && dash != std::string::npos) {
            nameForFallback = nameForFallback.substr(0, dash) + ".apk";
        }
        ApkInfo info = InspectApk(it->path(), nameForFallback);
        apps.push_back({"/" + relative, info.package});
    }
    std::sort(apps.begin(), apps.end(),
              [](const auto& a, const auto& b) { return a.devicePath < b.devicePath; });
    return apps;
}

std::vector<InstalledPackage> PackageStore::List() const {
    std::lock_guard lock(mutex_);
    std::vector<InstalledPackage> all(std::begin(kSystemApps), std::end(kSystemApps));
    auto user = ListUserApps();
    all.insert(all.end(), user.begin(), user.end());
    return all;
}

std::string PackageStore::RandomToken() {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string token;
    for (int i = 0; i < 22; ++i) token.push_back(kAlphabet[random_() % 64]);
    return token + "==";
}

std::string PackageStore::Install(const fs::path& hostFile, const std::string& devicePath,
                                  bool replace, PackageLayout layout) {
    std::lock_guard lock(mutex_);
    std::error_code ec;
    if (!fs::is_regular_file(hostFile, ec)) return "Failure [INSTALL_FAILED_INVALID_URI]";
    ApkInfo info = InspectApk(hostFile, hostFile.filename().string());
    if (!info.isZip) {
        return "Failure [INSTALL_PARSE_FAILED_NOT_APK: Failed to parse " + devicePath +
               ": not a zip archive]";
    }
    fs::path appDir = fs_.root() / "data" / "app";
    std::vector<fs::path> old;
    int lastSuffix = 0;
    for (const auto& app : ListUserApps()) {
        if (app.package != info.package) continue;
        old.push_back(*fs_.Map(app.devicePath));
        if (app.devicePath.ends_with("-1.apk")) lastSuffix = 1;
    }
    if (!old.empty() && !replace) return "Failure [INSTALL_FAILED_ALREADY_EXISTS]";

    fs::path target;
    if (layout == PackageLayout::Legacy) {
        // Android alternates -1 and -2 so that the old file survives a failed replace.
        target = appDir / (info.package + (lastSuffix == 1 ? "-2.apk" : "-1.apk"));
    } else {
        target =
            appDir / ("~~" + RandomToken()) / (info.package + "-" + RandomToken()) / "base.apk";
    }
    fs::create_directories(target.parent_path(), ec);
    fs::path partial = target;
    partial += ".partial";
    if (ec || !fs::copy_file(hostFile, partial, fs::copy_options::overwrite_existing, ec)) {
        return "Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]";
    }
    for (const auto& p : old) {
        if (p != target) RemoveInstall(appDir, p);
    }
    fs::rename(partial, target, ec);
    if (ec) return "Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]";
    return "Success";
}

}  // namespace nimbo::phonesim
