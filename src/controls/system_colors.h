#pragma once
// The system colours the skinned controls are drawn in. The widgets read them
// from the toolkit's palette; drawing code takes them as plain values so that
// every pixel can be checked without a window system.
#include "platform/canvas.h"

namespace nimbo {

struct SystemColors {
    platform::Color buttonFace{236, 233, 216};
    platform::Color buttonText{0, 0, 0};
    platform::Color buttonShadow{172, 168, 153};
    platform::Color buttonHighlight{255, 255, 255};
    platform::Color windowText{0, 0, 0};
};

}  // namespace nimbo
