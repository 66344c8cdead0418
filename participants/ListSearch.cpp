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

void TSearchResultModel::setColumns(const QStringList& captions)
{
    beginResetModel();
    captions_ = captions;
    results_.clear();
    endResetModel();
}

void TSearchResultModel::search(const std::vector<const QAbstractItemModel*>& lists, const QStringList& words,
                                const std::vector<int>& columns, int perList)
{
    std::vector<TResult> found;
    if (!words.isEmpty())
        for (std::size_t list = 0; list < lists.size(); ++list) {
            const QAbstractItemModel* model = lists[list];
            if (!model)
                continue;
            int taken = 0;
            for (int row = 0; row < model->rowCount() && taken < perList; ++row) {
                if (!rowMatches(*model, row, words, columns))
                    continue;
                TResult result{int(list), QPersistentModelIndex(model->index(row, 0)), {}};
                for (int c = 0; c < model->columnCount(); ++c)
                    result.texts << cellText(*model, row, c);
                found.push_back(std::move(result));
                ++taken;
            }
        }
    beginResetModel();
    results_ = std::move(found);
    endResetModel();
}

void TSearchResultModel::clear()
{
    if (results_.empty())
        return;
    beginResetModel();
    results_.clear();
    endResetModel();
}

const TSearchResultModel::TResult* TSearchResultModel::result(int row) const
{
    return row >= 0 && row < int(results_.size()) ? &results_[std::size_t(row)] : nullptr;
}

int TSearchResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(results_.size());
}

int TSearchResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(captions_.size());
}

QVariant TSearchResultModel::data(const QModelIndex& index, int role) const
{
    const TResult* found = index.isValid() ? result(index.row()) : nullptr;
    if (!found || role != Qt::DisplayRole)
        return {};
    return found->texts.value(index.column());
}

QVariant TSearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= captions_.size())
        return {};
    return captions_[section];
}

} // namespace tvp
