#pragma once
// Files named by UTF-8 paths, as the program's strings hold them. The C
// library's fopen and rename take the system's narrow code page on Windows
// (not UTF-8), and rename there refuses to replace a file; these do what the
// program means on every system.
#include <cstdio>
#include <string>

namespace nimbo::platform {

// fopen with a UTF-8 path; null when the file cannot be opened.
std::FILE* OpenFile(const std::string& utf8Path, const char* mode);
// Moves `from` over `to`, replacing a file that is there; false on failure.
bool MoveFileOver(const std::string& from, const std::string& to);
// Removes a file; false when it could not be removed (or was not there).
bool RemoveFile(const std::string& utf8Path);

}  // namespace nimbo::platform
