#include "capture/image_save.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "capture/image_readers.h"
#include "capture/resolution_sizes.h"
#include "capture/test_pictures.h"
#include "imaging/octree_quantizer.h"
#include "support/child_faults.h"
#include "support/test_paths.h"

namespace nimbo {
namespace {

// The folder separator the save path is built with ("\\" on Windows).
const std::string kSeparator(1, static_cast<char>(std::filesystem::path::preferred_separator));

using imaging::Bitmap;
using imaging::PixelFormat;

class ScriptedDialogs final : public ui::Dialogs {
public:
    std::optional<std::string> OpenFile(const std::string&, const std::vector<ui::FileFilter>&,
                                        bool) override {
        return std::nullopt;
    }
    std::optional<std::string> SaveFile(const std::string&,
                                        const std::vector<ui::FileFilter>& filters, int filterIndex,
                                        const std::string& defaultExtension,
                                        const std::string& initialName) override {
        ++calls;
        lastFilters = filters;
        lastFilterIndex = filterIndex;
        lastDefaultExtension = defaultExtension;
        lastInitialName = initialName;
        return answer;
    }
    std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
    ui::MessageBoxResult MessageBox(const std::string&, const std::string&) override {
        return ui::MessageBoxResult::Ok;
    }

    std::optional<std::string> answer;
    int calls = 0;
    std::vector<ui::FileFilter> lastFilters;
    int lastFilterIndex = -1;
    std::string lastDefaultExtension = "unset", lastInitialName = "unset";
};

class FixedClock final : public platform::Clock {
public:
    platform::LocalTime Now() override { return now; }
    void Sleep(std::chrono::milliseconds) override {}
    platform::LocalTime now{2010, 1, 6, 14, 5, 9};
};

class ImageSaveTest : public ::testing::Test {
protected:
    ImageSaveTest() {
        paths_.documentsDir = dir_.path() / "Documents";
        std::filesystem::create_directories(paths_.documentsDir);
    }

    SaveResult Save(const std::string& format, std::optional<std::string> size,
                    const std::string& quality = "100", bool autoName = true) {
        SaveRequest request;
        request.capturedImage = picture_ ? &*picture_ : nullptr;
        request.formatText = format;
        request.sizeText = std::move(size);
        request.qualityText = quality;
        request.autoName = autoName;
        statuses_.clear();
        return SaveScreenshot(request, context_,
                              [this](const std::string& s) { statuses_.push_back(s); });
    }
    std::string Documents(const std::string& name) const {
        return (paths_.documentsDir / name).string();
    }

