#pragma once
// Which file a path names right now, and whether it has changed: enough to
// tell a file some program has just written from one that was there before,
// and a folder from another one put in its place.
#include <cstdint>
#include <string>

namespace nimbo::platform {

struct FileIdentity {
    bool exists = false;
    bool directory = false;
    bool regular = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    // The last change of the file's contents or of its entry, in nanoseconds.
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    // The same file as before, untouched since.
    bool SameAndUnchanged(const FileIdentity& other) const {
        return exists == other.exists && device == other.device && inode == other.inode &&
               size == other.size && modifiedNs == other.modifiedNs && changedNs == other.changedNs;
    }
    // The same file or folder, whatever happened to its contents.
    bool SameObject(const FileIdentity& other) const {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
};

// Follows symbolic links; exists is false when nothing is there.
FileIdentity IdentifyFile(const std::string& path);

}  // namespace nimbo::platform
