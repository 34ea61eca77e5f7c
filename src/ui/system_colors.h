#pragma once
// The system colours the skinned controls are drawn in. The kit reads them
// from the window system; drawing code takes them as plain values so that
// every pixel can be checked without a window system.
#include "imaging/canvas.h"

namespace nimbo::ui {

struct SystemColors {
    imaging::Color buttonFace{236, 233, 216};
    imaging::Color buttonText{0, 0, 0};
    imaging::Color buttonShadow{172, 168, 153};
    imaging::Color buttonHighlight{255, 255, 255};
    imaging::Color windowText{0, 0, 0};
};

}  // namespace nimbo::ui