    test::TempDir dir_;
    platform::Paths paths_;
    ScriptedDialogs dialogs_;
    FixedClock clock_;
    CaptureState state_;
    SaveContext context_{dialogs_, clock_, paths_, state_};
    std::optional<Bitmap> picture_ = test::ScreenshotLike(320, 480, 7);
    std::vector<std::string> statuses_;
};

TEST(ResolutionSizesTest, FiveEntriesTruncatedInTheirFixedOrder) {
    EXPECT_EQ(ResolutionEntries(320, 480),
              (std::vector<std::string>{"320x480", "256x384", "213x320", "182x274", "160x240"}));
    EXPECT_EQ(ResolutionEntries(480, 800),
              (std::vector<std::string>{"480x800", "384x640", "320x533", "274x457", "240x400"}));
    EXPECT_EQ(ResolutionEntries(480, 854),
              (std::vector<std::string>{"480x854", "384x683", "320x569", "274x488", "240x427"}));
    EXPECT_EQ(ResolutionEntries(1080, 2400)[2], "720x1600");

    const auto parsed = ParseResolutionEntry("213x320");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->width, 213);
    EXPECT_EQ(parsed->height, 320);
    for (const char* bad : {"", "320", "x480", "320x", "0x10", "abc", "-5x5"}) {
        EXPECT_FALSE(ParseResolutionEntry(bad)) << bad;
    }
}

TEST(ImageSaveLookupTest, EncodersAndFormatsAreFoundAsTheWindowNamesThem) {
    imaging::EncoderId id{};
    EXPECT_EQ(FindEncoderForMime("image/png", id), 3);
    EXPECT_EQ(id, imaging::EncoderId::Png);
    EXPECT_EQ(FindEncoderForMime("image/jpeg", id), 1);
    EXPECT_EQ(id, imaging::EncoderId::Jpeg);
    EXPECT_EQ(FindEncoderForMime("IMAGE/PNG", id), -1);  // MIME types are matched exactly
    EXPECT_EQ(FindEncoderForMime("image/tiff", id), -1);

    ASSERT_TRUE(ImageFormatOfText("jpg"));
    EXPECT_EQ(ImageFormatOfText("jpg")->mimeType, "image/jpeg");
    EXPECT_EQ(ImageFormatOfText("Gif")->typeCode, 3);
    EXPECT_FALSE(ImageFormatOfText("JPEG"));
    EXPECT_FALSE(ImageFormatOfText("jp"));  // a beginning is not the whole text
    EXPECT_FALSE(ImageFormatOfText(""));
    EXPECT_EQ(ImageFormatOfType(7).extension, ".bmp");
    EXPECT_EQ(ImageFormatOfType(-1).filter.text, "位图文件 (*.bmp)");
    for (auto entry : kFormatListEntries) EXPECT_TRUE(ImageFormatOfText(entry)) << entry;
}

TEST_F(ImageSaveTest, NoPictureFailsWithoutAskingForAPath) {
    picture_.reset();
    const auto result = Save("JPG", std::nullopt);
    EXPECT_EQ(result.outcome, SaveOutcome::NoPicture);
    EXPECT_EQ(statuses_, (std::vector<std::string>{"正在保存..", "保存失败.."}));
    EXPECT_EQ(state_.lastSaveFolder, "");
    EXPECT_TRUE(std::filesystem::is_empty(paths_.documentsDir));
}

TEST_F(ImageSaveTest, AutomaticNameInDocumentsAtTheChosenSize) {
    const auto result = Save("JPG", "256x384");
    EXPECT_EQ(result.outcome, SaveOutcome::Saved);
    EXPECT_EQ(statuses_, (std::vector<std::string>{"正在保存..", "保存完成!"}));
    EXPECT_EQ(result.path, Documents("20100106-140509.jpg"));
    EXPECT_EQ(state_.lastSaveFolder, paths_.documentsDir.string() + kSeparator);
    EXPECT_EQ(dialogs_.calls, 0);
    const auto jpeg = test::ReadJpeg(result.path);
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->width, 256);
    EXPECT_EQ(jpeg->height, 384);
    ASSERT_EQ(jpeg->app1.size(), 1u);
    EXPECT_EQ(test::ExifAscii(jpeg->app1[0], 0x0110), "quillet 2.3");
}

TEST_F(ImageSaveTest, EachFormatIsWrittenAtItsSizeWithAnyCaseOfItsName) {
    struct Case {
        std::string format, size, extension;
        int width, height;
    };
    const std::vector<Case> cases = {{"bmp", "213x320", ".bmp", 213, 320},
                                     {"Png", "182x274", ".png", 182, 274},
                                     {"JPG", "320x480", ".jpg", 320, 480},
                                     {"png", "320x480", ".png", 320, 480}};
    int second = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format + " " + c.size);
        clock_.now.second = second++;
        const auto result = Save(c.format, c.size);
        ASSERT_EQ(result.outcome, SaveOutcome::Saved);
        EXPECT_EQ(statuses_.back(), "保存完成!");
        EXPECT_EQ(std::filesystem::path(result.path).extension(), c.extension);
        std::optional<test::Decoded> d = c.extension == ".bmp"   ? test::ReadBmp(result.path)
                                         : c.extension == ".png" ? test::ReadPng(result.path)
                                                                 : test::ReadJpeg(result.path);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->width, c.width);
        EXPECT_EQ(d->height, c.height);
    }
    // At full size PNG keeps every widened pixel.
    const auto png = *test::ReadPng(Documents("20100106-140503.png"));
    const auto widened = *picture_->ToRgb24();
    for (int y = 0; y < 480; y += 7) {
        for (int x = 0; x < 320; x += 3) ASSERT_EQ(png.G(x, y), widened.Row(y)[3 * x + 1]);
    }
}

