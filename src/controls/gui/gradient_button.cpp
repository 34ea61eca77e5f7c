#include "controls/gui/gradient_button.h"

using nimbo::DrawGradientFace;
namespace platform = nimbo::platform;

int CGradientButton::DrawBackground(platform::Canvas& dc, const platform::Rect& rect) {
    DrawGradientFace(dc, rect, CurrentState(),
                     [this](platform::Canvas& off) { PaintParentSnapshot(off); });
    return 0;
}
