// What the paths do the same on every system; where the folders are is each
// system's own (linux/paths.cpp, win/paths.cpp).
#include "platform/paths.h"

#include <filesystem>
#include <system_error>

namespace nimbo::platform {

bool EnsureSystemDirectory(const Paths& paths) {
    std::error_code ec;
    std::filesystem::create_directories(paths.systemDir, ec);
    return std::filesystem::is_directory(paths.systemDir, ec);
}

}  // namespace nimbo::platform
