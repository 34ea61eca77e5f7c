#pragma once
// Building a Windows command line from separate arguments. A Windows program
// gets one string and splits it itself (CommandLineToArgvW, the C runtime);
// this quotes each argument so that the split gives it back exactly: blanks,
// quotes, backslashes before quotes, Chinese text.
#include <string>
#include <vector>

namespace nimbo::platform::win {

std::wstring QuoteArgument(const std::wstring& arg);
std::wstring BuildCommandLine(const std::vector<std::wstring>& argv);

}  // namespace nimbo::platform::win
