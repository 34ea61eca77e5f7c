#include "support/phonesim_apk.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

namespace nimbo::test {
namespace {

uint32_t Crc32(const std::string& data) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xffffffffu;
    for (unsigned char b : data) crc = table[(crc ^ b) & 0xff] ^ (crc >> 8);
    return crc ^ 0xffffffffu;
}

void Le16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>(v >> 8));
}

void Le32(std::string& out, uint32_t v) {
    Le16(out, static_cast<uint16_t>(v & 0xffff));
    Le16(out, static_cast<uint16_t>(v >> 16));
}

struct Entry {
    std::string name;
    std::string data;
};

constexpr size_t kLocalFixed = 30;
constexpr size_t kCentralFixed = 46;
constexpr size_t kEndFixed = 22;

std::string Zip(const std::vector<Entry>& entries) {
    std::string out;
    std::string central;
    for (const auto& e : entries) {
        uint32_t crc = Crc32(e.data);
        uint32_t offset = static_cast<uint32_t>(out.size());
        auto common = [&](std::string& s) {
            Le16(s, 10);    // version needed
            Le16(s, 0);     // flags
            Le16(s, 0);     // stored
            Le16(s, 0);     // time
            Le16(s, 0x21);  // date: 1980-01-01
            Le32(s, crc);
            Le32(s, static_cast<uint32_t>(e.data.size()));
            Le32(s, static_cast<uint32_t>(e.data.size()));
            Le16(s, static_cast<uint16_t>(e.name.size()));
            Le16(s, 0);  // extra
        };
        Le32(out, 0x04034b50);
        common(out);
        out += e.name + e.data;
        Le32(central, 0x02014b50);
        Le16(central, 20);  // made by
        common(central);
        Le16(central, 0);  // comment
        Le16(central, 0);  // disk
        Le16(central, 0);  // internal attributes
        Le32(central, 0);  // external attributes
        Le32(central, offset);
        central += e.name;
    }
    uint32_t centralOffset = static_cast<uint32_t>(out.size());
    out += central;
    Le32(out, 0x06054b50);
    Le16(out, 0);
    Le16(out, 0);
    Le16(out, static_cast<uint16_t>(entries.size()));
    Le16(out, static_cast<uint16_t>(entries.size()));
    Le32(out, static_cast<uint32_t>(central.size()));
    Le32(out, centralOffset);
    Le16(out, 0);
    return out;
}

}  // namespace

namespace {

bool WriteApk(const std::filesystem::path& path, const std::string& package,
              const std::string& attributes, uint32_t seed, size_t sizeBytes) {
    std::vector<Entry> entries;
    entries.push_back({"AndroidManifest.xml",
                       "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                       "<manifest xmlns:android=\"http://schemas.android.com/apk/res/android\"\n"
                       "    package=\"" +
                           package + "\"" + attributes + ">\n</manifest>\n"});
    const std::string fillerName = "assets/filler.bin";
    size_t base = 0;
    for (const auto& e : entries)
        base += kLocalFixed + kCentralFixed + 2 * e.name.size() + e.data.size();
    base += kEndFixed;
    size_t fillerOverhead = kLocalFixed + kCentralFixed + 2 * fillerName.size();
    if (sizeBytes >= base + fillerOverhead) {
        std::string filler(sizeBytes - base - fillerOverhead, '\0');
        uint32_t x = 0x9e3779b9u ^ seed;
        for (char& c : filler) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            c = static_cast<char>(x & 0xff);
        }
        entries.push_back({fillerName, std::move(filler)});
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string bytes = Zip(entries);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace

bool MakeTestApk(const std::filesystem::path& path, const std::string& package, size_t sizeBytes) {
    return WriteApk(path, package, "", static_cast<uint32_t>(package.size()), sizeBytes);
}

bool MakeTestApkPart(const std::filesystem::path& path, const std::string& package,
                     const std::string& split, size_t sizeBytes) {
    const std::string attributes = split.empty() ? std::string(" android:isSplitRequired=\"true\"")
                                                 : " split=\"" + split + "\"";
    const uint32_t seed = static_cast<uint32_t>(std::hash<std::string>{}(package + "/" + split));
    return WriteApk(path, package, attributes, seed, sizeBytes);
}

std::vector<std::filesystem::path> MakeTestSplitApp(const std::filesystem::path& folder,
                                                    const std::string& package,
                                                    const std::vector<std::string>& splits,
                                                    size_t sizeBytes) {
    std::vector<std::filesystem::path> parts{folder / "base.apk"};
    for (const std::string& split : splits) parts.push_back(folder / ("split_" + split + ".apk"));
    for (size_t i = 0; i < parts.size(); ++i) {
        if (!MakeTestApkPart(parts[i], package, i == 0 ? "" : splits[i - 1], sizeBytes)) return {};
    }
    return parts;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace nimbo::test
