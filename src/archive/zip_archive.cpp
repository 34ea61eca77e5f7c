#include "archive/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <limits>
#include <system_error>
#include <vector>

namespace nimbo::archive {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kLocalHeader = 0x04034b50;
constexpr uint32_t kDirectoryEntry = 0x02014b50;
constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kDirectoryEntrySize = 46;
constexpr size_t kEndOfDirectorySize = 22;
constexpr size_t kLargestComment = 0xFFFF;
constexpr uint16_t kVersionNeeded = 20;
// Bit 11: names are UTF-8, so a package name or path in Chinese survives.
constexpr uint16_t kUtf8Names = 0x0800;
constexpr uint16_t kEncrypted = 0x0001;
// 1980-01-01 00:00, the earliest DOS date: the same files give the same bytes.
constexpr uint16_t kDosTime = 0;
constexpr uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;
constexpr uint64_t kLimit = std::numeric_limits<uint32_t>::max();
constexpr size_t kChunk = 256 * 1024;

void Put16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<uint16_t>(v >> 16));
}
uint16_t Get16(const char* p) {
    return static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | static_cast<uint8_t>(p[1]) << 8);
}
uint32_t Get32(const char* p) {
    return static_cast<uint32_t>(Get16(p)) | static_cast<uint32_t>(Get16(p + 2)) << 16;
}

// The fields a local header and a directory entry share, in the same order:
// method, time, date, CRC, both sizes and the name's length.
void PutSharedFields(std::string& h, const ZipEntry& e) {
    Put16(h, e.method);
    Put16(h, kDosTime);
    Put16(h, kDosDate);
    Put32(h, e.crc);
    Put32(h, e.compressedSize);
    Put32(h, e.size);
    Put16(h, static_cast<uint16_t>(e.name.size()));
}

std::string LocalHeader(const ZipEntry& e) {
    std::string h;
    Put32(h, kLocalHeader);
    Put16(h, kVersionNeeded);
    Put16(h, kUtf8Names);
    PutSharedFields(h, e);
    Put16(h, 0);
    h += e.name;
    return h;
}

std::string DirectoryEntry(const ZipEntry& e) {
    std::string h;
    Put32(h, kDirectoryEntry);
    Put16(h, kVersionNeeded);
    Put16(h, kVersionNeeded);
    Put16(h, kUtf8Names);
    PutSharedFields(h, e);
    Put16(h, 0);  // extra
    Put16(h, 0);  // comment
    Put16(h, 0);  // disk
    Put16(h, 0);  // internal attributes
    Put32(h, 0);  // external attributes
    Put32(h, e.localHeaderOffset);
    h += e.name;
    return h;
}

bool Write(std::ofstream& out, const std::string& bytes) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Appends one source, stored; fills in its entry.
Result<bool, ZipError> AppendStored(std::ofstream& out, const ZipSource& source, ZipEntry& entry) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(source.source, ec);
    if (ec) return Err{ZipError::CannotRead};
    if (size > kLimit || source.name.size() > 0xFFFF) return Err{ZipError::TooLarge};
    std::ifstream in(source.source, std::ios::binary);
    if (!in) return Err{ZipError::CannotRead};

    const std::streamoff headerAt = out.tellp();
    if (headerAt < 0 || static_cast<uint64_t>(headerAt) > kLimit) return Err{ZipError::TooLarge};
    entry.name = source.name;
    entry.method = 0;
    entry.localHeaderOffset = static_cast<uint32_t>(headerAt);
    // The sizes and CRC are known once the bytes have passed; the header is
    // written with zeros and mended afterwards.
    if (!Write(out, LocalHeader(entry))) return Err{ZipError::CannotWrite};

    std::vector<char> buffer(kChunk);
    uLong crc = crc32(0L, Z_NULL, 0);
    uint64_t copied = 0;
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::streamsize got = in.gcount();
        if (got <= 0) break;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(got));
        out.write(buffer.data(), got);
        if (!out) return Err{ZipError::CannotWrite};
        copied += static_cast<uint64_t>(got);
    }
    if (in.bad() || copied != size) return Err{ZipError::CannotRead};
    entry.crc = static_cast<uint32_t>(crc);
    entry.size = entry.compressedSize = static_cast<uint32_t>(size);

    const std::streamoff end = out.tellp();
    out.seekp(headerAt);
    if (!Write(out, LocalHeader(entry))) return Err{ZipError::CannotWrite};
    out.seekp(end);
    return true;
}

