#pragma once
// What a tooltip shows: Qt renders a tooltip as rich text whenever it looks like markup.

#include <QString>
#include <QTextDocument>

namespace tvp::test {

inline QString shownText(const QString& tip)
{
    QTextDocument shown;
    if (Qt::mightBeRichText(tip))
        shown.setHtml(tip);
    else
        shown.setPlainText(tip);
    return shown.toPlainText();
}

} // namespace tvp::test
