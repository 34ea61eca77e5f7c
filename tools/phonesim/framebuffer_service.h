#pragma once
// The framebuffer service and the test picture it serves.
#include <cstdint>
#include <string>

#include "phone_settings.h"

namespace nimbo::phonesim {

class Stream;

struct Rgb {
    uint8_t r, g, b;
};

// The phone's screen: a horizontal red ramp, a vertical green ramp and a
// blue checkerboard of 32-pixel squares, so that every row and column differs.
Rgb TestPicturePixel(int x, int y, int width, int height);

// The screen as the legacy service sends it: RGB565 little-endian, row by row.
std::string TestPictureRgb565(int width, int height);
// As the versioned services send it: R, G, B, A bytes per pixel.
std::string TestPictureRgba8888(int width, int height);

// The header that precedes the pixels in the given mode.
std::string FramebufferHeader(FramebufferMode mode, int width, int height);

// control: read again for frame_delay_ms, which holds the pixel block.
void ServeFramebuffer(Stream& stream, const PhoneSettings& settings, const PhoneControl& control);

}  // namespace nimbo::phonesim
