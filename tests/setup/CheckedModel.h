#pragma once
// A model under Qt's model tester together with a sorted view of it, the view also under the
// tester, for as long as the test runs.

#include <QAbstractItemModelTester>
#include <QSortFilterProxyModel>
#include <QStringList>

#include <memory>

namespace tvp {

struct CheckedModel {
    using Mode = QAbstractItemModelTester::FailureReportingMode;

    explicit CheckedModel(QAbstractItemModel& model) : source(&model, Mode::Fatal)
    {
        proxy.setSourceModel(&model);
        sorted = std::make_unique<QAbstractItemModelTester>(&proxy, Mode::Fatal);
    }
    // The texts of a column of the sorted view, below parent.
    QStringList column(int c, const QModelIndex& parent = {}) const
    {
        QStringList out;
        for (int r = 0; r < proxy.rowCount(parent); ++r)
            out << proxy.index(r, c, parent).data().toString();
        return out;
    }

    QAbstractItemModelTester source;
    QSortFilterProxyModel proxy;
    std::unique_ptr<QAbstractItemModelTester> sorted;
};

} // namespace tvp
