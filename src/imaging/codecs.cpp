// The encoder list and saving a picture to a file through one of them.
#include <cstdio>
#include <memory>
#include <string>

#include "imaging/bitmap.h"
#include "imaging/encoders.h"
#include "platform/files.h"
#include "platform/process.h"

namespace nimbo::imaging {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};

Result<int, SaveError> QualityOf(const EncoderParameters& parameters) {
    int quality = 75;
    for (const auto& p : parameters) {
        if (p.guid != kEncoderQuality) continue;
        if (p.type != EncoderParameterValueType::Long || p.values.size() != 1 || p.values[0] < 0 ||
            p.values[0] > 100) {
            return Err{SaveError::InvalidParameter};
        }
        quality = static_cast<int>(p.values[0]);
    }
    return quality;
}

}  // namespace

const std::vector<ImageCodecInfo>& ImageEncoders() {
    static const std::vector<ImageCodecInfo> encoders = {
        {EncoderId::Bmp, "BMP", "*.BMP;*.DIB;*.RLE", "image/bmp"},
        {EncoderId::Jpeg, "JPEG", "*.JPG;*.JPEG;*.JPE;*.JFIF", "image/jpeg"},
        {EncoderId::Gif, "GIF", "*.GIF", "image/gif"},
        {EncoderId::Png, "PNG", "*.PNG", "image/png"},
    };
    return encoders;
}

std::string_view SaveErrorText(SaveError error) {
    switch (error) {
        case SaveError::InvalidParameter:
            return "invalid encoder parameter";
        case SaveError::TooLarge:
            return "picture too large for the format";
        case SaveError::OpenFailed:
            return "cannot create the file";
        case SaveError::WriteFailed:
            return "writing the file failed";
    }
    return "unknown";
}

Result<Saved, SaveError> SaveImageToFile(const Bitmap& image, const std::string& path,
                                         EncoderId encoder, const EncoderParameters& parameters) {
    // Only the JPEG encoder reads the quality; the others ignore the parameter.
    const auto quality =
        encoder == EncoderId::Jpeg ? QualityOf(parameters) : Result<int, SaveError>(0);
    if (!quality) return Err{quality.error()};
    if (path.empty()) return Err{SaveError::OpenFailed};

    // Written beside the target and renamed over it at the end, so a failed save
    // neither leaves a broken file nor destroys the one it would have replaced.
    // The process id in the name keeps two copies of the program that save to
    // the same path from writing into one partial file.
    const std::string partial = path + ".part" + std::to_string(platform::CurrentProcessId());
    std::unique_ptr<std::FILE, FileCloser> out(platform::OpenFile(partial, "wb"));
    if (!out) return Err{SaveError::OpenFailed};
    std::setvbuf(out.get(), nullptr, _IOFBF, 1 << 20);

    Result<Saved, SaveError> written = Err{SaveError::WriteFailed};
    switch (encoder) {
        case EncoderId::Bmp:
            written = encoders::WriteBmp(image, out.get());
            break;
        case EncoderId::Jpeg:
            written = encoders::WriteJpeg(image, out.get(), quality.value());
            break;
        case EncoderId::Png:
            written = encoders::WritePng(image, out.get());
            break;
        case EncoderId::Gif:
            written = encoders::WriteGif(image, out.get());
            break;
    }
    const bool flushed = std::fflush(out.get()) == 0 && !std::ferror(out.get());
    const bool closed = std::fclose(out.release()) == 0;
    if (written && !(flushed && closed)) written = Err{SaveError::WriteFailed};
    if (written && !platform::MoveFileOver(partial, path)) {
        written = Err{SaveError::WriteFailed};
    }
    if (!written) platform::RemoveFile(partial);
    return written;
}

}  // namespace nimbo::imaging
