#include "imaging/bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "capture/image_readers.h"
#include "capture/test_pictures.h"
#include "support/test_paths.h"

namespace nimbo::imaging {
namespace {

using test::PutPixel;

Bitmap Gradient565(int w, int h) {
    auto bmp = *Bitmap::Create(w, h, PixelFormat::Rgb565);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) PutPixel(bmp, x, y, x * 255 / w, y * 255 / h, (x + y) % 256);
    }
    return bmp;
}

std::size_t FileSize(const std::filesystem::path& p) {
    return std::filesystem::file_size(p);
}

const EncoderParameters kQuality100 = {
    {std::string(kEncoderQuality), EncoderParameterValueType::Long, {100}}};

TEST(ImagingBitmapTest, CreationRefusesImpossibleSizesAndZeroFills) {
    EXPECT_FALSE(Bitmap::Create(0, 10, PixelFormat::Rgb24));
    EXPECT_FALSE(Bitmap::Create(10, -1, PixelFormat::Rgb565));
    EXPECT_FALSE(Bitmap::Create(70000, 10, PixelFormat::Rgb24));
    EXPECT_FALSE(Bitmap::Create(60000, 60000, PixelFormat::Rgb24));  // 10 GB
    auto bmp = Bitmap::Create(5, 3, PixelFormat::Rgb24);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->Stride(), 16);  // 15 bytes padded to four
    for (int y = 0; y < 3; ++y) {
        for (int i = 0; i < bmp->Stride(); ++i) ASSERT_EQ(bmp->Row(y)[i], 0);
    }
}

TEST(ImagingBitmapTest, FromPixelsCopiesRowsAndRefusesShortBuffers) {
    // A framebuffer: 3 x 2 RGB565 with a stride of exactly 6 bytes.
    const std::vector<std::uint8_t> block = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00,
                                             0xFF, 0xFF, 0x00, 0x00, 0x10, 0x84};
    auto bmp = Bitmap::FromPixels(3, 2, PixelFormat::Rgb565, block, 6);
    ASSERT_TRUE(bmp);
    std::vector<std::uint8_t> bgr(9);
    RowToBgr(*bmp, 0, bgr.data());
    EXPECT_EQ(bgr, (std::vector<std::uint8_t>{0, 0, 255, 0, 255, 0, 255, 0, 0}));
    RowToBgr(*bmp, 1, bgr.data());
    // 0x8410: red 16, green 32, blue 16 -> high bits repeated into the low bits.
    EXPECT_EQ(bgr, (std::vector<std::uint8_t>{255, 255, 255, 0, 0, 0, 132, 130, 132}));
    EXPECT_FALSE(Bitmap::FromPixels(3, 2, PixelFormat::Rgb565,
                                    std::span(block.data(), block.size() - 1), 6));
    EXPECT_FALSE(Bitmap::FromPixels(3, 2, PixelFormat::Rgb565, block, 4));  // stride < row
}

TEST(ImagingBitmapTest, WideningRepeatsHighBitsIntoLowBits) {
    for (unsigned v = 0; v < 32; ++v) {
        EXPECT_EQ(Widen5(v), (v << 3) | (v >> 2));
        EXPECT_EQ(Widen5(v) >> 3, v);  // the top bits are the channel itself
    }
    for (unsigned v = 0; v < 64; ++v) EXPECT_EQ(Widen6(v), (v << 2) | (v >> 4));
    EXPECT_EQ(Widen5(0), 0);
    EXPECT_EQ(Widen5(31), 255);
    EXPECT_EQ(Widen6(63), 255);
}

TEST(ImagingBitmapTest, CloneAreaIsIndependentAndBoundsChecked) {
    auto source = Gradient565(20, 10);
    source.SetPropertyItem({0x0110, 2, {'a', 0}});
    auto copy = source.CloneArea(4, 2, 8, 5);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->Width(), 8);
    EXPECT_EQ(copy->Height(), 5);
    EXPECT_EQ(copy->Format(), PixelFormat::Rgb565);
    EXPECT_EQ(copy->PropertyItems().size(), 1u);
    EXPECT_EQ(0, std::memcmp(copy->Row(0), source.Row(2) + 8, 16));
    const std::uint8_t before = copy->Row(0)[0];
    source.Row(2)[8] ^= 0xFF;
    EXPECT_EQ(copy->Row(0)[0], before);

    EXPECT_FALSE(source.CloneArea(15, 0, 6, 1));
    EXPECT_FALSE(source.CloneArea(0, 0, 0, 1));
    EXPECT_FALSE(source.CloneArea(-1, 0, 2, 2));
    EXPECT_TRUE(source.CloneArea(0, 0, 20, 10));

    auto indexed = *Bitmap::Create(2, 2, PixelFormat::Indexed8);
    indexed.SetPalette({MakeArgb(255, 1, 2, 3)});
    EXPECT_EQ(indexed.CloneArea(0, 0, 2, 2)->Palette(), indexed.Palette());
}

