#pragma once
// The base of a window's large lists: the records it loaded, one row each, and its columns as
// functions of a record. Sort it through TSortedListModel, export and print it as any model.
//
//   TRecordListModel<proto::ClubType> clubs({
//       {QStringLiteral("Name"), [](const proto::ClubType& c) { return c.Name; }},
//       {QStringLiteral("Bemerkung"), [](const proto::ClubType& c) { return c.Comment; }},
//   });
//   clubs.setRecords(std::move(response.clubs));

#include "core/lists/ListCells.h"
#include "core/lists/WindowDrag.h"

#include <QAbstractTableModel>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

namespace tvp {

template <class Record>
class TRecordListModel : public QAbstractTableModel {
public:
    struct Column {
        QString caption;
        std::function<QString(const Record&)> text;
        // The name in written files, where it differs from the caption (kFileColumnNameRole).
        QString fileName = {};
    };

    explicit TRecordListModel(std::vector<Column> columns, QObject* parent = nullptr)
        : QAbstractTableModel(parent), columns_(std::move(columns))
    {
    }

    // ---- the records ----

    void setRecords(std::vector<Record> records)
    {
        beginResetModel();
        records_ = std::move(records);
        endResetModel();
    }
    const std::vector<Record>& records() const { return records_; }
    // The record of a row of this model (not of a sorting proxy above it).
    const Record& record(int row) const { return records_.at(std::size_t(row)); }

    void append(Record record)
    {
        const int row = int(records_.size());
        beginInsertRows({}, row, row);
        records_.push_back(std::move(record));
        endInsertRows();
    }
    void replace(int row, Record record)
    {
        records_.at(std::size_t(row)) = std::move(record);
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
    void removeRecord(int row)
    {
        beginRemoveRows({}, row, row);
        records_.erase(records_.begin() + row);
        endRemoveRows();
    }
    // The first row whose record matches, -1 when none does.
    template <class Predicate>
    int findRow(Predicate matches) const
    {
        for (std::size_t i = 0; i < records_.size(); ++i)
            if (matches(records_[i]))
                return int(i);
        return -1;
    }

    // Makes the rows a drag source naming the list (see windowDragData); empty: not dragged.
    void setDragSource(QString name) { dragSource_ = std::move(name); }
    const QString& dragSource() const { return dragSource_; }

    // ---- QAbstractItemModel ----

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(records_.size()); }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(columns_.size());
    }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
            role != Qt::DisplayRole)
            return {};
        return columns_[std::size_t(index.column())].text(records_[std::size_t(index.row())]);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
            return {};
        const Column& column = columns_[std::size_t(section)];
        if (role == kFileColumnNameRole && !column.fileName.isEmpty())
            return column.fileName;
        return role == Qt::DisplayRole ? QVariant(column.caption) : QVariant();
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        const Qt::ItemFlags f = QAbstractTableModel::flags(index);
        return index.isValid() && !dragSource_.isEmpty() ? f | Qt::ItemIsDragEnabled : f;
    }
    QStringList mimeTypes() const override { return {kWindowDragMime}; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override
    {
        return dragSource_.isEmpty() || indexes.isEmpty() ? nullptr : windowDragData(dragSource_);
    }

private:
    QString dragSource_;
    std::vector<Column> columns_;
    std::vector<Record> records_;
};

} // namespace tvp
