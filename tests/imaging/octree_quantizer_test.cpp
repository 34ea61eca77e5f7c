#include "imaging/octree_quantizer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "capture/octree_reference.h"
#include "capture/test_pictures.h"

namespace nimbo::imaging {
namespace {

using imaging::Bitmap;
using imaging::PixelFormat;
using test::PutPixel;

struct Rgb {
    int r, g, b;
};

Bitmap RowOf(const std::vector<Rgb>& colours, PixelFormat format = PixelFormat::Rgb24) {
    auto bmp = *Bitmap::Create(static_cast<int>(colours.size()), 1, format);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        PutPixel(bmp, static_cast<int>(i), 0, colours[i].r, colours[i].g, colours[i].b);
    }
    return bmp;
}

std::uint32_t Argb(int r, int g, int b) {
    return imaging::MakeArgb(255, r, g, b);
}

std::vector<std::uint8_t> Indices(const Bitmap& bmp) {
    std::vector<std::uint8_t> out;
    for (int y = 0; y < bmp.Height(); ++y) {
        out.insert(out.end(), bmp.Row(y), bmp.Row(y) + bmp.Width());
    }
    return out;
}

std::optional<test::ReferenceResult> Reference(const Bitmap& source, int maxColors) {
    const auto bgr = *source.ToRgb24();
    return test::ReferenceOctree::Quantize(bgr.Row(0), bgr.Width(), bgr.Height(), bgr.Stride(),
                                           maxColors);
}

// Product and reference, each checked against the expected palette and indices.
void ExpectQuantized(const Bitmap& source, int maxColors, const std::vector<std::uint32_t>& palette,
                     const std::vector<std::uint8_t>& indices) {
    const auto product = OctreeQuantizer().Quantize(source, maxColors);
    ASSERT_TRUE(product);
    EXPECT_EQ(product->Format(), PixelFormat::Indexed8);
    EXPECT_EQ(product->Palette(), palette);
    EXPECT_EQ(Indices(*product), indices);
    const auto reference = Reference(source, maxColors);
    ASSERT_TRUE(reference);
    EXPECT_EQ(reference->palette, palette);
    EXPECT_EQ(reference->indices, indices);
}

TEST(OctreeQuantizerTest, SmallPicturesGiveExactPalettes) {
    // One colour: one entry, every pixel index 0.
    ExpectQuantized(RowOf({{12, 200, 99}, {12, 200, 99}, {12, 200, 99}}), 256, {Argb(12, 200, 99)},
                    {0, 0, 0});
    // Colours that differ only in bit 0 share a leaf holding the truncated average.
    ExpectQuantized(RowOf({{255, 255, 255}, {254, 254, 254}, {255, 255, 255}}), 256,
                    {Argb(254, 254, 254)}, {0, 0, 0});
    // Palette order follows the tree (child index order), not the order of arrival.
    ExpectQuantized(RowOf({{255, 255, 255}, {255, 0, 0}, {0, 0, 0}, {0, 0, 255}}), 8,
                    {Argb(0, 0, 0), Argb(0, 0, 255), Argb(255, 0, 0), Argb(255, 255, 255)},
                    {3, 2, 0, 1});
    // Exactly maxColors leaves: nothing is folded, each keeps its own average.
    std::vector<Rgb> eight;
    std::vector<std::uint32_t> eightPalette;
    std::vector<std::uint8_t> eightIndices;
    for (int i = 0; i < 8; ++i) {
        eight.push_back({i * 2, 0, 0});
        eight.push_back({i * 2 + 1, 0, 0});
        eightPalette.push_back(Argb(i * 2, 0, 0));  // (2i + 2i + 1) / 2
        eightIndices.insert(eightIndices.end(), {std::uint8_t(i), std::uint8_t(i)});
    }
    ExpectQuantized(RowOf(eight), 8, eightPalette, eightIndices);
}

// Red values 0/2 (group A), 4/6 (B), 8/10 (C), 12/14 (D), 16/18 (E): each group
// has one interior node of level 1 with two leaves.
struct FoldCase {
    std::string name;
    std::vector<int> reds;
    std::vector<std::uint32_t> palette;
    std::vector<std::uint8_t> indices;
};

TEST(OctreeQuantizerTest, FoldsDeepestNodeWithFewestPixelsFirstTiesByArrival) {
    const std::vector<FoldCase> cases = {
        // E arrives with one pixel and is folded first (one child: no gain), then A,
        // the first of the two-pixel nodes to reach two.
        {"fewest then earliest",
         {0, 2, 4, 6, 6, 8, 10, 12, 14, 16, 18},
         {Argb(1, 0, 0), Argb(4, 0, 0), Argb(6, 0, 0), Argb(8, 0, 0), Argb(10, 0, 0),
          Argb(12, 0, 0), Argb(14, 0, 0), Argb(17, 0, 0)},
         {0, 0, 1, 2, 2, 3, 4, 5, 6, 7, 7}},
        // C reaches two pixels before A does, so C goes instead.
        {"tie broken by arrival",
         {8, 10, 0, 2, 4, 6, 6, 12, 14, 16, 18},
         {Argb(0, 0, 0), Argb(2, 0, 0), Argb(4, 0, 0), Argb(6, 0, 0), Argb(9, 0, 0), Argb(12, 0, 0),
          Argb(14, 0, 0), Argb(17, 0, 0)},
         {4, 4, 0, 1, 2, 3, 3, 5, 6, 7, 7}},
        // A has three pixels, so the two-pixel C is folded although A came first.
        {"fewer pixels beat earlier arrival",
         {0, 2, 2, 4, 6, 6, 8, 10, 12, 14, 16, 18},
         {Argb(0, 0, 0), Argb(2, 0, 0), Argb(4, 0, 0), Argb(6, 0, 0), Argb(9, 0, 0), Argb(12, 0, 0),
          Argb(14, 0, 0), Argb(17, 0, 0)},
         {0, 1, 1, 2, 3, 3, 4, 4, 5, 6, 7, 7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Rgb> colours;
        for (int red : c.reds) colours.push_back({red, 0, 0});
        ExpectQuantized(RowOf(colours), 8, c.palette, c.indices);
    }
}

TEST(OctreeQuantizerTest, RefusesColourCountsOutsideEightTo256) {
    const auto picture = test::Noise(16, 16, 1, PixelFormat::Rgb565);
    OctreeQuantizer quantizer;
    EXPECT_FALSE(quantizer.Quantize(picture, 7));
    EXPECT_FALSE(quantizer.Quantize(picture, 257));
    EXPECT_FALSE(quantizer.Quantize(picture, 0));
    EXPECT_TRUE(quantizer.Quantize(picture, 8));
    EXPECT_TRUE(quantizer.Quantize(picture, 256));
}

TEST(OctreeQuantizerTest, PaletteNeverExceedsMaxColorsAndQuantizerIsReusable) {
    OctreeQuantizer quantizer;  // one object, several pictures: no state leaks between them
    for (int maxColors : {8, 9, 16, 100, 255, 256}) {
        const auto picture = test::Noise(64, 48, maxColors, PixelFormat::Rgb24);
        const auto out = quantizer.Quantize(picture, maxColors);
        ASSERT_TRUE(out);
        EXPECT_LE(out->Palette().size(), static_cast<std::size_t>(maxColors));
        EXPECT_EQ(out->Width(), 64);
        EXPECT_EQ(out->Height(), 48);
        for (std::uint8_t index : Indices(*out)) ASSERT_LT(index, out->Palette().size());
    }
}

TEST(OctreeQuantizerTest, AveragesOfHugeBrightPicturesDoNotWrap) {
    // 4200 x 4100 white pixels: the red sum passes 2^32.
    auto picture = *Bitmap::Create(4200, 4100, PixelFormat::Rgb565);
    for (int y = 0; y < picture.Height(); ++y) {
        std::fill(picture.Row(y), picture.Row(y) + picture.Width() * 2, 0xFF);
    }
    const auto out = OctreeQuantizer().Quantize(picture, 256);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Palette(), std::vector<std::uint32_t>{Argb(255, 255, 255)});
}

TEST(OctreeQuantizerTest, IndexedSourceIsQuantizedThroughItsPalette) {
    auto picture = *Bitmap::Create(3, 1, PixelFormat::Indexed8);
    picture.SetPalette({Argb(10, 20, 30), Argb(200, 100, 50)});
    picture.Row(0)[0] = 1;
    picture.Row(0)[1] = 0;
    picture.Row(0)[2] = 1;
    const auto out = OctreeQuantizer().Quantize(picture, 256);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Palette(), (std::vector<std::uint32_t>{Argb(10, 20, 30), Argb(200, 100, 50)}));
    EXPECT_EQ(Indices(*out), (std::vector<std::uint8_t>{1, 0, 1}));
}

// ---- the product against the step-by-step reference ------------------------

struct Picture {
    std::string name;
    std::function<Bitmap()> make;
    int maxColors = 256;
};

Bitmap AllRgb565Colours(bool shuffled) {
    auto bmp = *Bitmap::Create(256, 256, PixelFormat::Rgb565);
    std::vector<std::uint16_t> words(65536);
    for (int i = 0; i < 65536; ++i) words[i] = static_cast<std::uint16_t>(i);
    if (shuffled) {
        test::Rng rng(5);
        for (int i = 65535; i > 0; --i) std::swap(words[i], words[rng.Below(i + 1)]);
    }
    for (int i = 0; i < 65536; ++i) {
        bmp.Row(i / 256)[2 * (i % 256)] = static_cast<std::uint8_t>(words[i]);
        bmp.Row(i / 256)[2 * (i % 256) + 1] = static_cast<std::uint8_t>(words[i] >> 8);
    }
    return bmp;
}

Bitmap Pattern(int w, int h, PixelFormat format, const std::function<Rgb(int, int)>& at) {
    auto bmp = *Bitmap::Create(w, h, format);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = at(x, y);
            PutPixel(bmp, x, y, c.r, c.g, c.b);
        }
    }
    return bmp;
}

