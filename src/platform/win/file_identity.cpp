// Which file a path names on Windows: the volume serial number and the file
// index stand for device and inode; the last write time for both change times
// (Windows keeps no separate change time for an entry).
#include <windows.h>

#include "platform/file_identity.h"
#include "platform/win/wide.h"

namespace nimbo::platform {

FileIdentity IdentifyFile(const std::string& path) {
    FileIdentity id;
    // FILE_FLAG_BACKUP_SEMANTICS opens folders too; links are followed.
    HANDLE h = CreateFileW(win::Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return id;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!ok) return id;
    id.exists = true;
    id.directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    id.regular = !id.directory && !(info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE);
    id.device = info.dwVolumeSerialNumber;
    id.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    // FILETIME counts 100 ns steps.
    const std::int64_t written =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                  info.ftLastWriteTime.dwLowDateTime) * 100;
    id.modifiedNs = written;
    id.changedNs = written;
    return id;
}

}  // namespace nimbo::platform
