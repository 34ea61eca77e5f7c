#pragma once
// Test APKs: zip archives whose AndroidManifest.xml is plain text holding
// package="...", as the simulated phone reads them.
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace nimbo::test {

// Writes a zip with the manifest (stored) and, when sizeBytes asks for more,
// a filler entry of deterministic bytes so that the file is exactly that
// large. False when the file cannot be written.
bool MakeTestApk(const std::filesystem::path& path, const std::string& package,
                 size_t sizeBytes = 0);

// One part of a split app: the base (split empty), which says it will not
// install without its splits, or the split of that name.
bool MakeTestApkPart(const std::filesystem::path& path, const std::string& package,
                     const std::string& split, size_t sizeBytes = 0);
// A split app in folder: base.apk and split_<name>.apk for each split, as
// the phone keeps them; the paths, base first, or empty when one failed.
std::vector<std::filesystem::path> MakeTestSplitApp(const std::filesystem::path& folder,
                                                    const std::string& package,
                                                    const std::vector<std::string>& splits,
                                                    size_t sizeBytes = 0);

std::string ReadFileBytes(const std::filesystem::path& path);

}  // namespace nimbo::test
