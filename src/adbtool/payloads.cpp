// A payload file is opened with truncation rather than replaced by rename: a
// running adb keeps its program file busy, the open then fails before anything
// is cut, and the file the server runs from stays whole.
#include "adbtool/payloads.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/utf8_path.h"

namespace nimbo {

namespace {

// Replaces the file with exactly these bytes; false when it cannot be created
// or written.
bool WriteWhole(const std::filesystem::path& path, std::span<const unsigned char> bytes) {
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "nimbo: cannot write %s: %s\n", platform::Utf8FromPath(path).c_str(),
                     std::strerror(errno));
        return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "nimbo: writing %s failed\n", platform::Utf8FromPath(path).c_str());
        return false;
    }
    return true;
}

}  // namespace

std::filesystem::path PayloadPath(const payloads::PayloadInfo& row, const platform::Paths& paths) {
    switch (row.folder) {
        case payloads::Folder::System:
            return paths.systemDir / row.fileName;
        case payloads::Folder::Driver:
            return paths.driverDir / row.fileName;
        case payloads::Folder::DriverI386:
            return paths.driverI386Dir / row.fileName;
    }
    return {};
}

int ExtractPayload(int number, const platform::Paths& paths, PayloadBytesLookup lookup) {
    const payloads::PayloadInfo* row = payloads::FindPayload(number);
    if (!row) return 0;
    std::span<const unsigned char> bytes = lookup ? lookup(row->resourceId) : decltype(bytes){};
    if (bytes.empty()) return 0;
    std::filesystem::path path = PayloadPath(*row, paths);
    if (!WriteWhole(path, bytes)) return 0;
    if (row->number == 1) {
        // adb is run from the system directory, so it needs its execute bits.
        using std::filesystem::perms;
        std::error_code ec;
        std::filesystem::permissions(path,
                                     perms::owner_exec | perms::group_exec | perms::others_exec,
                                     std::filesystem::perm_options::add, ec);
    }
    return 1;
}

int ExtractSystemCompanions(const platform::Paths& paths, PayloadBytesLookup lookup) {
    int written = 0;
    for (const auto& file : payloads::SystemCompanionFiles()) {
        std::span<const unsigned char> bytes = lookup ? lookup(file.resourceId) : decltype(bytes){};
        if (!bytes.empty() && WriteWhole(paths.systemDir / file.fileName, bytes)) ++written;
    }
    return written;
}

}  // namespace nimbo
