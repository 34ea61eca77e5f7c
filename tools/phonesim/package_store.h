#pragma once
// The installed applications: APK files under data/app/ in the device's
// file system, laid out as old or new Android versions lay them out.
#include <filesystem>
#include <mutex>
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
    // Installs the APK at hostFile; devicePath names it in messages. Returns
    // the package manager's status line ("Success" or "Failure [...]").
    std::string Install(const std::filesystem::path& hostFile, const std::string& devicePath,
                        bool replace, PackageLayout layout);

private:
    std::vector<InstalledPackage> ListUserApps() const;
    std::string RandomToken();

    const DeviceFs& fs_;
    mutable std::mutex mutex_;
    std::mt19937_64 random_;
};

}  // namespace nimbo::phonesim
