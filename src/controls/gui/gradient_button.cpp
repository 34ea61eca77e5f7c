#include "controls/gui/gradient_button.h"

namespace nimbo {

int CGradientButton::DrawBackground(platform::Canvas& dc, const platform::Rect& rect) {
    DrawGradientFace(dc, rect, CurrentState(),
                     [this](platform::Canvas& off) { PaintParentSnapshot(off); });
    return 0;
}

}  // namespace nimbo
