#pragma once
// The installed applications: APK files under data/app/ in the device's
// file system, laid out as old or new Android versions lay them out. A split
// app keeps base.apk and its split_<name>.apk files in one folder; only the
// base is listed, `pm path` names them all.
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "device_fs.h"
#include "phone_settings.h"

namespace nimbo::phonesim {

struct InstalledPackage {
    std::string devicePath;  // e.g. /data/app/com.a-1.apk
    std::string package;
};

class PackageStore {
public:
    explicit PackageStore(const DeviceFs& fs);

    // The fixed system applications first, then every APK under data/app/.
    std::vector<InstalledPackage> List() const;
    // The device paths of every file of the package, base first (`pm path`);
    // empty when it is not installed.
    std::vector<std::string> Paths(const std::string& package) const;
    // Installs the APK at hostFile; devicePath names it in messages. Returns
    // the package manager's status line ("Success" or "Failure [...]").
    std::string Install(const std::filesystem::path& hostFile, const std::string& devicePath,
                        bool replace, PackageLayout layout);

    // The install session of `pm install-create`, `install-write`,
    // `install-commit` and `install-abandon` (what adb's install-multiple
    // runs): parts are written into the session's folder, and the commit
    // installs them together.
    int CreateSession(bool replace);
    // Where install-write puts a part named `name`; nullopt for an unknown
    // session or a name that is not a plain file name.
    std::optional<std::filesystem::path> SessionFile(int session, const std::string& name) const;
    std::string CommitSession(int session, PackageLayout layout);
    // True when the session existed.
    bool AbandonSession(int session);

private:
    struct Session {
        std::filesystem::path dir;
        bool replace = false;
    };

    std::vector<InstalledPackage> ListUserApps() const;
    std::string RandomToken();
    std::string InstallParts(const std::vector<std::filesystem::path>& hostFiles,
                             const std::string& devicePath, bool replace, PackageLayout layout);

    const DeviceFs& fs_;
    mutable std::mutex mutex_;
    std::mt19937_64 random_;
    std::map<int, Session> sessions_;
    int nextSession_ = 1000;
};

}  // namespace nimbo::phonesim
