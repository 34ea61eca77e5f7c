// Windows paths are UTF-16: the wide C library calls take them, and
// MoveFileExW replaces an existing target (rename would fail on it).
#include <windows.h>

#include "platform/files.h"
#include "platform/win/wide.h"

namespace nimbo::platform {

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
    return _wfopen(win::Widen(utf8Path).c_str(), win::Widen(mode).c_str());
}

bool MoveFileOver(const std::string& from, const std::string& to) {
    return MoveFileExW(win::Widen(from).c_str(), win::Widen(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& utf8Path) {
    return DeleteFileW(win::Widen(utf8Path).c_str()) != 0;
}

}  // namespace nimbo::platform