std::vector<Picture> EquivalencePictures() {
    using test::Noise;
    using test::PhotoLike;
    using test::ScreenshotLike;
    const auto rgb24 = PixelFormat::Rgb24;
    const auto rgb565 = PixelFormat::Rgb565;
    return {
        {"screenshot 1080x2400", [] { return ScreenshotLike(1080, 2400, 1); }},
        {"photo 1080x2400", [] { return PhotoLike(1080, 2400, 2); }},
        {"photo 24-bit 1080x2400", [=] { return PhotoLike(1080, 2400, 3, rgb24); }},
        {"photo 2160x4800", [] { return PhotoLike(2160, 4800, 15); }},
        {"screenshot 2160x4800", [] { return ScreenshotLike(2160, 4800, 16); }},
        {"photo 24-bit 320x480", [=] { return PhotoLike(320, 480, 17, rgb24); }},
        {"screenshot 320x480", [] { return ScreenshotLike(320, 480, 4); }},
        {"screenshot 480x800", [] { return ScreenshotLike(480, 800, 5); }},
        {"screenshot 24-bit 480x854", [=] { return ScreenshotLike(480, 854, 6, rgb24); }},
        {"screenshot 720x1280", [] { return ScreenshotLike(720, 1280, 7); }},
        {"photo 320x480", [] { return PhotoLike(320, 480, 8); }},
        {"photo 480x854", [] { return PhotoLike(480, 854, 9); }},
        {"photo 480x800 8 colours", [] { return PhotoLike(480, 800, 10); }, 8},
        {"photo 480x800 16 colours", [] { return PhotoLike(480, 800, 10); }, 16},
        {"photo 480x800 255 colours", [] { return PhotoLike(480, 800, 10); }, 255},
        {"noise 24-bit 256x256", [=] { return Noise(256, 256, 11, rgb24); }},
        {"noise 565 300x200", [=] { return Noise(300, 200, 12, rgb565); }},
        {"noise odd stride 333x517", [=] { return Noise(333, 517, 13, rgb24); }},
        {"dark noise", [=] { return Noise(400, 300, 14, rgb24, 0x1F); }},
        {"all 565 colours in order", [] { return AllRgb565Colours(false); }},
        {"all 565 colours shuffled", [] { return AllRgb565Colours(true); }},
        {"horizontal gradient",
         [=] {
             return Pattern(480, 800, rgb565, [](int x, int y) {
                 return Rgb{x * 255 / 479, 255 - x * 255 / 479, (y / 100) * 30};
             });
         }},
        // Neighbours that differ only in bit 0 share a path through the tree
        // but not their colour: the averages must still be exact.
        {"24-bit neighbours differing in bit 0",
         [=] {
             return Pattern(640, 400, rgb24, [](int x, int y) {
                 const int odd = (x ^ (y >> 1)) & 1;
                 return Rgb{((x * 7) & 0xFE) | odd, ((y * 3) & 0xFE) | (y & 1),
                            ((x + y) & 0xFE) | (odd ^ 1)};
             });
         }},
        {"vertical gradient 24-bit",
         [=] {
             return Pattern(300, 1000, rgb24, [](int x, int y) {
                 return Rgb{y % 256, (y / 4) % 256, x % 256};
             });
         }},
        {"checkerboard",
         [=] {
             return Pattern(200, 200, rgb565, [](int x, int y) {
                 return ((x / 8 + y / 8) % 2) ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
             });
         }},
        {"one-pixel stripes of many colours",
         [=] {
             return Pattern(512, 64, rgb24, [](int x, int y) {
                 return Rgb{(x * 37) % 256, (x * 91 + y) % 256, (x * 13 + y * 7) % 256};
             });
         }},
        {"one colour 1080x2400",
         [=] { return Pattern(1080, 2400, rgb565, [](int, int) {
                   return Rgb{18, 52, 86};
               }); }},
        {"nine leaves for eight colours",
         [=] { return Pattern(90, 10, rgb24, [](int x, int) {
                   return Rgb{(x / 10) * 2, 0, 0};
               }); },
         8},
    };
}