TEST(ImagingBitmapTest, PropertyItemWithSameTagIsReplaced) {
    auto bmp = *Bitmap::Create(1, 1, PixelFormat::Rgb24);
    bmp.SetPropertyItem({0x0110, 2, {'a', 0}});
    bmp.SetPropertyItem({0x010F, 2, {'m', 0}});
    bmp.SetPropertyItem({0x0110, 2, {'b', 0}});
    ASSERT_EQ(bmp.PropertyItems().size(), 2u);
    EXPECT_EQ(bmp.PropertyItems()[0].value[0], 'b');
}

TEST(ImagingThumbnailTest, ScalesToExactSizeAndKeepsColours) {
    const auto source = Gradient565(320, 480);
    for (auto [w, h] :
         {std::pair{256, 384}, {213, 320}, {182, 274}, {160, 240}, {1, 1}, {640, 7}}) {
        const auto thumb = source.Thumbnail(w, h);
        ASSERT_TRUE(thumb);
        EXPECT_EQ(thumb->Width(), w);
        EXPECT_EQ(thumb->Height(), h);
        EXPECT_EQ(thumb->Format(), PixelFormat::Rgb24);
    }
    // Own size: the widened picture, pixel for pixel.
    const auto same = source.Thumbnail(320, 480);
    const auto widened = source.ToRgb24();
    for (int y = 0; y < 480; ++y) ASSERT_EQ(0, std::memcmp(same->Row(y), widened->Row(y), 960));

    // A flat colour stays exactly that colour at any size.
    auto flat = *Bitmap::Create(97, 61, PixelFormat::Rgb24);
    test::FillRect(flat, 0, 0, 97, 61, 200, 100, 50);
    const auto small = flat.Thumbnail(13, 9);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 13; ++x) {
            ASSERT_EQ(small->Row(y)[3 * x], 50);
            ASSERT_EQ(small->Row(y)[3 * x + 2], 200);
        }
    }
    // Halving one-pixel black and white stripes averages them to grey rather
    // than keeping every other stripe.
    auto stripes = *Bitmap::Create(64, 4, PixelFormat::Rgb24);
    for (int x = 0; x < 64; x += 2) test::FillRect(stripes, x, 0, 1, 4, 255, 255, 255);
    const auto half = stripes.Thumbnail(32, 2);
    for (int x = 1; x < 31; ++x) EXPECT_NEAR(half->Row(0)[3 * x], 128, 2) << x;

    EXPECT_FALSE(source.Thumbnail(0, 10));
    EXPECT_FALSE(source.Thumbnail(10, -5));
    EXPECT_FALSE(source.Thumbnail(100000, 10));
}

TEST(ImagingEncodersTest, ListsTheFourEncodersByMimeType) {
    const auto& encoders = ImageEncoders();
    ASSERT_EQ(encoders.size(), 4u);
    std::vector<std::string> mimes;
    for (const auto& e : encoders) mimes.push_back(e.mimeType);
    EXPECT_EQ(mimes,
              (std::vector<std::string>{"image/bmp", "image/jpeg", "image/gif", "image/png"}));
    EXPECT_EQ(encoders[1].classId, EncoderId::Jpeg);
    EXPECT_EQ(encoders[3].classId, EncoderId::Png);
}

class ImagingSaveTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (dir_.path() / name).string(); }
    test::TempDir dir_;
};

