#include "capture/resolution_sizes.h"

#include <cstdio>
#include <cstdlib>

namespace nimbo {

std::vector<std::string> ResolutionEntries(int width, int height) {
    static constexpr double kFactors[] = {1.0, 0.8, 0.6666666666666666, 0.5714285714285714, 0.5};
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    std::vector<std::string> entries;
    for (double factor : kFactors) {
        char text[32];
        std::snprintf(text, sizeof text, "%dx%d", static_cast<int>(w * factor),
                      static_cast<int>(h * factor));
        entries.emplace_back(text);
    }
    return entries;
}

std::optional<TargetSize> ParseResolutionEntry(std::string_view text) {
    const std::string whole(text);
    const std::size_t x = whole.find('x');
    if (x == std::string::npos) return std::nullopt;
    const long width = std::strtol(whole.c_str(), nullptr, 10);
    const long height = std::strtol(whole.c_str() + x + 1, nullptr, 10);
    if (width <= 0 || height <= 0 || width > 1 << 16 || height > 1 << 16) return std::nullopt;
    return TargetSize{static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace nimbo
