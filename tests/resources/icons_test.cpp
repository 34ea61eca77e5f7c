// The icons and the banner: sizes, real pixels in the canvas's format, and colours that match
// each picture (so an id mapped to the wrong source shows up). A contact sheet for people to
// look at is written by nimbo-pictures.
#include "icons/icons.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "imaging/canvas.h"

namespace {

using nimbo::imaging::Canvas;
using nimbo::imaging::Size;
using nimbo::resources::IconSize;
using nimbo::resources::LoadBannerBitmap;
using nimbo::resources::LoadIcon;

const std::map<int, Size>& ExpectedSizes() {
    static const std::map<int, Size> sizes = {
        {128, {32, 32}}, {131, {16, 16}}, {132, {16, 16}}, {133, {16, 16}}, {134, {16, 16}},
        {135, {24, 24}}, {136, {15, 16}}, {137, {16, 16}}, {144, {16, 16}}, {148, {15, 15}},
        {149, {15, 15}}, {150, {16, 16}}, {151, {16, 16}}, {152, {16, 16}}, {153, {16, 16}},
        {154, {15, 15}}, {155, {16, 16}},
    };
    return sizes;
}

struct Argb {
    int a, r, g, b;
};

Argb Channels(std::uint32_t pixel) {
    return {static_cast<int>(pixel >> 24), static_cast<int>((pixel >> 16) & 0xFF),
            static_cast<int>((pixel >> 8) & 0xFF), static_cast<int>(pixel & 0xFF)};
}

struct Average {
    double r = 0, g = 0, b = 0;
    int opaque = 0;
};

// Colour average over the visibly drawn pixels, weighted by coverage. The pixels are
// premultiplied, so their channels already carry the weight.
Average AverageColour(const Canvas& image) {
    Average avg;
    double weight = 0;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            const Argb c = Channels(image.RawPixel(x, y));
            avg.opaque += c.a == 255 ? 1 : 0;
            avg.r += c.r;
            avg.g += c.g;
            avg.b += c.b;
            weight += c.a;
        }
    }
    if (weight > 0) {
        avg.r = avg.r * 255 / weight;
        avg.g = avg.g * 255 / weight;
        avg.b = avg.b * 255 / weight;
    }
    return avg;
}

std::vector<std::uint32_t> Pixels(const Canvas& image) {
    return {image.Bits(), image.Bits() + static_cast<std::size_t>(image.Width()) * image.Height()};
}

TEST(Icons, EveryIconHasItsOwnSizeRealPixelsAndATransparentBackground) {
    for (const auto& [id, size] : ExpectedSizes()) {
        SCOPED_TRACE(id);
        EXPECT_EQ(IconSize(id), size);
        const Canvas icon = LoadIcon(id);
        ASSERT_EQ(icon.Width(), size.width);
        ASSERT_EQ(icon.Height(), size.height);
        EXPECT_EQ(Channels(icon.RawPixel(0, 0)).a, 0) << "the corner must stay see-through";
        // A picture, not a speck: a fair share of the square is solid.
        EXPECT_GT(AverageColour(icon).opaque, size.width * size.height / 8);
        // Premultiplied: no channel exceeds the alpha. A swapped byte order breaks this.
        for (std::uint32_t pixel : Pixels(icon)) {
            const Argb c = Channels(pixel);
            ASSERT_LE(std::max({c.r, c.g, c.b}), c.a) << std::hex << pixel;
        }
    }
}

TEST(Icons, UnknownIdsGiveNothing) {
    // 129 is the banner: a bitmap, not an icon.
    for (int id : {-1, 0, 127, 129, 130, 138, 143, 145, 147, 156, 1000}) {
        SCOPED_TRACE(id);
        const Canvas icon = LoadIcon(id);
        EXPECT_EQ(icon.Width(), 0);
        EXPECT_EQ(icon.Height(), 0);
        EXPECT_EQ(IconSize(id), Size{});
    }
}

TEST(Icons, EachIconShowsTheColourOfItsPicture) {
    auto colour = [](int id) { return AverageColour(LoadIcon(id)); };
    for (int id : {133, 134, 135, 148, 150, 153}) {  // green pictures
        SCOPED_TRACE(id);
        const Average c = colour(id);
        EXPECT_GT(c.g, c.r);
        EXPECT_GT(c.g, c.b);
    }
    for (int id : {149, 154}) {  // red discs
        SCOPED_TRACE(id);
        const Average c = colour(id);
        EXPECT_GT(c.r, c.g + 40);
        EXPECT_GT(c.r, c.b + 40);
    }
    for (int id : {132, 137, 152, 155}) {  // blue pictures
        SCOPED_TRACE(id);
        const Average c = colour(id);
        EXPECT_GT(c.b, c.r);
        EXPECT_GT(c.b, c.g - 10);
    }
    for (int id : {136, 144, 151}) {  // yellow and orange pictures
        SCOPED_TRACE(id);
        const Average c = colour(id);
        EXPECT_GT(c.r, c.b + 60);
        EXPECT_GT(c.g, c.b + 20);
    }
    const Average house = colour(131);  // pink: red first, blue above green
    EXPECT_GT(house.r, house.b);
    EXPECT_GT(house.b, house.g);
    const Average gear = colour(128);  // blue-violet
    EXPECT_GT(gear.b, gear.g + 40);
    EXPECT_GT(gear.r, gear.g);
}

TEST(Icons, DifferentPicturesAreDifferentImages) {
    std::vector<std::pair<int, Canvas>> seen;
    for (const auto& [id, size] : ExpectedSizes()) {
        Canvas image = LoadIcon(id);
        for (const auto& [otherId, other] : seen) {
            // 149 and 154 show the same red disc with a cross.
            if ((id == 154 && otherId == 149) || size != IconSize(otherId)) {
                continue;
            }
            EXPECT_NE(Pixels(image), Pixels(other)) << id << " looks the same as " << otherId;
        }
        seen.emplace_back(id, std::move(image));
    }
}

TEST(Icons, BannerIsAnOpaqueBlueBandWithTheOrangeNameAndIsStable) {
    const Canvas banner = LoadBannerBitmap();
    ASSERT_EQ(banner.Width(), 678);
    ASSERT_EQ(banner.Height(), 84);
    for (std::uint32_t pixel : Pixels(banner)) {
        ASSERT_EQ(Channels(pixel).a, 255) << "the banner has no see-through pixel";
    }
    EXPECT_EQ(Pixels(banner), Pixels(LoadBannerBitmap())) << "the same picture on every call";

    for (auto [x, y] : {std::pair{1, 1}, {676, 1}, {1, 80}, {676, 80}}) {
        const Argb c = Channels(banner.RawPixel(x, y));
        EXPECT_GT(c.b, c.r + 40) << x << "," << y;
    }
    int orangeLeft = 0, whiteRight = 0;
    for (int y = 0; y < banner.Height(); ++y) {
        for (int x = 0; x < banner.Width(); ++x) {
            const Argb c = Channels(banner.RawPixel(x, y));
            const bool orange = c.r > 220 && c.g > 90 && c.g < 200 && c.b < 90;
            const bool white = c.r > 240 && c.g > 240 && c.b > 240;
            orangeLeft += (x < 240 && orange) ? 1 : 0;
            whiteRight += (x >= 240 && white) ? 1 : 0;
        }
    }
    EXPECT_GT(orangeLeft, 500) << "the product name in large orange letters";
    EXPECT_GT(whiteRight, 300) << "the makers' names and emblems";
}

}  // namespace
