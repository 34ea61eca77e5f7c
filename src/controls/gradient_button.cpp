#include "controls/gradient_button.h"

using nimbo::DrawGradientFace;
namespace imaging = nimbo::imaging;

int CGradientButton::DrawBackground(imaging::Canvas& dc, const imaging::Rect& rect) {
    DrawGradientFace(dc, rect, CurrentState(),
                     [this](imaging::Canvas& off) { PaintParentSnapshot(off); });
    return 0;
}
