#pragma once
// Saving the screenshot window's picture: format, size and quality as the
// window's lists show them, the file named from the date and time or through the
// save dialog, GIF at full size through the octree quantiser.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "capture/capture_state.h"
#include "imaging/bitmap.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "ui/dialogs.h"

namespace nimbo {

inline constexpr char kStatusSaving[] = "正在保存..";
inline constexpr char kStatusSaveFailed[] = "保存失败..";
inline constexpr char kStatusSaved[] = "保存完成!";
inline constexpr char kStatusSavedGifFullSize[] = "保存完成,GIF不支持缩放";
// Written into every saved picture as its equipment model.
inline constexpr char kEquipModelText[] = "quillet 2.3";

// The window's lists, in the order they offer their entries.
inline constexpr std::array<std::string_view, 4> kFormatListEntries = {"JPG", "BMP", "PNG", "GIF"};
inline constexpr std::array<std::string_view, 4> kQualityListEntries = {"100", "90", "80", "70"};

struct ImageFormat {
    std::string_view listText;  // compared without regard to case
    std::string_view mimeType;
    int typeCode;
    std::string_view extension;
    ui::FileFilter filter;
};
// In the order the format text is tried: BMP, JPG, PNG, GIF (type codes 0 to 3).
const std::array<ImageFormat, 4>& ImageFormats();
// The row of a type code; a code outside the table gives the BMP row.
const ImageFormat& ImageFormatOfType(int typeCode);
// The row whose list text matches, ignoring case.
const ImageFormat* ImageFormatOfText(std::string_view text);

// What a save uses, and the state it leaves the folder of the save in.
struct SaveContext {
    ui::Dialogs& dialogs;
    platform::Clock& clock;
    const platform::Paths& paths;
    CaptureState& state;
};

// The path to save to, empty when the save dialog was cancelled. With autoName
// the file is named after the local date and time in the documents folder.
// Updates state.lastSaveFolder as it goes.
std::string BuildSavePath(bool autoName, int typeCode, SaveContext& context);

// The index of the first encoder whose MIME type is exactly mimeType, its id in
// classId; -1 when there is none.
int FindEncoderForMime(std::string_view mimeType, imaging::EncoderId& classId);

// What the window's controls show when its save button is pressed.
struct SaveRequest {
    const imaging::Bitmap* capturedImage = nullptr;  // null before the first capture
    std::string formatText;                          // the format list, e.g. "JPG"
    std::optional<std::string> sizeText;             // the size chosen; none: own size
    std::string qualityText;                         // the quality list, e.g. "100"
    bool autoName = true;                            // the automatic-name check box
};

enum class SaveOutcome {
    Saved,
    NoPicture,
    NoMemory,       // the copy or the quantised picture could not be made
    UnknownFormat,  // the format or size text names nothing we can write
    NoEncoder,
    NoPath,  // the save dialog was cancelled
    WriteFailed,
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::WriteFailed;
    std::string statusText;  // what the status line shows at the end
    std::string path;        // the file written or attempted, if any
};

// The save button's work. setStatus, when given, receives "正在保存.." first and
// the final status text last.
SaveResult SaveScreenshot(const SaveRequest& request, SaveContext& context,
                          const std::function<void(const std::string&)>& setStatus = {});

}  // namespace nimbo
