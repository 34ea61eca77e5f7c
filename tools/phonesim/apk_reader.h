#pragma once
// Just enough of the zip format to tell an APK from other files and to read
// the package name out of its plain-text manifest.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace nimbo::phonesim {

struct ZipEntry {
    std::string name;
    uint16_t method = 0;  // 0 stored, 8 deflated
    uint32_t compressedSize = 0;
    uint32_t size = 0;
    uint32_t localHeaderOffset = 0;
};

// The central directory of a zip archive held in bytes; nullopt when the
// bytes are not a zip archive.
std::optional<std::vector<ZipEntry>> ReadZipDirectory(const std::string& bytes);

// The entry's uncompressed contents; nullopt when they cannot be read.
std::optional<std::string> ReadZipEntry(const std::string& bytes, const ZipEntry& entry);

// package="..." from a manifest's text, when it holds a valid package name.
std::optional<std::string> PackageFromManifest(const std::string& manifest);
// The value of the attribute `key` (key="..."; not android:key), as written.
std::optional<std::string> ManifestAttribute(const std::string& manifest, const std::string& key);

struct ApkInfo {
    bool isZip = false;
    std::string package;  // from the manifest, else from the file name's stem
    // split="config.xxhdpi": this APK is one part of a split app, not its base.
    std::string split;
    // android:isSplitRequired="true" on a base: it will not install alone.
    bool splitRequired = false;
};

// Reads the file at path; the name used for the fallback is fileName.
ApkInfo InspectApk(const std::filesystem::path& path, const std::string& fileName);
ApkInfo InspectApkBytes(const std::string& bytes, const std::string& fileName);

}  // namespace nimbo::phonesim