TEST_F(ImageSaveTest, GifIsFullSizeWithTheQuantizersPalette) {
    const auto result = Save("GIF", "160x240");
    ASSERT_EQ(result.outcome, SaveOutcome::Saved);
    EXPECT_EQ(statuses_.back(), "保存完成,GIF不支持缩放");
    EXPECT_EQ(result.path, Documents("20100106-140509.gif"));
    const auto gif = test::ReadGif(result.path);
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->width, 320);
    EXPECT_EQ(gif->height, 480);
    EXPECT_LE(gif->paletteSize, 256);
    // Every pixel carries its palette colour from the quantiser.
    const auto quantized = *imaging::OctreeQuantizer().Quantize(*picture_, 256);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 320; ++x) {
            const auto c = quantized.Palette()[quantized.Row(y)[x]];
            ASSERT_EQ(gif->R(x, y), (c >> 16) & 0xFF);
            ASSERT_EQ(gif->G(x, y), (c >> 8) & 0xFF);
            ASSERT_EQ(gif->B(x, y), c & 0xFF);
        }
    }
}

TEST_F(ImageSaveTest, LargePhotoGifKeepsAtMost256Colours) {
    picture_ = test::PhotoLike(720, 1280, 9);
    const auto result = Save("GIF", std::nullopt);
    ASSERT_EQ(result.outcome, SaveOutcome::Saved);
    const auto gif = test::ReadGif(result.path);
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->width, 720);
    EXPECT_EQ(gif->height, 1280);
    EXPECT_EQ(gif->paletteSize, 256);
}

TEST_F(ImageSaveTest, JpegQualityComesFromTheQualityList) {
    picture_ = test::PhotoLike(320, 480, 11);
    std::vector<std::uintmax_t> sizes;
    int second = 0;
    for (auto quality : kQualityListEntries) {
        clock_.now.second = second++;
        const auto result = Save("JPG", "320x480", std::string(quality));
        ASSERT_EQ(result.outcome, SaveOutcome::Saved);
        sizes.push_back(std::filesystem::file_size(result.path));
    }
    for (std::size_t i = 1; i < sizes.size(); ++i) EXPECT_LT(sizes[i], sizes[i - 1]) << i;
    // Formats that have no quality ignore it.
    EXPECT_EQ(Save("PNG", "320x480", "999").outcome, SaveOutcome::Saved);
}

TEST_F(ImageSaveTest, SavesInTheSameSecondShareANameAndTheLastWins) {
    ASSERT_EQ(Save("PNG", "320x480").outcome, SaveOutcome::Saved);
    ASSERT_EQ(Save("PNG", "160x240").outcome, SaveOutcome::Saved);
    EXPECT_EQ(test::ReadPng(Documents("20100106-140509.png"))->width, 160);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e :
         std::filesystem::directory_iterator(paths_.documentsDir)) {
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST_F(ImageSaveTest, WithoutASelectedSizeThePictureKeepsItsOwnSize) {
    const auto result = Save("BMP", std::nullopt);
    ASSERT_EQ(result.outcome, SaveOutcome::Saved);
    const auto bmp = test::ReadBmp(result.path);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->width, 320);
    EXPECT_EQ(bmp->height, 480);
    EXPECT_EQ(bmp->bitsPerPixel, 24);
}

TEST_F(ImageSaveTest, SaveDialogPathSetsTheFolderWithoutTrailingSlash) {
    const auto folder = dir_.path() / "elsewhere";
    std::filesystem::create_directories(folder);
    dialogs_.answer = (folder / "shot.png").string();
    const auto result = Save("PNG", "256x384", "100", false);
    ASSERT_EQ(result.outcome, SaveOutcome::Saved);
    EXPECT_EQ(dialogs_.calls, 1);
    ASSERT_EQ(dialogs_.lastFilters.size(), 1u);
    EXPECT_EQ(dialogs_.lastFilters[0].text, "PNG文件 (*.png)");
    EXPECT_EQ(dialogs_.lastFilters[0].pattern, "*.png");
    EXPECT_EQ(dialogs_.lastFilterIndex, 0);
    EXPECT_EQ(dialogs_.lastDefaultExtension, "");
    EXPECT_EQ(dialogs_.lastInitialName, "");
    EXPECT_EQ(state_.lastSaveFolder, folder.string());
    EXPECT_EQ(test::ReadPng((folder / "shot.png").string())->width, 256);
    EXPECT_TRUE(std::filesystem::is_empty(paths_.documentsDir));
}

