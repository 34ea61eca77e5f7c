// Linux paths are bytes: UTF-8 goes to the C library as it is, and rename
// replaces the target in one step.
#include "platform/files.h"

namespace nimbo::platform {

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
    return std::fopen(utf8Path.c_str(), mode);
}

bool MoveFileOver(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& utf8Path) {
    return std::remove(utf8Path.c_str()) == 0;
}

}  // namespace nimbo::platform
