#pragma once
// The matching of the list search: the typed words against the searched columns of a list's rows,
// and the rows found.

#include <QAbstractTableModel>
#include <QPersistentModelIndex>
#include <QStringList>

#include <vector>

namespace tvp {

// The words of a search text, split at blanks; a part in double quotes may hold blanks. Upper
// case, as they are compared.
QStringList searchWords(const QString& text);

// True when every word occurs, ignoring case, in at least one of the columns of the row (0 is the
// first column). A column the row has no cell for ends the search for that word in that row.
bool rowMatches(const QAbstractItemModel& model, int row, const QStringList& words, const std::vector<int>& columns);

// The rows found, with the texts of all their columns, each remembering its list and its row
// there (followed through the list's sorting).
class TSearchResultModel : public QAbstractTableModel {
public:
    struct TResult {
        int list = -1;
        QPersistentModelIndex source;
        QStringList texts;
    };

    using QAbstractTableModel::QAbstractTableModel;

    // The column captions, taken from the (first) list searched; the results are dropped.
    void setColumns(const QStringList& captions);
    // Searches the lists in order, at most perList rows of each; a null list is passed over.
    void search(const std::vector<const QAbstractItemModel*>& lists, const QStringList& words,
                const std::vector<int>& columns, int perList);
    void clear();
    // Null outside the results.
    const TResult* result(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList captions_;
    std::vector<TResult> results_;
};

} // namespace tvp
