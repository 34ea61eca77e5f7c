#include "phone_settings.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "log.h"

namespace nimbo::phonesim {
namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool ParseBool(const std::string& v, bool* out) {
    if (v == "1" || v == "on" || v == "true" || v == "yes") {
        *out = true;
        return true;
    }
    if (v == "0" || v == "off" || v == "false" || v == "no") {
        *out = false;
        return true;
    }
    return false;
}

// Screens larger than this are not phones; they would only exhaust memory.
constexpr int kMaxSide = 8192;

bool ParseSize(const std::string& v, int* w, int* h) {
    size_t x = v.find('x');
    if (x == std::string::npos) return false;
    char* end = nullptr;
    long width = std::strtol(v.c_str(), &end, 10);
    if (end != v.c_str() + x) return false;
    long height = std::strtol(v.c_str() + x + 1, &end, 10);
    if (*end != '\0' || end == v.c_str() + x + 1) return false;
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
    *w = static_cast<int>(width);
    *h = static_cast<int>(height);
    return true;
}

// An hour: longer is a typing error, not a slow phone.
constexpr long kMaxDelayMs = 60L * 60 * 1000;

bool ParseDelay(const std::string& v, int* ms) {
    if (v.empty() || v.find_first_not_of("0123456789") != std::string::npos) return false;
    if (v.size() > 9) return false;
    const long value = std::strtol(v.c_str(), nullptr, 10);
    if (value > kMaxDelayMs) return false;
    *ms = static_cast<int>(value);
    return true;
}

}  // namespace

std::optional<FramebufferMode> FramebufferModeFromName(const std::string& name) {
    if (name == "legacy" || name == "v0") return FramebufferMode::Legacy;
    if (name == "v1") return FramebufferMode::Version1;
    if (name == "v2") return FramebufferMode::Version2;
    if (name == "split") return FramebufferMode::SplitHeader;
    if (name == "short") return FramebufferMode::ShortPixels;
    if (name == "refuse") return FramebufferMode::Refuse;
    return std::nullopt;
}

std::string ApplySetting(PhoneSettings& s, const std::string& key, const std::string& value) {
    if (key == "install") {
        s.forcedInstallOutcome = value == "natural" ? std::string() : value;
        return {};
    }
    if (key == "framebuffer") {
        auto mode = FramebufferModeFromName(value);
        if (!mode) return "unknown framebuffer mode '" + value + "'";
        s.framebuffer = *mode;
        return {};
    }
    if (key == "size") {
        if (!ParseSize(value, &s.screenWidth, &s.screenHeight)) {
            return "screen size must be WIDTHxHEIGHT, each 1.." + std::to_string(kMaxSide);
        }
        return {};
    }
    if (key == "line_endings") {
        if (value == "lf") {
            s.crlf = false;
        } else if (value == "crlf") {
            s.crlf = true;
        } else {
            return "line_endings must be lf or crlf";
        }
        return {};
    }
    if (key == "layout") {
        if (value == "legacy") {
            s.layout = PackageLayout::Legacy;
        } else if (value == "modern") {
            s.layout = PackageLayout::Modern;
        } else {
            return "layout must be legacy or modern";
        }
        return {};
    }
    if (key == "modern") {
        if (!ParseBool(value, &s.modern)) return "modern must be on or off";
        return {};
    }
    for (auto [name, field] :
         {std::pair{"install_delay_ms", &s.installDelayMs},
          std::pair{"list_delay_ms", &s.listDelayMs}, std::pair{"pull_delay_ms", &s.pullDelayMs},
          std::pair{"frame_delay_ms", &s.frameDelayMs}}) {
        if (key != name) continue;
        if (!ParseDelay(value, field)) {
            return key + " must be a number of milliseconds, 0.." + std::to_string(kMaxDelayMs);
        }
        return {};
    }
    return "unknown setting '" + key + "'";
}

PhoneSettings ParseControl(const std::string& text, const PhoneSettings& base,
                           std::string* errors) {
    PhoneSettings s = base;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::string t = Trim(line);
        if (t.empty() || t[0] == '#') continue;
        size_t eq = t.find('=');
        std::string err = eq == std::string::npos
                              ? "expected key=value"
                              : ApplySetting(s, Trim(t.substr(0, eq)), Trim(t.substr(eq + 1)));
        if (!err.empty() && errors) *errors += "control line '" + t + "': " + err + "\n";
    }
    return s;
}

PhoneSettings PhoneControl::Current() const {
    if (controlFile_.empty()) return base_;
    std::ifstream in(controlFile_, std::ios::binary);
    if (!in) return base_;
    std::stringstream text;
    text << in.rdbuf();
    std::string errors;
    PhoneSettings s = ParseControl(text.str(), base_, &errors);
    if (!errors.empty()) Log(errors.substr(0, errors.size() - 1));
    return s;
}

}  // namespace nimbo::phonesim
