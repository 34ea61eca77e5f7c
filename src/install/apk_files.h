#pragma once
// What the APK path field may hold and how an install reads it: one file
// (an .apk, or a split app's .apks bundle), or several .apk files of one
// split app chosen together. The field shows one path as it is and several
// each in double quotes, separated by a blank, as file choosers show a
// multiple choice:
//   /home/u/app.apk
//   "/home/u/base.apk" "/home/u/split_config.xxhdpi.apk"
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbo {

// True for NAME.apk, NAME.apks (any case).
bool IsApkFile(std::string_view path);
bool IsApkBundle(std::string_view path);

// The field's text for these paths; nullopt when they cannot be shown so
// that ParseApkPathField gives them back (a path holding a double quote
// among several).
std::optional<std::string> FormatApkPathField(const std::vector<std::string>& paths);
// The paths the field names; empty for an empty field.
std::vector<std::string> ParseApkPathField(std::string_view field);

// Whether these paths may go into the field, by the rules of the file
// chooser: one existing .apk or .apks, or several existing .apk files.
bool AcceptableApkChoice(const std::vector<std::string>& paths);

// A bundle's parts, extracted for `adb install-multiple`.
struct ExtractedBundle {
    std::filesystem::path folder;    // removed by RemoveExtractedBundle
    std::vector<std::string> parts;  // base.apk first when it is there
};

enum class BundleError {
    NotABundle,   // not a zip, or holds no .apk
    CannotWrite,  // the temporary folder or a part could not be written
};

// Extracts every .apk entry of the bundle (by its plain name; folders inside
// the bundle are dropped) into a new folder under `scratch`.
std::optional<ExtractedBundle> ExtractBundle(const std::filesystem::path& bundle,
                                             const std::filesystem::path& scratch,
                                             BundleError* error = nullptr);
void RemoveExtractedBundle(const ExtractedBundle& bundle);

}  // namespace nimbo