TEST_F(ImagingSaveTest, BmpRoundTripsTrueColourAndIndexed) {
    const auto source = Gradient565(33, 17);  // odd width: padded rows
    ASSERT_TRUE(SaveImageToFile(source, Path("a.bmp"), EncoderId::Bmp, kQuality100));
    const auto bmp = test::ReadBmp(Path("a.bmp"));
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->bitsPerPixel, 24);
    EXPECT_EQ(bmp->width, 33);
    EXPECT_EQ(bmp->height, 17);
    const auto widened = *source.ToRgb24();
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 33; ++x) {
            ASSERT_EQ(bmp->R(x, y), widened.Row(y)[3 * x + 2]);
            ASSERT_EQ(bmp->B(x, y), widened.Row(y)[3 * x]);
        }
    }

    auto indexed = *Bitmap::Create(3, 2, PixelFormat::Indexed8);
    indexed.SetPalette({MakeArgb(255, 10, 20, 30), MakeArgb(255, 200, 100, 0)});
    indexed.Row(1)[2] = 1;
    ASSERT_TRUE(SaveImageToFile(indexed, Path("i.bmp"), EncoderId::Bmp, {}));
    const auto ib = test::ReadBmp(Path("i.bmp"));
    ASSERT_TRUE(ib);
    EXPECT_EQ(ib->bitsPerPixel, 8);
    EXPECT_EQ(ib->paletteSize, 2);
    EXPECT_EQ(ib->R(0, 0), 10);
    EXPECT_EQ(ib->R(2, 1), 200);
    EXPECT_EQ(ib->G(2, 1), 100);
}

TEST_F(ImagingSaveTest, BmpIsReadableByImageMagickWhenPresent) {
    if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "no convert";
    const auto source = Gradient565(31, 9);
    ASSERT_TRUE(SaveImageToFile(source, Path("m.bmp"), EncoderId::Bmp, {}));
    const std::string cmd = "convert '" + Path("m.bmp") + "' '" + Path("m.png") + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const auto png = test::ReadPng(Path("m.png"));
    const auto bmp = test::ReadBmp(Path("m.bmp"));
    ASSERT_TRUE(png && bmp);
    EXPECT_EQ(png->rgb, bmp->rgb);
}

TEST_F(ImagingSaveTest, PngKeepsPixelsExactlyAndPalettesAsPalettes) {
    const auto source = test::PhotoLike(120, 90, 3);
    ASSERT_TRUE(SaveImageToFile(source, Path("a.png"), EncoderId::Png, kQuality100));
    const auto png = test::ReadPng(Path("a.png"));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->width, 120);
    EXPECT_EQ(png->height, 90);
    EXPECT_EQ(png->paletteSize, 0);
    const auto widened = *source.ToRgb24();
    for (int y = 0; y < 90; ++y) {
        for (int x = 0; x < 120; ++x) {
            ASSERT_EQ(png->R(x, y), widened.Row(y)[3 * x + 2]);
            ASSERT_EQ(png->G(x, y), widened.Row(y)[3 * x + 1]);
            ASSERT_EQ(png->B(x, y), widened.Row(y)[3 * x]);
        }
    }
    auto indexed = *Bitmap::Create(4, 4, PixelFormat::Indexed8);
    indexed.SetPalette({MakeArgb(255, 0, 0, 0), MakeArgb(255, 1, 2, 3), MakeArgb(255, 9, 9, 9)});
    indexed.Row(3)[3] = 2;
    ASSERT_TRUE(SaveImageToFile(indexed, Path("i.png"), EncoderId::Png, {}));
    const auto ip = test::ReadPng(Path("i.png"));
    ASSERT_TRUE(ip);
    EXPECT_EQ(ip->paletteSize, 3);
    EXPECT_EQ(ip->R(3, 3), 9);
}

