#include "packages/package_list_parser.h"

#include <algorithm>

namespace nimbo {

namespace {
constexpr std::string_view kPrefix = "package:/data/app/";
constexpr std::string_view kAppDir = "/data/app/";

// No APK path the package manager prints holds "." or ".." as a step. A name
// that does could make an export write beside the chosen folder instead of
// into it (adb names a pulled folder after the last step of its path).
bool WalksOutOfItsFolder(std::string_view name) {
    for (size_t start = 0; start <= name.size();) {
        const size_t slash = std::min(name.find('/', start), name.size());
        const std::string_view step = name.substr(start, slash - start);
        if (step == "." || step == "..") return true;
        start = slash + 1;
    }
    return false;
}
}  // namespace

bool ParsePackageLine(std::string_view line, PackageRow& row) {
    if (!line.starts_with(kPrefix)) return false;

    // Every occurrence of the prefix goes, not just the first, as the list has
    // always done; the name itself never holds one.
    std::string rest;
    rest.reserve(line.size());
    for (size_t pos = 0;;) {
        const size_t hit = line.find(kPrefix, pos);
        rest.append(line.substr(pos, hit == std::string_view::npos ? hit : hit - pos));
        if (hit == std::string_view::npos) break;
        pos = hit + kPrefix.size();
    }

    // Package names hold no "=", but the folders of Android 5 and later end in
    // "==", so the name ends at the LAST "=". Text after it with a "/" is
    // still path: that line carries no package name.
    size_t eq = rest.rfind('=');
    if (eq != std::string::npos && rest.find('/', eq) != std::string::npos) eq = std::string::npos;
    std::string name = eq == std::string::npos ? rest : rest.substr(0, eq);
    if (name.empty()) return false;  // nothing to show, and "/data/app/" itself is no file
    if (WalksOutOfItsFolder(name)) return false;

    row.packageName = eq == std::string::npos ? std::string() : rest.substr(eq + 1);
    row.sourcePath = std::string(kAppDir) + name;
    row.targetFileName = ExportTargetFileName(name, row.packageName);
    row.name = std::move(name);
    return true;
}

std::string ExportTargetFileName(std::string_view name, std::string_view packageName) {
    const size_t slash = name.rfind('/');
    if (slash == std::string_view::npos) return {};
    if (!packageName.empty()) return std::string(packageName) + ".apk";
    // The package's own folder is "<package>-<suffix>"; package names hold no
    // "-", while the random suffix may, so the first "-" ends the name.
    std::string_view folder = name.substr(0, slash);
    if (const size_t up = folder.rfind('/'); up != std::string_view::npos) {
        folder = folder.substr(up + 1);
    }
    folder = folder.substr(0, folder.find('-'));
    if (folder.empty() || folder == "." || folder == "..")
        return std::string(name.substr(slash + 1));
    return std::string(folder) + ".apk";
}

std::vector<PackageRow> ParsePackageList(std::string_view output) {
    std::vector<PackageRow> rows;
    size_t pos = 0;
    while (pos < output.size()) {
        const size_t end = std::min(output.find_first_of("\r\n", pos), output.size());
        PackageRow row;
        if (end > pos && ParsePackageLine(output.substr(pos, end - pos), row)) {
            rows.push_back(std::move(row));
        }
        pos = output.find_first_not_of("\r\n", end);
        if (pos == std::string_view::npos) break;
    }
    std::reverse(rows.begin(), rows.end());  // each row goes to the top of the list
    return rows;
}

}  // namespace nimbo
