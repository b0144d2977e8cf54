#include "platform/qt/dialog_font_qt.h"

#include <QFontDatabase>
#include <QStringList>
#include <cstdint>

#include "ui/product_text.h"

namespace zeltor {
namespace {

// The font family that draws the texts of a Chinese, Japanese or Korean language id, or null.
// These languages get a dialog font of their own, as on Windows, whose dialog font differs by
// language: a Latin font with CJK glyphs borrowed from elsewhere has lines taller than its
// own metrics, and the dialog units taken from it would clip them.
const char* cjkFamily(std::uint16_t language) {
    switch (language & 0x3FF) {
        case 0x11:
            return "Noto Sans CJK JP";
        case 0x12:
            return "Noto Sans CJK KR";
        case 0x04:
            switch (language) {
                case 0x0804:
                case 0x1004:
                    return "Noto Sans CJK SC";
                case 0x0C04:
                    return "Noto Sans CJK HK";
                default:
                    return "Noto Sans CJK TC";
            }
        default:
            return nullptr;
    }
}

}  // namespace

QFont dialogFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const char* family = cjkFamily(threadLanguageId());
    if (family != nullptr && QFontDatabase::hasFamily(QString::fromLatin1(family))) {
        font.setFamilies(QStringList{QString::fromLatin1(family), font.family()});
    }
    return font;
}

Qt::WindowFlags dialogWindowFlags() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint;
}

}  // namespace zeltor
