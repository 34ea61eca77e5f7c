#include "install/apk_files.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <random>
#include <set>
#include <system_error>

#include "archive/zip_archive.h"
#include "platform/paths.h"
#include "platform/utf8_path.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

std::string_view PlainName(std::string_view entry) {
    const size_t slash = entry.find_last_of("/\\");
    return slash == std::string_view::npos ? entry : entry.substr(slash + 1);
}

// A folder of our own under scratch that no other install uses.
std::optional<fs::path> NewFolder(const fs::path& scratch) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path folder =
            scratch / platform::PathFromUtf8("nimbo-apks-" + std::to_string(random()) + "-" +
                                             std::to_string(++counter));
        std::error_code ec;
        if (fs::create_directories(folder, ec)) return folder;
    }
    return std::nullopt;
}

}  // namespace

bool IsApkFile(std::string_view path) {
    return EndsWithNoCase(path, ".apk") && PlainName(path).size() > 4;
}

bool IsApkBundle(std::string_view path) {
    return EndsWithNoCase(path, ".apks") && PlainName(path).size() > 5;
}

std::optional<std::string> FormatApkPathField(const std::vector<std::string>& paths) {
    if (paths.size() == 1) return paths[0];
    std::string field;
    for (const std::string& path : paths) {
        if (path.find('"') != std::string::npos) return std::nullopt;
        if (!field.empty()) field += ' ';
        field += '"' + path + '"';
    }
    return field;
}

std::vector<std::string> ParseApkPathField(std::string_view field) {
    if (field.empty()) return {};
    // Several paths are each quoted; anything else is one path as typed.
    if (!field.starts_with('"')) return {std::string(field)};
    std::vector<std::string> paths;
    size_t at = 0;
    while (at < field.size()) {
        if (field[at] == ' ') {
            ++at;
            continue;
        }
        const size_t close = field[at] == '"' ? field.find('"', at + 1) : std::string_view::npos;
        if (close == std::string_view::npos) return {std::string(field)};
        paths.emplace_back(field.substr(at + 1, close - at - 1));
        at = close + 1;
    }
    return paths;
}

bool AcceptableApkChoice(const std::vector<std::string>& paths) {
    if (paths.empty()) return false;
    for (const std::string& path : paths) {
        if (!platform::PathFileExists(path)) return false;
    }
    if (paths.size() == 1) return IsApkFile(paths[0]) || IsApkBundle(paths[0]);
    return std::all_of(paths.begin(), paths.end(),
                       [](const std::string& p) { return IsApkFile(p); });
}

std::optional<ExtractedBundle> ExtractBundle(const fs::path& bundle, const fs::path& scratch,
                                             BundleError* error) {
    auto fail = [&](BundleError why) -> std::optional<ExtractedBundle> {
        if (error) *error = why;
        return std::nullopt;
    };
    auto entries = archive::ReadZipDirectory(bundle);
    if (!entries) {
        return fail(entries.error() == archive::ZipError::CannotRead ? BundleError::CannotWrite
                                                                     : BundleError::NotABundle);
    }
    auto folder = NewFolder(scratch);
    if (!folder) return fail(BundleError::CannotWrite);
    ExtractedBundle extracted{*folder, {}};
    std::set<std::string> names;
    for (const archive::ZipEntry& entry : *entries) {
        std::string name(PlainName(entry.name));
        if (!IsApkFile(name) || name == "." || name == "..") continue;
        // Two entries of one plain name in different folders of the bundle.
        if (!names.insert(name).second) name = std::to_string(names.size()) + "-" + name;
        names.insert(name);
        const fs::path target = *folder / platform::PathFromUtf8(name);
        auto written = archive::ExtractZipEntry(bundle, entry, target);
        if (!written) {
            RemoveExtractedBundle(extracted);
            return fail(written.error() == archive::ZipError::CannotWrite
                            ? BundleError::CannotWrite
                            : BundleError::NotABundle);
        }
        // The base goes first, as adb and the phone expect to meet it.
        if (name == "base.apk") {
            extracted.parts.insert(extracted.parts.begin(), platform::Utf8FromPath(target));
        } else {
            extracted.parts.push_back(platform::Utf8FromPath(target));
        }
    }
    if (extracted.parts.empty()) {
        RemoveExtractedBundle(extracted);
        return fail(BundleError::NotABundle);
    }
    return extracted;
}

void RemoveExtractedBundle(const ExtractedBundle& bundle) {
    std::error_code ec;
    fs::remove_all(bundle.folder, ec);
}

}  // namespace nimbo
