#pragma once
// The sizes offered for saving a screenshot, and reading one back from its text.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbo {

// Five "%dx%d" entries: full size, 0.8, two thirds, four sevenths and one half,
// each side taken as float, multiplied in double and truncated.
std::vector<std::string> ResolutionEntries(int width, int height);

struct TargetSize {
    int width = 0;
    int height = 0;
};
// "WxH": the integer before the first "x" and the one after it, as atoi reads
// them; nothing when either is not positive.
std::optional<TargetSize> ParseResolutionEntry(std::string_view text);

}  // namespace nimbo
