// Names cut to a narrow list, as the program paints them: every row reads apart from the others,
// wherever in its name the character stands that tells it from the others, the last one included.

#include "core/ui/WindowFit.h"
#include "tests/support/TestUtil.h"
#include "tests/support/TextFit.h"

#include <QHash>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace tvp;

TEST(CutNames, RowsReadApartWhereverTheirNamesPart)
{
    installCutTextAids();
    const QString club = QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg ");
    QStringList names;
    for (int n = 1; n <= 30; ++n)
        names << QStringLiteral("Riege U10 Überlingen-Seeufer (%1)").arg(n);
    names << club + QStringLiteral("Nachwuchsmannschaft 1") << club + QStringLiteral("Nachwuchsmannschaft 3");
    for (int n = 1; n <= 100; ++n)
        names << club + QStringLiteral("Nachwuchs %1").arg(n, 2, 10, QChar(u'0'));
    QStandardItemModel model(0, 1);
    model.setHorizontalHeaderLabels({QStringLiteral("Team")});
    for (const QString& name : names)
        model.appendRow(new QStandardItem(name));
    QTreeView view;
    view.setRootIsDecorated(false);
    view.setModel(&model);
    fitColumnsToRoom(view);
    view.show();
    for (int width : {260, 140, 60}) {
        view.resize(width, 300);
        tvp::test::runQueued();
        QHash<QByteArray, QString> shown;
        QStringList alike;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QString name = model.index(row, 0).data().toString();
            const QByteArray cell = tvp::test::paintedCell(view, model.index(row, 0));
            if (shown.contains(cell))
                alike << shown[cell] + QStringLiteral(" / ") + name;
            shown.insert(cell, name);
        }
        EXPECT_TRUE(alike.isEmpty()) << width << " px, " << alike.size() << " rows read as the one before, first "
                                     << alike.value(0).toStdString();
    }
}
