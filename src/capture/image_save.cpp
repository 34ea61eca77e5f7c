#include "capture/image_save.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "capture/resolution_sizes.h"
#include "imaging/octree_quantizer.h"
#include "platform/utf8_path.h"

namespace nimbo {
namespace {

using imaging::Bitmap;

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The list texts are plain ASCII: only ASCII letters fold, whatever the
// locale, and every other byte must be equal as it is.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

imaging::PropertyItem ModelProperty() {
    imaging::PropertyItem item;
    item.tag = imaging::kPropertyTagEquipModel;
    item.type = imaging::kPropertyTagTypeAscii;
    const std::string_view text = kEquipModelText;
    item.value.assign(text.begin(), text.end());
    item.value.push_back(0);
    return item;
}

SaveResult Finish(SaveOutcome outcome, std::string path, bool gif,
                  const std::function<void(const std::string&)>& setStatus) {
    SaveResult result;
    result.outcome = outcome;
    result.path = std::move(path);
    if (outcome != SaveOutcome::Saved) {
        result.statusText = kStatusSaveFailed;
    } else {
        result.statusText = gif ? kStatusSavedGifFullSize : kStatusSaved;
    }
    if (setStatus) setStatus(result.statusText);
    return result;
}

}  // namespace

const std::array<ImageFormat, 4>& ImageFormats() {
    static const std::array<ImageFormat, 4> formats = {{
        {"BMP", "image/bmp", 0, ".bmp", {"位图文件 (*.bmp)", "*.bmp"}},
        {"JPG", "image/jpeg", 1, ".jpg", {"JPEG文件 (*.jpg)", "*.jpg"}},
        {"PNG", "image/png", 2, ".png", {"PNG文件 (*.png)", "*.png"}},
        {"GIF", "image/gif", 3, ".gif", {"GIF文件 (*.gif)", "*.gif"}},
    }};
    return formats;
}

const ImageFormat& ImageFormatOfType(int typeCode) {
    const auto& formats = ImageFormats();
    return typeCode >= 0 && typeCode < static_cast<int>(formats.size()) ? formats[typeCode]
                                                                        : formats[0];
}

const ImageFormat* ImageFormatOfText(std::string_view text) {
    for (const auto& format : ImageFormats()) {
        if (EqualIgnoringAsciiCase(text, format.listText)) return &format;
    }
    return nullptr;
}

// The system's folder separator; a chosen path may use either on Windows.
constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
constexpr const char* kSeparators = kSeparator == '/' ? "/" : "/\\";

std::string BuildSavePath(bool autoName, int typeCode, SaveContext& context) {
    const ImageFormat& format = ImageFormatOfType(typeCode);
    std::string folder = platform::Utf8FromPath(context.paths.documentsDir);
    if (folder.empty() || folder.back() != kSeparator) folder += kSeparator;
    if (autoName) {
        // A fresh account may have no documents folder yet: make it rather than
        // fail the save.
        std::error_code ec;
        std::filesystem::create_directories(context.paths.documentsDir, ec);
        context.state.lastSaveFolder = folder;
        const platform::LocalTime t = context.clock.Now();
        char name[64];
        std::snprintf(name, sizeof name, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);
        return folder + name + std::string(format.extension);
    }
    const auto chosen = context.dialogs.SaveFile("", {format.filter}, 0, "", "");
    if (!chosen || chosen->empty()) return {};
    const std::size_t slash = chosen->find_last_of(kSeparators);
    if (slash == std::string::npos) {
        context.state.lastSaveFolder.clear();
    } else {
        // A file straight in the root keeps "/" as its folder rather than nothing.
        context.state.lastSaveFolder = slash == 0 ? chosen->substr(0, 1) : chosen->substr(0, slash);
    }
    return *chosen;
}

int FindEncoderForMime(std::string_view mimeType, imaging::EncoderId& classId) {
    const auto& encoders = imaging::ImageEncoders();
    for (std::size_t i = 0; i < encoders.size(); ++i) {
        if (encoders[i].mimeType == mimeType) {
            classId = encoders[i].classId;
            return static_cast<int>(i);
        }
    }
    return -1;
}

SaveResult SaveScreenshot(const SaveRequest& request, SaveContext& context,
                          const std::function<void(const std::string&)>& setStatus) {
    if (setStatus) setStatus(kStatusSaving);
    const Bitmap* captured = request.capturedImage;
    if (!captured) return Finish(SaveOutcome::NoPicture, {}, false, setStatus);

    const ImageFormat* format = ImageFormatOfText(request.formatText);
    if (!format) return Finish(SaveOutcome::UnknownFormat, {}, false, setStatus);
    const bool gif = format->typeCode == 3;
    const long quality = std::atol(request.qualityText.c_str());
    // With no size chosen (the list is empty after a failed refresh) the picture
    // keeps its own size; GIF always does.
    TargetSize target{captured->Width(), captured->Height()};
    if (request.sizeText && !gif) {
        const auto parsed = ParseResolutionEntry(*request.sizeText);
        if (!parsed) return Finish(SaveOutcome::UnknownFormat, {}, gif, setStatus);
        target = *parsed;
    }

    // GIF holds at most 256 colours and is always written at full size.
    std::optional<Bitmap> saveImage =
        gif ? imaging::OctreeQuantizer().Quantize(*captured, 256)
            : captured->CloneArea(0, 0, captured->Width(), captured->Height());
    if (!saveImage) return Finish(SaveOutcome::NoMemory, {}, gif, setStatus);

    const imaging::EncoderParameters parameters = {{std::string(imaging::kEncoderQuality),
                                                    imaging::EncoderParameterValueType::Long,
                                                    {quality}}};
    imaging::EncoderId encoder{};
    if (FindEncoderForMime(format->mimeType, encoder) < 0) {
        return Finish(SaveOutcome::NoEncoder, {}, gif, setStatus);
    }
    std::string path = BuildSavePath(request.autoName, format->typeCode, context);
    if (path.empty()) return Finish(SaveOutcome::NoPath, {}, gif, setStatus);

    // At its own size the copy is written as it is; the encoders widen its rows.
    std::optional<Bitmap> scaledImage;
    Bitmap* written = &*saveImage;
    if (!gif && (target.width != saveImage->Width() || target.height != saveImage->Height())) {
        scaledImage = saveImage->Thumbnail(target.width, target.height);
        if (!scaledImage) return Finish(SaveOutcome::NoMemory, path, gif, setStatus);
        written = &*scaledImage;
    }
    written->SetPropertyItem(ModelProperty());
    const auto saved = imaging::SaveImageToFile(*written, path, encoder, parameters);
    return Finish(saved ? SaveOutcome::Saved : SaveOutcome::WriteFailed, path, gif, setStatus);
}

}  // namespace nimbo