Result<bool, ZipError> WriteAll(const fs::path& file, const std::vector<ZipSource>& sources) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return Err{ZipError::CannotWrite};
    std::vector<ZipEntry> entries(sources.size());
    for (size_t i = 0; i < sources.size(); ++i) {
        auto appended = AppendStored(out, sources[i], entries[i]);
        if (!appended) return appended;
    }
    const std::streamoff directoryAt = out.tellp();
    std::string directory;
    for (const ZipEntry& e : entries) directory += DirectoryEntry(e);
    if (directoryAt < 0 || static_cast<uint64_t>(directoryAt) + directory.size() > kLimit ||
        entries.size() > 0xFFFF) {
        return Err{ZipError::TooLarge};
    }
    std::string end;
    Put32(end, kEndOfDirectory);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, static_cast<uint16_t>(entries.size()));
    Put16(end, static_cast<uint16_t>(entries.size()));
    Put32(end, static_cast<uint32_t>(directory.size()));
    Put32(end, static_cast<uint32_t>(directoryAt));
    Put16(end, 0);
    if (!Write(out, directory) || !Write(out, end)) return Err{ZipError::CannotWrite};
    out.close();
    if (!out) return Err{ZipError::CannotWrite};
    return true;
}

// Where an entry's data begins: after its local header, whose name and extra
// field may differ in length from the directory's.
Result<uint64_t, ZipError> DataStart(std::ifstream& in, const ZipEntry& entry) {
    std::array<char, kLocalHeaderSize> h{};
    in.seekg(entry.localHeaderOffset);
    if (!in.read(h.data(), h.size()) || Get32(h.data()) != kLocalHeader) {
        return Err{ZipError::Corrupt};
    }
    return uint64_t{entry.localHeaderOffset} + kLocalHeaderSize + Get16(h.data() + 26) +
           Get16(h.data() + 28);
}

}  // namespace

const char* ToText(ZipError error) {
    switch (error) {
        case ZipError::CannotRead:
            return "cannot read";
        case ZipError::CannotWrite:
            return "cannot write";
        case ZipError::NotAZip:
            return "not a zip archive";
        case ZipError::Corrupt:
            return "corrupt archive";
        case ZipError::Unsupported:
            return "unsupported entry";
        case ZipError::TooLarge:
            return "too large";
    }
    return "zip error";
}

Result<bool, ZipError> WriteZip(const fs::path& target, const std::vector<ZipSource>& sources) {
    fs::path partial = target;
    partial += ".partial";
    auto written = WriteAll(partial, sources);
    std::error_code ec;
    if (written) {
        fs::rename(partial, target, ec);
        if (!ec) return true;
        written = Err{ZipError::CannotWrite};
    }
    fs::remove(partial, ec);
    return written;
}

Result<std::vector<ZipEntry>, ZipError> ReadZipDirectory(const fs::path& archive) {
    std::ifstream in(archive, std::ios::binary);
    if (!in) return Err{ZipError::CannotRead};
    in.seekg(0, std::ios::end);
    const std::streamoff fileSize = in.tellg();
    if (fileSize < static_cast<std::streamoff>(kEndOfDirectorySize)) return Err{ZipError::NotAZip};
    const size_t tailSize = static_cast<size_t>(
        std::min<std::streamoff>(fileSize, kEndOfDirectorySize + kLargestComment));
    std::string tail(tailSize, '\0');
    in.seekg(fileSize - static_cast<std::streamoff>(tailSize));
    if (!in.read(tail.data(), static_cast<std::streamsize>(tailSize))) {
        return Err{ZipError::CannotRead};
    }
    size_t at = std::string::npos;
    for (size_t i = tailSize - kEndOfDirectorySize + 1; i-- > 0;) {
        if (Get32(tail.data() + i) == kEndOfDirectory) {
            at = i;
            break;
        }
    }
    if (at == std::string::npos) return Err{ZipError::NotAZip};
    const uint16_t count = Get16(tail.data() + at + 10);
    const uint32_t directorySize = Get32(tail.data() + at + 12);
    const uint32_t directoryAt = Get32(tail.data() + at + 16);
    if (uint64_t{directoryAt} + directorySize > static_cast<uint64_t>(fileSize)) {
        return Err{ZipError::Corrupt};
    }
    std::string directory(directorySize, '\0');
    in.seekg(directoryAt);
    if (!in.read(directory.data(), directorySize)) return Err{ZipError::CannotRead};

    std::vector<ZipEntry> entries;
    size_t pos = 0;
    for (uint16_t i = 0; i < count; ++i) {
        if (pos + kDirectoryEntrySize > directory.size()) return Err{ZipError::Corrupt};
        const char* h = directory.data() + pos;
        if (Get32(h) != kDirectoryEntry) return Err{ZipError::Corrupt};
        const size_t nameLength = Get16(h + 28);
        const size_t skip = nameLength + Get16(h + 30) + Get16(h + 32);
        if (pos + kDirectoryEntrySize + skip > directory.size()) return Err{ZipError::Corrupt};
        ZipEntry e;
        const uint16_t flags = Get16(h + 8);
        // An encrypted entry cannot be read; marked with a method none reads.
        e.method = (flags & kEncrypted) ? 0xFFFF : Get16(h + 10);
        e.crc = Get32(h + 16);
        e.compressedSize = Get32(h + 20);
        e.size = Get32(h + 24);
        e.localHeaderOffset = Get32(h + 42);
        e.name.assign(h + kDirectoryEntrySize, nameLength);
        entries.push_back(std::move(e));
        pos += kDirectoryEntrySize + skip;
    }
    return entries;
}

