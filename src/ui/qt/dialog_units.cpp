#include "ui/qt/dialog_units.h"

#include <QFontMetrics>

namespace nimbo::ui {
namespace {

// Rounded a * b / c, as the platform's MulDiv.
int MulDiv(int a, int b, int c) {
    long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

}  // namespace

DialogUnits DialogUnits::FromFont(const QFont& font) {
    QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits u;
    u.baseX = (width / 26 + 1) / 2;
    u.baseY = fm.height();
    if (u.baseX <= 0) u.baseX = 6;
    if (u.baseY <= 0) u.baseY = 12;
    return u;
}

int DialogUnits::X(int units) const { return MulDiv(units, baseX, 4); }
int DialogUnits::Y(int units) const { return MulDiv(units, baseY, 8); }

QRect DialogUnits::ToPixels(int x, int y, int cx, int cy) const {
    // Each value is converted on its own, as dialog creation does.
    return QRect(X(x), Y(y), X(cx), Y(cy));
}

}  // namespace nimbo::ui
