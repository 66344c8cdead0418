#pragma once
// The results of the data view as one self-contained HTML page: the stylesheet inline, title,
// date and place of the competition, a two-row head that groups the result columns by discipline
// or overall scoring, one table row per list row in its order, and a footer.

#include <QByteArray>
#include <QDate>
#include <QString>

#include <optional>

namespace tvp {

class TDataViewModel;

struct THtmlPageInput {
    QString stylesheet; // one line, as getResultListCSSContent gives it
    QString compilationName;
    QString competitionName;
    std::optional<QDate> competitionDate;
    QString location;
    int additionalColsStartIndex = 0; // the columns from here on are not published
    QDate today;
};

// "<", ">", "&" and the double quote as named entities, the backslash and U+00A0..U+00FF as
// numeric references; the rest stays as it is (written as UTF-8).
QString htmlEscape(const QString& text);

// The compilation name without any "Urkunden/" (letter case ignored): the page title and file name.
QString htmlPublicationName(const QString& compilationName);

// The stylesheet's lines, each trimmed, joined without separator; nullopt when it cannot be read.
std::optional<QString> readResultListCss(const QString& path);

// The page in UTF-8, one line. The rows are read in the model's order.
QByteArray generateHTML(const TDataViewModel& model, const THtmlPageInput& input);

} // namespace tvp
