#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace zeltor {

// Dialog units in pixels of one font, computed the way the Windows dialog manager does: a
// horizontal unit is a quarter of the font's average character width, a vertical unit an
// eighth of its height. A layout in these units keeps its proportions at any font size and
// scale factor, as the product's templates do on Windows.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int baseWidth() const { return baseWidth_; }
    int baseHeight() const { return baseHeight_; }
    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    QRect toPixels(int x, int y, int width, int height) const;
    QSize toPixels(int width, int height) const;

private:
    int baseWidth_;
    int baseHeight_;
};

}  // namespace zeltor