Result<bool, ZipError> ExtractZipEntry(const fs::path& archive, const ZipEntry& entry,
                                       const fs::path& target) {
    if (entry.method != 0 && entry.method != 8) return Err{ZipError::Unsupported};
    std::ifstream in(archive, std::ios::binary);
    if (!in) return Err{ZipError::CannotRead};
    auto start = DataStart(in, entry);
    if (!start) return Err{start.error()};
    in.seekg(static_cast<std::streamoff>(*start));

    auto extracted = [&]() -> Result<bool, ZipError> {
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        if (!out) return Err{ZipError::CannotWrite};
        std::vector<char> input(kChunk);
        std::vector<char> output(kChunk);
        uLong crc = crc32(0L, Z_NULL, 0);
        uint64_t left = entry.compressedSize;
        uint64_t produced = 0;
        z_stream z{};
        const bool deflated = entry.method == 8;
        if (deflated && inflateInit2(&z, -MAX_WBITS) != Z_OK) return Err{ZipError::Corrupt};
        bool ended = !deflated;
        Result<bool, ZipError> result = true;
        while (left > 0) {
            const size_t want = static_cast<size_t>(std::min<uint64_t>(left, input.size()));
            if (!in.read(input.data(), static_cast<std::streamsize>(want))) {
                result = Err{ZipError::Corrupt};
                break;
            }
            left -= want;
            if (!deflated) {
                crc = crc32(crc, reinterpret_cast<const Bytef*>(input.data()),
                            static_cast<uInt>(want));
                out.write(input.data(), static_cast<std::streamsize>(want));
                produced += want;
                continue;
            }
            z.next_in = reinterpret_cast<Bytef*>(input.data());
            z.avail_in = static_cast<uInt>(want);
            // A full output buffer may leave inflated bytes behind with no
            // input left, so the loop runs until the output is not full.
            do {
                z.next_out = reinterpret_cast<Bytef*>(output.data());
                z.avail_out = static_cast<uInt>(output.size());
                const int rc = inflate(&z, Z_NO_FLUSH);
                if (rc == Z_BUF_ERROR) break;  // no progress possible: more input needed
                if (rc != Z_OK && rc != Z_STREAM_END) {
                    result = Err{ZipError::Corrupt};
                    break;
                }
                const size_t got = output.size() - z.avail_out;
                crc = crc32(crc, reinterpret_cast<const Bytef*>(output.data()),
                            static_cast<uInt>(got));
                out.write(output.data(), static_cast<std::streamsize>(got));
                produced += got;
                ended = rc == Z_STREAM_END;
            } while (!ended && (z.avail_in > 0 || z.avail_out == 0));
            if (!result) break;
        }
        if (deflated) inflateEnd(&z);
        if (!result) return result;
        if (!ended || produced != entry.size || static_cast<uint32_t>(crc) != entry.crc) {
            return Err{ZipError::Corrupt};
        }
        out.close();
        if (!out) return Err{ZipError::CannotWrite};
        return true;
    }();
    if (!extracted) {
        std::error_code ec;
        fs::remove(target, ec);
    }
    return extracted;
}

}  // namespace nimbo::archive
