// The list search's matching: words, quotes, case and the columns searched.

#include "participants/ListSearch.h"

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

} // namespace
