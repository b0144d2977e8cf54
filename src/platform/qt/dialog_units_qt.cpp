#include "platform/qt/dialog_units_qt.h"

#include <QFontMetrics>

namespace zeltor {
namespace {

// Rounded to the nearest pixel, as the dialog manager's MulDiv does.
int scaled(int units, int base, int divisor) {
    const long long product = static_cast<long long>(units) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor
                                         : -((-product + half) / divisor));
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width of the 52 Latin letters, rounded, as the dialog manager measures it.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseWidth_ = (letters / 26 + 1) / 2;
    baseHeight_ = metrics.height();
}

int DialogUnits::toPixelsX(int units) const {
    return scaled(units, baseWidth_, 4);
}

int DialogUnits::toPixelsY(int units) const {
    return scaled(units, baseHeight_, 8);
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) const {
    return QRect(toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height));
}

QSize DialogUnits::toPixels(int width, int height) const {
    return QSize(toPixelsX(width), toPixelsY(height));
}

}  // namespace zeltor
