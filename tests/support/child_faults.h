#pragma once
// Faults a test can give one child process of its own without touching the
// rest of the machine: a file-size limit (a disk that fills) and a folder
// that is read-only in the child's private mount namespace.
#include <functional>
#include <string>

namespace nimbo::test {

// Exit code of a child that could not set up its fault: the test is skipped.
inline constexpr int kFaultUnavailable = 77;

// Runs fn in a forked child and returns its result (the child's exit code);
// -1 when the child died some other way. The child must be single-threaded
// work: only the calling thread exists in it.
int RunInChild(const std::function<int()>& fn);

// In the calling (child) process: writes past `bytes` fail with EFBIG instead
// of killing the process. False when the limit cannot be set.
bool LimitFileSize(long bytes);

// In the calling (child) process: a private mount namespace in which folder
// is read-only, even for root. False when namespaces are not available.
bool MakeFolderReadOnly(const std::string& folder);

}  // namespace nimbo::test
