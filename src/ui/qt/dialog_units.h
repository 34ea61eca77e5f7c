#pragma once
// Dialog units: x units are a quarter of the font's average character width,
// y units an eighth of its height.
#include <QFont>
#include <QRect>

namespace nimbo::ui {

struct DialogUnits {
    int baseX = 6;
    int baseY = 12;

    static DialogUnits FromFont(const QFont& font);
    QRect ToPixels(int x, int y, int cx, int cy) const;
    int X(int units) const;
    int Y(int units) const;
};

}  // namespace nimbo::ui
