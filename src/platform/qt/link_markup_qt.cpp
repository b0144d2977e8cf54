#include "platform/qt/link_markup_qt.h"

namespace zeltor {
namespace {

const QString kOpen = QStringLiteral("<a href=\"");
const QString kClose = QStringLiteral("</a>");

}  // namespace

QString linkMarkupToRichText(const QString& markup) {
    QString rich;
    qsizetype at = 0;
    while (at < markup.size()) {
        const qsizetype open = markup.indexOf(kOpen, at, Qt::CaseInsensitive);
        const qsizetype addressEnd =
            open < 0 ? -1 : markup.indexOf(QStringLiteral("\">"), open + kOpen.size());
        const qsizetype close =
            addressEnd < 0 ? -1 : markup.indexOf(kClose, addressEnd + 2, Qt::CaseInsensitive);
        if (close < 0) {
            rich += markup.mid(at).toHtmlEscaped();
            break;
        }
        rich += markup.mid(at, open - at).toHtmlEscaped();
        const QString address = markup.mid(open + kOpen.size(), addressEnd - open - kOpen.size());
        const QString text = markup.mid(addressEnd + 2, close - addressEnd - 2);
        rich += QStringLiteral("<a href=\"%1\">%2</a>")
                    .arg(address.toHtmlEscaped(), text.toHtmlEscaped());
        at = close + kClose.size();
    }
    return rich;
}

}  // namespace zeltor
