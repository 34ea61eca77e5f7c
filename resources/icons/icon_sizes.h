#pragma once
// Every icon the windows use, with the size it is drawn at. Read by the program (IconSize)
// and by the build-time renderer (tools/pictures), so the two cannot disagree.
#include <array>

namespace nimbo::resources {

struct IconSizeEntry {
    int id;
    int width;
    int height;
};

// Most are 16 x 16; a few buttons carry slightly smaller or larger ones.
inline constexpr std::array<IconSizeEntry, 17> kIconSizes = {{
    {128, 32, 32},
    {131, 16, 16},
    {132, 16, 16},
    {133, 16, 16},
    {134, 16, 16},
    {135, 24, 24},
    {136, 15, 16},
    {137, 16, 16},
    {144, 16, 16},
    {148, 15, 15},
    {149, 15, 15},
    {150, 16, 16},
    {151, 16, 16},
    {152, 16, 16},
    {153, 16, 16},
    {154, 15, 15},
    {155, 16, 16},
}};

// The banner bitmap's resource id and size.
inline constexpr int kBannerId = 129;
inline constexpr int kBannerWidth = 678;
inline constexpr int kBannerHeight = 84;

}  // namespace nimbo::resources
