// Folder creation failures are ignored on purpose: the folder usually exists
// from an earlier press, and when it truly cannot be made the file writes
// fail too and are reported by name.
#include "driver/usb_driver_package.h"

#include <fstream>
#include <system_error>

namespace nimbo {
namespace {

namespace fs = std::filesystem;

bool WriteWholeFile(const fs::path& path, std::span<const unsigned char> bytes) {
    if (bytes.empty()) return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

void WritePayloads(std::initializer_list<int> numbers, const platform::Paths& paths,
                   PayloadBytesLookup lookup, platform::DriverPackage& package) {
    for (int number : numbers) {
        if (ExtractPayload(number, paths, lookup) == 1) continue;
        const payloads::PayloadInfo* row = payloads::FindPayload(number);
        const fs::path path = PayloadPath(*row, paths);
        package.failed.push_back(path.lexically_relative(paths.driverDir).generic_string());
    }
}

}  // namespace

platform::DriverPackage WriteUsbDriverPackage(const platform::Paths& paths,
                                              PayloadBytesLookup lookup) {
    platform::DriverPackage package;
    package.folder = paths.driverDir;
    package.setupInfo = paths.driverDir / kSetupInfoFileName;
    package.udevRules = paths.driverDir / kUdevRulesFileName;

    std::error_code ignored;
    fs::create_directory(paths.driverDir, ignored);
    WritePayloads({4, 5}, paths, lookup, package);
    fs::create_directory(paths.driverI386Dir, ignored);
    WritePayloads({6, 7, 8}, paths, lookup, package);

    const auto rules = lookup ? lookup(kUdevRulesResourceId) : std::span<const unsigned char>();
    if (!WriteWholeFile(package.udevRules, rules)) package.failed.push_back(kUdevRulesFileName);
    return package;
}

void InstallUsbDriverPackage(const platform::Paths& paths, platform::DriverStore& store,
                             platform::Dialogs& dialogs, const std::string& appName,
                             PayloadBytesLookup lookup) {
    const platform::DriverPackage package = WriteUsbDriverPackage(paths, lookup);
    store.InstallPackage(package, dialogs, appName);
}

}  // namespace nimbo
