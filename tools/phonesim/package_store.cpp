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

bool IsSplitFile(const fs::path& file) {
    const std::string name = file.filename().string();
    return name.starts_with("split_") && file.extension() == ".apk";
}

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
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
        // A split is part of the app its base stands for.
        if (IsSplitFile(it->path())) continue;
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

std::vector<std::string> PackageStore::Paths(const std::string& package) const {
    std::lock_guard lock(mutex_);
    for (const auto& app : kSystemApps) {
        if (app.package == package) return {app.devicePath};
    }
    for (const auto& app : ListUserApps()) {
        if (app.package != package) continue;
        std::vector<std::string> paths{app.devicePath};
        if (!app.devicePath.ends_with("/base.apk")) return paths;
        const std::string folder = app.devicePath.substr(0, app.devicePath.size() - 8);
        std::vector<std::string> splits;
        std::error_code ec;
        if (auto host = fs_.Map(folder)) {
            for (const auto& entry : fs::directory_iterator(*host, ec)) {
                if (IsSplitFile(entry.path())) {
                    splits.push_back(folder + entry.path().filename().string());
                }
            }
        }
        std::sort(splits.begin(), splits.end());
        paths.insert(paths.end(), splits.begin(), splits.end());
        return paths;
    }
    return {};
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
    return InstallParts({hostFile}, devicePath, replace, layout);
}

std::string PackageStore::InstallParts(const std::vector<fs::path>& hostFiles,
                                       const std::string& devicePath, bool replace,
                                       PackageLayout layout) {
    std::error_code ec;
    if (hostFiles.empty()) return "Failure [INSTALL_FAILED_INVALID_APK: no APKs in the session]";
    // The base first, then the splits by name.
    std::optional<ApkInfo> base;
    fs::path baseFile;
    std::vector<std::pair<ApkInfo, fs::path>> splits;
    for (const fs::path& file : hostFiles) {
        ApkInfo info = InspectApk(file, file.filename().string());
        if (!info.isZip) {
            return "Failure [INSTALL_PARSE_FAILED_NOT_APK: Failed to parse " + devicePath +
                   ": not a zip archive]";
        }
        if (info.split.empty()) {
            if (base) return "Failure [INSTALL_FAILED_INVALID_APK: more than one base APK]";
            base = info;
            baseFile = file;
        } else {
            splits.emplace_back(info, file);
        }
    }
    if (!base) {
        return "Failure [INSTALL_FAILED_INVALID_APK: Full install must include a base package]";
    }
    for (const auto& [split, file] : splits) {
        if (split.package != base->package) {
            return "Failure [INSTALL_FAILED_INVALID_APK: Split " + split.split +
                   " package inconsistent with base " + base->package + "]";
        }
    }
    if (base->splitRequired && splits.empty()) {
        return "Failure [INSTALL_FAILED_MISSING_SPLIT: Missing split for " + base->package + "]";
    }
    std::sort(splits.begin(), splits.end(),
              [](const auto& a, const auto& b) { return a.first.split < b.first.split; });

    fs::path appDir = fs_.root() / "data" / "app";
    std::vector<fs::path> old;
    int lastSuffix = 0;
    for (const auto& app : ListUserApps()) {
        if (app.package != base->package) continue;
        old.push_back(*fs_.Map(app.devicePath));
        if (app.devicePath.ends_with("-1.apk") || app.devicePath.ends_with("-1/base.apk")) {
            lastSuffix = 1;
        }
    }
    if (!old.empty() && !replace) return "Failure [INSTALL_FAILED_ALREADY_EXISTS]";

    // A single APK keeps the layout it always had; a split app needs a folder
    // of its own on either layout.
    const std::string suffix = lastSuffix == 1 ? "-2" : "-1";
    fs::path target;
    if (layout == PackageLayout::Modern) {
        target =
            appDir / ("~~" + RandomToken()) / (base->package + "-" + RandomToken()) / "base.apk";
    } else if (splits.empty()) {
        // Android alternates -1 and -2 so that the old file survives a failed replace.
        target = appDir / (base->package + suffix + ".apk");
    } else {
        target = appDir / (base->package + suffix) / "base.apk";
    }
    std::vector<std::pair<fs::path, fs::path>> copies{{baseFile, target}};
    for (const auto& [split, file] : splits) {
        copies.emplace_back(file, target.parent_path() / ("split_" + split.split + ".apk"));
    }
    fs::create_directories(target.parent_path(), ec);
    if (ec) return "Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]";
    for (const auto& [from, to] : copies) {
        fs::path partial = to;
        partial += ".partial";
        if (!fs::copy_file(from, partial, fs::copy_options::overwrite_existing, ec)) {
            return "Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]";
        }
    }
    for (const auto& p : old) {
        if (p != target) RemoveInstall(appDir, p);
    }
    // The new parts go in after the old install is gone: a replace of a
    // folder install on the legacy layout never shares the folder.
    for (const auto& [from, to] : copies) {
        fs::path partial = to;
        partial += ".partial";
        fs::rename(partial, to, ec);
        if (ec) return "Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]";
    }
    return "Success";
}

int PackageStore::CreateSession(bool replace) {
    std::lock_guard lock(mutex_);
    const int id = nextSession_++;
    const fs::path dir = fs_.root() / "data" / "local" / "tmp" / ("session-" + std::to_string(id));
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir, ec);
    sessions_[id] = Session{dir, replace};
    return id;
}

std::optional<fs::path> PackageStore::SessionFile(int session, const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(session);
    if (it == sessions_.end() || !IsPlainFileName(name)) return std::nullopt;
    return it->second.dir / name;
}

std::string PackageStore::CommitSession(int session, PackageLayout layout) {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(session);
    if (it == sessions_.end()) {
        return "Failure [INSTALL_FAILED_INTERNAL_ERROR: no session " + std::to_string(session) +
               "]";
    }
    const Session s = it->second;
    sessions_.erase(it);
    std::vector<fs::path> parts;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(s.dir, ec)) {
        if (entry.is_regular_file(ec)) parts.push_back(entry.path());
    }
    std::sort(parts.begin(), parts.end());
    std::string result =
        InstallParts(parts, "/data/app/vmdl" + std::to_string(session) + ".tmp", s.replace, layout);
    fs::remove_all(s.dir, ec);
    return result;
}

bool PackageStore::AbandonSession(int session) {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(session);
    if (it == sessions_.end()) return false;
    std::error_code ec;
    fs::remove_all(it->second.dir, ec);
    sessions_.erase(it);
    return true;
}

}  // namespace nimbo::phonesim
