#include "platform/qt/dialog_font_qt.h"

#include <QFontDatabase>

namespace zeltor {

QFont dialogFont() {
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

Qt::WindowFlags dialogWindowFlags() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}

}  // namespace zeltor
