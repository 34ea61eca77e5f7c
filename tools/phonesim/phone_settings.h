#pragma once
// How the phone behaves: set on the command line, changed by a running test
// through the control file, which is read again at every request.
#include <filesystem>
#include <optional>
#include <string>

namespace nimbo::phonesim {

enum class FramebufferMode {
    Legacy,       // 16-byte header, one trigger byte from the host, RGB565
    Version1,     // 52-byte header, RGBA8888, no trigger
    Version2,     // 56-byte header with colour space, RGBA8888, no trigger
    SplitHeader,  // legacy header sent in two pieces with a pause between
    ShortPixels,  // legacy header, then only part of the pixel block
    Refuse,       // the stream is closed right after it opens
};

enum class PackageLayout {
    Legacy,  // /data/app/<package>-1.apk
    Modern,  // /data/app/~~<random>==/<package>-<random>==/base.apk
};

struct PhoneSettings {
    // Empty: the install's real outcome. Otherwise the line every install prints.
    std::string forcedInstallOutcome;
    FramebufferMode framebuffer = FramebufferMode::Legacy;
    int screenWidth = 320;
    int screenHeight = 480;
    bool crlf = false;
    PackageLayout layout = PackageLayout::Legacy;
    // Advertises the "cmd" feature, so that adb streams its installs.
    bool modern = false;
    // How long the phone holds its answer, in milliseconds: to pm install (plain
    // or streamed), to pm list packages, and to each file a pull asks for. Only
    // the stream that asked waits; a host that closes it ends the wait.
    int installDelayMs = 0;
    int listDelayMs = 0;
    int pullDelayMs = 0;
    // How long a screenshot's pixel block waits after its header: a phone slow
    // to read its screen.
    int frameDelayMs = 0;
};

// Applies one "key=value" setting; returns an error text when it is not understood.
std::string ApplySetting(PhoneSettings& settings, const std::string& key, const std::string& value);

// Applies every line of a control text onto a copy of base. Lines that cannot
// be applied are reported through errors (one per line) and skipped.
PhoneSettings ParseControl(const std::string& text, const PhoneSettings& base, std::string* errors);

std::optional<FramebufferMode> FramebufferModeFromName(const std::string& name);

class PhoneControl {
public:
    PhoneControl(PhoneSettings base, std::filesystem::path controlFile)
        : base_(std::move(base)), controlFile_(std::move(controlFile)) {}
    // The base settings with the control file's current contents applied.
    PhoneSettings Current() const;
    const std::filesystem::path& controlFile() const { return controlFile_; }

private:
    PhoneSettings base_;
    std::filesystem::path controlFile_;
};

}  // namespace nimbo::phonesim
