#pragma once
// Zip archives as app bundles use them: a split app saved as one PACKAGE.apks
// holding base.apk and its split_*.apk files. Writing stores each file as it
// is (an APK is already compressed, and bundle installers read stored
// entries fastest); reading takes stored and deflated entries, so bundles
// made by other tools open too. Files are streamed, never held in memory
// whole. No zip64: an entry or archive past 4 GiB is refused.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/result.h"

namespace nimbo::archive {

enum class ZipError {
    CannotRead,   // a source file or the archive could not be opened or read
    CannotWrite,  // the archive or an extracted file could not be written
    NotAZip,      // no end-of-directory record: not a zip archive
    Corrupt,      // the directory, a header or an entry's data does not add up
    Unsupported,  // an entry method other than stored or deflated, or encryption
    TooLarge,     // past what a zip without zip64 can hold
};
const char* ToText(ZipError error);

struct ZipSource {
    std::string name;              // the entry's name in the archive
    std::filesystem::path source;  // the file whose bytes it holds
};

struct ZipEntry {
    std::string name;
    uint16_t method = 0;  // 0 stored, 8 deflated
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t size = 0;
    uint32_t localHeaderOffset = 0;
};

// Writes target from the sources, in their order, each stored. The archive is
// written under a temporary name beside target and renamed over it only when
// complete, so a failure never leaves a half-written archive under the name.
Result<bool, ZipError> WriteZip(const std::filesystem::path& target,
                                const std::vector<ZipSource>& sources);

// The entries of the archive's central directory.
Result<std::vector<ZipEntry>, ZipError> ReadZipDirectory(const std::filesystem::path& archive);

// Writes one entry's contents to target, checking its size and CRC; a failed
// extraction removes what it wrote.
Result<bool, ZipError> ExtractZipEntry(const std::filesystem::path& archive, const ZipEntry& entry,
                                       const std::filesystem::path& target);

}  // namespace nimbo::archive
