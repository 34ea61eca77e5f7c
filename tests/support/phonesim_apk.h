#pragma once
// Test APKs: zip archives whose AndroidManifest.xml is plain text holding
// package="...", as the simulated phone reads them.
#include <cstddef>
#include <filesystem>
#include <string>

namespace nimbo::test {

// Writes a zip with the manifest (stored) and, when sizeBytes asks for more,
// a filler entry of deterministic bytes so that the file is exactly that
// large. False when the file cannot be written.
bool MakeTestApk(const std::filesystem::path& path, const std::string& package,
                 size_t sizeBytes = 0);

std::string ReadFileBytes(const std::filesystem::path& path);

}  // namespace nimbo::test
