// The list search's matching: words, quotes, case and the columns searched.

#include "participants/ListSearch.h"

#include <QAbstractItemModelTester>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>

#include <gtest/gtest.h>

using namespace tvp;

namespace {

TEST(ListSearch, WordsSplitAtBlanksExceptInsideQuotes)
{
    EXPECT_EQ(searchWords(QStringLiteral("  anna  berg ")), (QStringList{"ANNA", "BERG"}));
    EXPECT_EQ(searchWords(QStringLiteral("\"tv nord\" 7")), (QStringList{"TV NORD", "7"}));
    EXPECT_EQ(searchWords(QStringLiteral("\"offen bis")), (QStringList{"OFFEN BIS"}));
    EXPECT_TRUE(searchWords(QStringLiteral("   ")).isEmpty());
}

TEST(ListSearch, EveryWordMustOccurInSomeSearchedColumnInAnyOrderAndCase)
{
    QStandardItemModel model(2, 3);
    const QStringList first{"ANNA", "BERG", "TV Nord"}, second{"Ben", "Acker", "SC Süd"};
    for (int c = 0; c < 3; ++c) {
        model.setItem(0, c, new QStandardItem(first[c]));
        model.setItem(1, c, new QStandardItem(second[c]));
    }
    const std::vector<int> all{0, 1, 2};
    EXPECT_TRUE(rowMatches(model, 0, searchWords(QStringLiteral("nord anna")), all));
    EXPECT_FALSE(rowMatches(model, 0, searchWords(QStringLiteral("anna acker")), all));
    EXPECT_TRUE(rowMatches(model, 1, searchWords(QStringLiteral("süd")), all)) << "case folds beyond ASCII";
    // Only the columns asked for count.
    EXPECT_FALSE(rowMatches(model, 0, searchWords(QStringLiteral("nord")), {0, 1}));
    // A column the list does not have ends the search for the word.
    EXPECT_FALSE(rowMatches(model, 0, searchWords(QStringLiteral("nord")), {0, 7, 2}));
}

QStandardItemModel* names(QObject* parent, const QStringList& rows)
{
    auto* model = new QStandardItemModel(0, 2, parent);
    model->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Nr")});
    for (const QString& row : rows)
        model->appendRow({new QStandardItem(row), new QStandardItem(QString::number(model->rowCount() + 1))});
    return model;
}

TEST(ListSearch, ResultsTakeAtMostSoManyRowsOfEachListAndKnowWhereTheyCameFrom)
{
    QObject owner;
    QStandardItemModel* first = names(&owner, {"Anna Berg", "Ben Berg", "Cem Berg"});
    QStandardItemModel* second = names(&owner, {"Dora Berg", "Emil Tal"});
    TSearchResultModel results;
    QAbstractItemModelTester tester(&results, QAbstractItemModelTester::FailureReportingMode::Fatal);
    results.setColumns({QStringLiteral("Name"), QStringLiteral("Nr")});

    results.search({first, nullptr, second}, searchWords(QStringLiteral("berg")), {0}, 2);
    ASSERT_EQ(results.rowCount(), 3) << "two of the first list, then the second list's one";
    EXPECT_EQ(results.index(1, 0).data().toString(), QStringLiteral("Ben Berg"));
    EXPECT_EQ(results.index(2, 1).data().toString(), QStringLiteral("1"));
    EXPECT_EQ(results.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nr"));
    EXPECT_EQ(results.result(2)->list, 2);
    EXPECT_EQ(results.result(2)->source, second->index(0, 0));
    EXPECT_EQ(results.result(3), nullptr);

    // The source row is followed when its list is sorted.
    first->sort(0, Qt::DescendingOrder);
    EXPECT_EQ(results.result(0)->source.row(), 2);

    results.search({first}, searchWords(QStringLiteral("   ")), {0}, 10);
    EXPECT_EQ(results.rowCount(), 0) << "no words, no results";
    results.search({first}, searchWords(QStringLiteral("anna")), {0}, 10);
    results.setColumns({QStringLiteral("Name")});
    EXPECT_EQ(results.rowCount(), 0) << "other columns drop the results";
}

} // namespace
