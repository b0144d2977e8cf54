#pragma once

#include <QString>

namespace zeltor {

// The status line's text as a label shows it. The controller writes it as link-control markup:
// plain text in which only <a href="..."> ... </a> means anything. Everything else is shown as
// written (a "<" or "&" of a translation is no markup), so the label gets rich text in which
// all but the anchors is escaped; an unterminated anchor is shown as plain text. The label is
// to show the result as rich text.
QString linkMarkupToRichText(const QString& markup);

}  // namespace zeltor