TEST(OctreeQuantizerTest, MatchesReferenceOnEveryPicture) {
    for (const auto& p : EquivalencePictures()) {
        SCOPED_TRACE(p.name);
        const Bitmap picture = p.make();
        const auto product = OctreeQuantizer().Quantize(picture, p.maxColors);
        const auto reference = Reference(picture, p.maxColors);
        ASSERT_TRUE(product);
        ASSERT_TRUE(reference);
        EXPECT_EQ(product->Palette(), reference->palette);
        EXPECT_TRUE(Indices(*product) == reference->indices);
        EXPECT_EQ(product->Width(), picture.Width());
        EXPECT_EQ(product->Height(), picture.Height());
    }
}

// Few colours, many repeats and small colour limits: every pixel order and
// tie that a large picture rarely produces, many times over.
TEST(OctreeQuantizerTest, MatchesReferenceOnManySmallRandomPictures) {
    for (int seed = 0; seed < 400; ++seed) {
        test::Rng rng(1000 + seed);
        const auto format = seed % 2 ? PixelFormat::Rgb565 : PixelFormat::Rgb24;
        std::vector<Rgb> colours(9 + rng.Below(50));
        // Colours close together, so they share deep branches of the tree.
        const int base = rng.Below(192);
        for (auto& c : colours) {
            c = {base + rng.Below(64), base + rng.Below(64), rng.Below(2) ? base : base + 32};
        }
        const int width = 5 + rng.Below(40), height = 1 + rng.Below(30);
        auto picture = *Bitmap::Create(width, height, format);
        Rgb c = colours[0];
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (rng.Below(3) == 0) c = colours[rng.Below(static_cast<int>(colours.size()))];
                PutPixel(picture, x, y, c.r, c.g, c.b);
            }
        }
        const int maxColors = 8 + rng.Below(9);
        const auto product = OctreeQuantizer().Quantize(picture, maxColors);
        const auto reference = Reference(picture, maxColors);
        ASSERT_TRUE(product && reference);
        ASSERT_EQ(product->Palette(), reference->palette) << "seed " << seed;
        ASSERT_EQ(Indices(*product), reference->indices) << "seed " << seed;
    }
}

}  // namespace
}  // namespace nimbo::imaging
