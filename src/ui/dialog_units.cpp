#include "ui/dialog_units.h"

namespace nimbo::ui {
namespace {

// Rounded a * b / c, as the window system's MulDiv.
int MulDiv(int a, int b, int c) {
    long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

}  // namespace

DialogUnits DialogUnits::FromFontMetrics(int alphabetWidth, int height) {
    DialogUnits u;
    u.baseX = (alphabetWidth / 26 + 1) / 2;
    u.baseY = height;
    if (u.baseX <= 0) u.baseX = 6;
    if (u.baseY <= 0) u.baseY = 12;
    return u;
}

int DialogUnits::X(int units) const {
    return MulDiv(units, baseX, 4);
}
int DialogUnits::Y(int units) const {
    return MulDiv(units, baseY, 8);
}

imaging::Rect DialogUnits::ToPixels(int x, int y, int cx, int cy) const {
    // Each value is converted on its own, as dialog creation does; the right
    // and bottom edges follow from the converted size.
    const int left = X(x);
    const int top = Y(y);
    return {left, top, left + X(cx), top + Y(cy)};
}

}  // namespace nimbo::ui
