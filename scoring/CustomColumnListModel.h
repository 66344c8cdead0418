#pragma once
// The custom columns of one cup and item kind, in the server's order: renamed in place and dragged
// onto one another to reorder them. An edit is only proposed: whoever shows the list decides
// whether it is taken (rename).

#include "core/protocol/ScoringRecords.h"

#include <QAbstractListModel>

#include <vector>

namespace tvp {

class TCustomColumnListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kIdRole = Qt::UserRole;
    static constexpr int kOrderRole = Qt::UserRole + 1;

    // The drag's source name (windowDragData) that a drop onto a row takes.
    explicit TCustomColumnListModel(QString dragSource, QObject* parent = nullptr)
        : QAbstractListModel(parent), dragSource_(std::move(dragSource))
    {
    }

    void setColumns(const std::vector<proto::CustomColumnType>& columns);
    // A row for a column not yet stored (id 0); its index.
    QModelIndex appendNew(const QString& name);
    void rename(int row, const QString& name);
    void clear() { setColumns({}); }
    // Null outside the range.
    const proto::CustomColumnType* column(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Writes nothing: emits edited with the text as typed.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }

signals:
    void edited(int row, const QString& text);

private:
    QString dragSource_;
    std::vector<proto::CustomColumnType> columns_;
};

} // namespace tvp