TEST_F(ImagingSaveTest, JpegHonoursQualityAndCarriesTheModelAsExif) {
    auto source = test::PhotoLike(200, 300, 4);
    source.SetPropertyItem({kPropertyTagEquipModel,
                            kPropertyTagTypeAscii,
                            {'q', 'u', 'i', 'l', 'l', 'e', 't', ' ', '2', '.', '3', 0}});
    std::size_t previous = 0;
    for (int quality : {100, 90, 80, 70}) {
        const std::string path = Path("q" + std::to_string(quality) + ".jpg");
        const EncoderParameters p = {
            {std::string(kEncoderQuality), EncoderParameterValueType::Long, {quality}}};
        ASSERT_TRUE(SaveImageToFile(source, path, EncoderId::Jpeg, p));
        const auto jpeg = test::ReadJpeg(path);
        ASSERT_TRUE(jpeg);
        EXPECT_EQ(jpeg->width, 200);
        EXPECT_EQ(jpeg->height, 300);
        ASSERT_EQ(jpeg->app1.size(), 1u);
        EXPECT_EQ(test::ExifAscii(jpeg->app1[0], 0x0110), "quillet 2.3");
        if (previous) {
            EXPECT_LT(FileSize(path), previous) << quality;
        }
        previous = FileSize(path);
    }
    // At quality 100 the decoded picture is close to the source.
    const auto best = *test::ReadJpeg(Path("q100.jpg"));
    const auto widened = *source.ToRgb24();
    double error = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 200; ++x) error += std::abs(best.R(x, y) - widened.Row(y)[3 * x + 2]);
    }
    EXPECT_LT(error / (200 * 300), 3.0);
}

TEST_F(ImagingSaveTest, GifWritesIndexedPalettesAndCubesTrueColour) {
    auto indexed = *Bitmap::Create(5, 3, PixelFormat::Indexed8);
    indexed.SetPalette({MakeArgb(255, 1, 2, 3), MakeArgb(255, 4, 5, 6), MakeArgb(255, 7, 8, 9)});
    indexed.Row(2)[4] = 2;
    ASSERT_TRUE(SaveImageToFile(indexed, Path("i.gif"), EncoderId::Gif, kQuality100));
    const auto gif = test::ReadGif(Path("i.gif"));
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->width, 5);
    EXPECT_EQ(gif->height, 3);
    EXPECT_EQ(gif->paletteSize, 4);  // three colours in a table of four
    EXPECT_EQ(gif->R(0, 0), 1);
    EXPECT_EQ(gif->B(4, 2), 9);

    auto single = *Bitmap::Create(2, 2, PixelFormat::Indexed8);
    single.SetPalette({MakeArgb(255, 50, 60, 70)});
    ASSERT_TRUE(SaveImageToFile(single, Path("s.gif"), EncoderId::Gif, {}));
    EXPECT_EQ(test::ReadGif(Path("s.gif"))->G(1, 1), 60);

    const auto colour = Gradient565(40, 30);
    ASSERT_TRUE(SaveImageToFile(colour, Path("c.gif"), EncoderId::Gif, {}));
    const auto cg = test::ReadGif(Path("c.gif"));
    ASSERT_TRUE(cg);
    EXPECT_EQ(cg->paletteSize, 256);
    EXPECT_EQ(cg->width, 40);
}

TEST_F(ImagingSaveTest, FailuresAreReportedAndLeaveNoFiles) {
    const auto source = Gradient565(8, 8);
    // A folder that does not exist.
    auto r = SaveImageToFile(source, Path("missing/a.png"), EncoderId::Png, {});
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), SaveError::OpenFailed);
    // A quality outside 0 to 100 is refused by JPEG, ignored by the others.
    const EncoderParameters bad = {
        {std::string(kEncoderQuality), EncoderParameterValueType::Long, {101}}};
    r = SaveImageToFile(source, Path("a.jpg"), EncoderId::Jpeg, bad);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), SaveError::InvalidParameter);
    EXPECT_TRUE(SaveImageToFile(source, Path("a.png"), EncoderId::Png, bad));
    // The target is a folder: the finished file cannot take its place.
    std::filesystem::create_directory(Path("taken.bmp"));
    r = SaveImageToFile(source, Path("taken.bmp"), EncoderId::Bmp, {});
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), SaveError::WriteFailed);
    EXPECT_FALSE(SaveImageToFile(source, "", EncoderId::Bmp, {}));

    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.png", "taken.bmp"}));
}

TEST_F(ImagingSaveTest, SavingReplacesAnExistingFile) {
    const auto big = Gradient565(64, 64);
    const auto small = Gradient565(4, 4);
    ASSERT_TRUE(SaveImageToFile(big, Path("x.png"), EncoderId::Png, {}));
    ASSERT_TRUE(SaveImageToFile(small, Path("x.png"), EncoderId::Png, {}));
    EXPECT_EQ(test::ReadPng(Path("x.png"))->width, 4);
}

}  // namespace
}  // namespace nimbo::imaging
