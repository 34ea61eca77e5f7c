#pragma once
// UTF-8 (the program's strings) to UTF-16 (the W functions of Windows) and back.
#include <string>
#include <string_view>

namespace nimbo::platform::win {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace nimbo::platform::win
