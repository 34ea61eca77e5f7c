#pragma once
// Paths from and to the program's text, which is UTF-8 throughout. A
// std::filesystem::path made from a narrow std::string does not read it as
// UTF-8 on Windows (mingw's library takes each byte as one character, other
// libraries the code page), and string() of a path gives the code page there
// with some libraries; char8_t text is UTF-8 on every system. On Linux both
// give the bytes unchanged. Every path the program makes from its text, and
// every path it turns back into text, goes through these two.
#include <filesystem>
#include <string>
#include <string_view>

namespace nimbo::platform {

std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace nimbo::platform
