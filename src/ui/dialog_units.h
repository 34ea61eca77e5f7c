#pragma once
// Dialog units: x units are a quarter of the dialog font's average character
// width, y units an eighth of its height.
#include "imaging/canvas.h"

namespace nimbo::ui {

struct DialogUnits {
    int baseX = 6;
    int baseY = 12;

    // From the font's width of "A".."Z" "a".."z" and its height.
    static DialogUnits FromFontMetrics(int alphabetWidth, int height);
    imaging::Rect ToPixels(int x, int y, int cx, int cy) const;
    int X(int units) const;
    int Y(int units) const;
};

}  // namespace nimbo::ui