TEST_F(ImageSaveTest, CancelledDialogFailsAndKeepsTheFolder) {
    state_.lastSaveFolder = "/somewhere/before";
    dialogs_.answer = std::nullopt;
    const auto result = Save("GIF", std::nullopt, "100", false);
    EXPECT_EQ(result.outcome, SaveOutcome::NoPath);
    EXPECT_EQ(statuses_, (std::vector<std::string>{"正在保存..", "保存失败.."}));
    EXPECT_EQ(state_.lastSaveFolder, "/somewhere/before");
}

TEST_F(ImageSaveTest, AutomaticNameMakesAMissingDocumentsFolder) {
    std::filesystem::remove_all(paths_.documentsDir);
    EXPECT_EQ(Save("JPG", "320x480").outcome, SaveOutcome::Saved);
    EXPECT_TRUE(std::filesystem::exists(Documents("20100106-140509.jpg")));
}

TEST_F(ImageSaveTest, AutomaticNameSetsTheFolderEvenWhenTheWriteFails) {
    // A plain file where the folder should be: nothing can be written there.
    std::filesystem::remove_all(paths_.documentsDir);
    { std::ofstream(paths_.documentsDir) << "x"; }
    const auto result = Save("JPG", "320x480");
    EXPECT_EQ(result.outcome, SaveOutcome::WriteFailed);
    EXPECT_EQ(statuses_.back(), "保存失败..");
    EXPECT_EQ(state_.lastSaveFolder, paths_.documentsDir.string() + kSeparator);
}

TEST_F(ImageSaveTest, UnreadableChoicesFailInsteadOfGuessing) {
    EXPECT_EQ(Save("TIFF", "320x480").outcome, SaveOutcome::UnknownFormat);
    EXPECT_EQ(Save("", "320x480").outcome, SaveOutcome::UnknownFormat);
    EXPECT_EQ(Save("PNG", "0x0").outcome, SaveOutcome::UnknownFormat);
    EXPECT_EQ(statuses_.back(), "保存失败..");
    EXPECT_TRUE(std::filesystem::is_empty(paths_.documentsDir));
    // GIF never uses the size, so it cannot trip over it.
    EXPECT_EQ(Save("GIF", "0x0").outcome, SaveOutcome::Saved);
}

// A full disk (a file-size limit) and a read-only documents folder, each in a
// child process of its own: every format fails with "保存失败..", and the
// picture saved earlier under the same name stays whole, with no part file
// beside it.
class ImageSaveFaultTest : public ImageSaveTest {
protected:
    void SetUp() override {
        for (const char* ext : {".jpg", ".bmp", ".png", ".gif"}) {
            std::ofstream(Documents(std::string("20100106-140509") + ext)) << "earlier picture";
        }
    }
    // Saves in every format; 0 when each failed as it should.
    int SaveEveryFormatFails() {
        for (auto format : kFormatListEntries) {
            const SaveResult result = Save(std::string(format), "320x480");
            if (result.outcome != SaveOutcome::WriteFailed) return 1;
            if (statuses_.back() != kStatusSaveFailed) return 2;
        }
        return 0;
    }
    void ExpectEarlierPicturesWhole() {
        int files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(paths_.documentsDir)) {
            ++files;
            std::ifstream in(entry.path());
            std::string text((std::istreambuf_iterator<char>(in)), {});
            EXPECT_EQ(text, "earlier picture") << entry.path();
        }
        EXPECT_EQ(files, 4);
    }
};

TEST_F(ImageSaveFaultTest, FullDiskLeavesTheEarlierPictureWhole) {
    const int code = test::RunInChild([&] {
        if (!test::LimitFileSize(2048)) return test::kFaultUnavailable;
        return SaveEveryFormatFails();
    });
    if (code == test::kFaultUnavailable) GTEST_SKIP() << "no file-size limit here";
    EXPECT_EQ(code, 0);
    ExpectEarlierPicturesWhole();
}

TEST_F(ImageSaveFaultTest, ReadOnlyDocumentsFolderLeavesTheEarlierPictureWhole) {
    const int code = test::RunInChild([&] {
        if (!test::MakeFolderReadOnly(paths_.documentsDir.string())) {
            return test::kFaultUnavailable;
        }
        return SaveEveryFormatFails();
    });
    if (code == test::kFaultUnavailable) GTEST_SKIP() << "no mount namespaces here";
    EXPECT_EQ(code, 0);
    ExpectEarlierPicturesWhole();
}

}  // namespace
}  // namespace nimbo
