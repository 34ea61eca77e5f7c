#pragma once
// The flat combo box's frame: an outer frame that is invisible when flat and
// sunken when hot, and a drop-down button that is flat, raised or pressed.
#include "imaging/canvas.h"

namespace nimbo {

enum class ComboFrameState { Flat = 1, Hot = 2, Pressed = 3 };

struct ComboColors {
    imaging::Color highlight;
    imaging::Color shadow;
    imaging::Color face;
};

// The outer frame's colours that go with each state: face on face when flat,
// shadow over highlight (sunken) when hot or pressed.
struct FramePair {
    imaging::Color topLeft, bottomRight;
};
FramePair ComboFramePair(ComboFrameState state, const ComboColors& colors);

// Paints the frame on the control's client rectangle. thumbWidth is the width
// of the drop-down button area. A disabled control gets the outer frame, a
// highlight-coloured second frame and the face-coloured button outline only.
void DrawComboFrame(imaging::Canvas& dc, const imaging::Rect& client, ComboFrameState state,
                    imaging::Color topLeft, imaging::Color bottomRight, const ComboColors& colors,
                    bool enabled, int thumbWidth);

}  // namespace nimbo
