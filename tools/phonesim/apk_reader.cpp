#include "apk_reader.h"

#include <zlib.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string_view>

namespace nimbo::phonesim {
namespace {

constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr uint32_t kDirectoryEntry = 0x02014b50;
constexpr uint32_t kLocalHeader = 0x04034b50;
// A manifest is a few kilobytes; anything this large is not one worth reading.
constexpr uint32_t kLargestManifest = 4 * 1024 * 1024;

uint16_t Le16(const std::string& b, size_t at) {
    return uint16_t(uint8_t(b[at])) | uint16_t(uint8_t(b[at + 1])) << 8;
}

uint32_t Le32(const std::string& b, size_t at) {
    return uint32_t(Le16(b, at)) | uint32_t(Le16(b, at + 2)) << 16;
}

std::optional<std::string> Inflate(const std::string& in, uint32_t size) {
    std::string out(size, '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return std::nullopt;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = size;
    int rc = inflate(&z, Z_FINISH);
    bool ok = rc == Z_STREAM_END && z.total_out == size;
    inflateEnd(&z);
    if (!ok) return std::nullopt;
    return out;
}

bool IsPackageName(const std::string& s) {
    if (s.empty() || s.size() > 255 || s.front() == '.' || s.back() == '.') return false;
    for (char c : s) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '_' || c == '.';
        if (!ok) return false;
    }
    return true;
}

std::string Stem(const std::string& fileName) {
    std::string name = std::filesystem::path(fileName).filename().string();
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

std::optional<std::vector<ZipEntry>> ReadZipDirectory(const std::string& b) {
    if (b.size() < 22) return std::nullopt;
    // The end record sits at the end, behind a comment of at most 64 KiB.
    size_t lowest = b.size() > 22 + 0xffff ? b.size() - 22 - 0xffff : 0;
    size_t end = std::string::npos;
    for (size_t at = b.size() - 22;; --at) {
        if (Le32(b, at) == kEndOfDirectory && at + 22 + Le16(b, at + 20) == b.size()) {
            end = at;
            break;
        }
        if (at == lowest) break;
    }
    if (end == std::string::npos) return std::nullopt;
    uint16_t count = Le16(b, end + 10);
    uint32_t dirSize = Le32(b, end + 12);
    uint32_t dirOffset = Le32(b, end + 16);
    if (uint64_t(dirOffset) + dirSize > end) return std::nullopt;

    std::vector<ZipEntry> entries;
    size_t at = dirOffset;
    for (uint16_t i = 0; i < count; ++i) {
        if (at + 46 > end || Le32(b, at) != kDirectoryEntry) return std::nullopt;
        ZipEntry e;
        e.method = Le16(b, at + 10);
        e.compressedSize = Le32(b, at + 20);
        e.size = Le32(b, at + 24);
        uint16_t nameLen = Le16(b, at + 28);
        uint16_t extraLen = Le16(b, at + 30);
        uint16_t commentLen = Le16(b, at + 32);
        e.localHeaderOffset = Le32(b, at + 42);
        if (at + 46 + nameLen > end) return std::nullopt;
        e.name = b.substr(at + 46, nameLen);
        entries.push_back(std::move(e));
        at += 46 + size_t(nameLen) + extraLen + commentLen;
    }
    return entries;
}

std::optional<std::string> ReadZipEntry(const std::string& b, const ZipEntry& e) {
    size_t at = e.localHeaderOffset;
    if (uint64_t(at) + 30 > b.size() || Le32(b, at) != kLocalHeader) return std::nullopt;
    size_t data = at + 30 + Le16(b, at + 26) + Le16(b, at + 28);
    if (uint64_t(data) + e.compressedSize > b.size()) return std::nullopt;
    std::string raw = b.substr(data, e.compressedSize);
    if (e.method == 0) return raw.size() == e.size ? std::optional(raw) : std::nullopt;
    if (e.method == 8 && e.size <= kLargestManifest) return Inflate(raw, e.size);
    return std::nullopt;
}

std::optional<std::string> PackageFromManifest(const std::string& manifest) {
    auto name = ManifestAttribute(manifest, "package");
    if (name && IsPackageName(*name)) return name;
    return std::nullopt;
}

std::optional<std::string> ManifestAttribute(const std::string& manifest, const std::string& key) {
    for (size_t at = manifest.find(key); at != std::string::npos; at = manifest.find(key, at + 1)) {
        // Skip "android:package..." style attributes and words that only end in it.
        if (at > 0 && (std::isalnum(uint8_t(manifest[at - 1])) || manifest[at - 1] == ':')) {
            continue;
        }
        size_t p = at + key.size();
        while (p < manifest.size() && std::isspace(uint8_t(manifest[p]))) ++p;
        if (p >= manifest.size() || manifest[p] != '=') continue;
        ++p;
        while (p < manifest.size() && std::isspace(uint8_t(manifest[p]))) ++p;
        if (p >= manifest.size() || (manifest[p] != '"' && manifest[p] != '\'')) continue;
        char quote = manifest[p];
        size_t close = manifest.find(quote, p + 1);
        if (close == std::string::npos) return std::nullopt;
        return manifest.substr(p + 1, close - p - 1);
    }
    return std::nullopt;
}

ApkInfo InspectApkBytes(const std::string& bytes, const std::string& fileName) {
    ApkInfo info;
    info.package = Stem(fileName);
    auto entries = ReadZipDirectory(bytes);
    if (!entries) return info;
    info.isZip = true;
    for (const ZipEntry& e : *entries) {
        if (e.name != "AndroidManifest.xml") continue;
        if (auto text = ReadZipEntry(bytes, e)) {
            if (auto package = PackageFromManifest(*text)) info.package = *package;
            if (auto split = ManifestAttribute(*text, "split"); split && IsPackageName(*split)) {
                info.split = *split;
            }
            // Written android:isSplitRequired in a real manifest.
            const std::string tag = "isSplitRequired";
            const size_t at = text->find(tag);
            info.splitRequired =
                at != std::string::npos &&
                std::string_view(*text).substr(at + tag.size()).starts_with("=\"true\"");
        }
        break;
    }
    return info;
}

ApkInfo InspectApk(const std::filesystem::path& path, const std::string& fileName) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ApkInfo missing;
        missing.package = Stem(fileName);
        return missing;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    return InspectApkBytes(buffer.str(), fileName);
}

}  // namespace nimbo::phonesim
