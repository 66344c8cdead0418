#pragma once
// The wizard's lists as models: the competition types, the age classes the user ticks, and the
// templates available and chosen on a tab. Each row is a name; the age classes carry a tick.

#include <QAbstractListModel>
#include <QStringList>

#include <vector>

namespace tvp {

class TNameListModel : public QAbstractListModel {
public:
    explicit TNameListModel(bool checkable, QObject* parent = nullptr);

    // Replaces every row; ticked applies to all of them.
    void setNames(const QStringList& names, bool ticked = false);
    void append(const QString& name, bool ticked);
    void clear() { setNames({}); }
    QStringList names() const;
    bool isTicked(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        QString name;
        bool ticked = false;
    };
    bool checkable_;
    std::vector<Row> rows_;
};

} // namespace tvp
