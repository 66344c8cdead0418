#include "participants/ListSearch.h"

#include "core/lists/ListCells.h"

#include <QAbstractItemModel>

namespace tvp {

QStringList searchWords(const QString& text)
{
    QStringList words;
    QString word;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (c.isSpace() && !quoted) {
            if (!word.isEmpty())
                words << word.toUpper();
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.isEmpty())
        words << word.toUpper();
    return words;
}

bool rowMatches(const QAbstractItemModel& model, int row, const QStringList& words, const std::vector<int>& columns)
{
    for (const QString& word : words) {
        bool found = false;
        for (int column : columns) {
            if (column < 0 || column >= model.columnCount() || !hasCell(model, row, column))
                break;
            if (cellText(model, row, column).toUpper().contains(word)) {
                found = true;
                break;
            }
        }
        if (!found)
            return false;
    }
    return true;
}

} // namespace tvp
