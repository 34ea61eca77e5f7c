#pragma once
#include <filesystem>

namespace nimbo::test {

std::filesystem::path SourceDir();
std::filesystem::path BinaryDir();

// A fresh folder under /tmp, removed with everything in it when destroyed.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace nimbo::test
