// The compare list: colouring of competition entries against their cup item, expanding, sorting,
// the participation filter and the CSV, each checked through the item model a view would read.

#include "scoring/CompareList.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

using namespace tvp;

namespace {

const QColor kSame(255, 255, 176), kWarning(255, 176, 176), kDeviant(255, 0, 0);

// Team-like columns: a name the cup item owns, a club it does not, the participations, the source.
std::unique_ptr<TCompareListModel> teamList()
{
    auto model =
        std::make_unique<TCompareListModel>(std::vector<TCompareColumn>{{true, true, "Name", 200},
                                                                        {true, false, "Verein/Organisation", 120},
                                                                        {false, false, "Teilnahmen", 70},
                                                                        {false, false, "Veranstaltung", 150}},
                                            kSame, kWarning, kDeviant, 7);
    return model;
}

int addCupItem(TCompareListModel& m, const QString& name, int id, const QStringList& clubs)
{
    const int root = m.addItem();
    m.setCustomItemID(root, -1, id);
    m.setCell(root, -1, 0, name);
    m.setCell(root, -1, 2, QString::number(clubs.size()));
    m.setCell(root, -1, 3, "Cup");
    for (int i = 0; i < clubs.size(); ++i) {
        const int c = m.addSubItem(root);
        m.setCell(root, c, 0, name);
        m.setCell(root, c, 1, clubs[i]);
        m.setCell(root, c, 3, QString("V%1").arg(i + 1));
    }
    return root;
}

QStringList column(const TCompareListModel& m, int listColumn)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.index(r, listColumn).data().toString();
    return out;
}

} // namespace

TEST(CompareList, RootShowsTheChildrensCommonValueAndWarnsOnceTheyDiffer)
{
    auto m = teamList();
    const int root = m->addItem();
    m->setCell(root, -1, 0, "Adler");
    const int a = m->addSubItem(root);
    m->setCell(root, a, 1, "TV Nord");
    EXPECT_EQ(m->cellText(root, -1, 1), "TV Nord");
    EXPECT_EQ(m->cellStatus(root, -1, 1), TCellStatus::cs_same);

    const int b = m->addSubItem(root);
    m->setCell(root, b, 1, "SC Süd");
    EXPECT_EQ(m->cellText(root, -1, 1), "") << "the root falls back to its own empty text";
    EXPECT_EQ(m->cellStatus(root, -1, 1), TCellStatus::cs_warning);
    EXPECT_EQ(m->cellStatus(root, b, 1), TCellStatus::cs_deviant);

    const int c = m->addSubItem(root);
    m->setCell(root, c, 1, "TV Nord");
    EXPECT_EQ(m->cellText(root, -1, 1), "TV Nord");
    EXPECT_EQ(m->cellStatus(root, -1, 1), TCellStatus::cs_warning);
    EXPECT_EQ(m->cellStatus(root, c, 1), TCellStatus::cs_same);

    // An editable column keeps the cup item's own text whatever the children say.
    const int d = m->addSubItem(root);
    m->setCell(root, d, 0, "Adler II");
    EXPECT_EQ(m->cellText(root, -1, 0), "Adler");
    EXPECT_EQ(m->cellStatus(root, d, 0), TCellStatus::cs_deviant);
}

TEST(CompareList, ExpandingSortingAndFilteringKeepChildrenBelowTheirRoot)
{
    auto m = teamList();
    QAbstractItemModelTester tester(m.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    addCupItem(*m, "9", 1, {"A", "B"});
    addCupItem(*m, "10", 2, {});
    addCupItem(*m, "abc", 3, {"C"});
    EXPECT_EQ(m->rowCount(), 0) << "roots show after the first filter pass";
    EXPECT_EQ(m->noOfFilteredItems(), 3);

    m->setChildCountFilter(TComparatorType::ct_none, 0);
    EXPECT_EQ(column(*m, 2), QStringList({"9", "10", "abc"})) << "numbers numerically, ascending";
    EXPECT_EQ(column(*m, 1), QStringList({"+", "+", "+"}));

    m->expandClick(m->rowOfItem(1));
    EXPECT_EQ(column(*m, 1), QStringList({"-", "|_", "|_", "+", "+"}));
    EXPECT_EQ(column(*m, 5), QStringList({"Cup", "V1", "V2", "Cup", "Cup"}));
    m->expandClick(1); // a child row does nothing
    EXPECT_EQ(m->rowCount(), 5);

    m->columnClicked(1); // the leading columns don't sort
    EXPECT_EQ(m->sortInfo().ColToCompare, 0);
    m->columnClicked(2); // the sorted column again: downward
    EXPECT_TRUE(m->sortInfo().DownwardSort);
    EXPECT_EQ(column(*m, 2), QStringList({"abc", "10", "9", "9", "9"}));
    EXPECT_EQ(column(*m, 5), QStringList({"Cup", "Cup", "Cup", "V1", "V2"}));

    QVariantList expanded;
    m->setData(0, QVariant(42));
    m->addExpandedData(expanded);
    EXPECT_EQ(expanded, QVariantList({QVariant(42)}));

    m->expandClick(m->rowOfItem(1));
    EXPECT_EQ(m->rowCount(), 3);

    // Only the emptied cup item has no competition entries.
    m->setChildCountFilter(TComparatorType::ct_equals, 0);
    EXPECT_EQ(m->noOfFilteredItems(), 1);
    EXPECT_EQ(column(*m, 2), QStringList({"10"}));
    m->setChildCountFilter(TComparatorType::ct_greaterThanOrEqual, 1);
    EXPECT_EQ(m->noOfFilteredItems(), 2);
    EXPECT_EQ(m->rowOfItem(2), -1);
}

TEST(CompareList, NegativeNumbersCompareAsText)
{
    auto m = teamList();
    addCupItem(*m, "2", 1, {});
    addCupItem(*m, "-3", 2, {});
    addCupItem(*m, "Zebra", 3, {});
    addCupItem(*m, "adler", 4, {});
    m->setChildCountFilter(TComparatorType::ct_none, 0);
    EXPECT_EQ(column(*m, 2), QStringList({"-3", "2", "adler", "Zebra"}));
}

TEST(CompareList, RowColoursFollowStatusAndCompletion)
{
    auto m = teamList();
    const int root = addCupItem(*m, "Adler", 1, {"TV Nord", "SC Süd"});
    m->setChildCountFilter(TComparatorType::ct_none, 0);
    m->expandClick(0);
    EXPECT_EQ(m->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), kWarning) << "pending";
    EXPECT_EQ(m->index(0, 3).data(Qt::BackgroundRole).value<QColor>(), kWarning);
    EXPECT_EQ(m->index(2, 3).data(Qt::BackgroundRole).value<QColor>(), kDeviant);
    EXPECT_FALSE(m->index(2, 4).data(Qt::BackgroundRole).isValid()) << "uncompared cells keep the window colour";
    m->setCompleted(root, true);
    EXPECT_EQ(m->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), kSame);
}

TEST(CompareList, CsvQuotesFieldsThatWouldShiftColumns)
{
    auto m = teamList();
    EXPECT_EQ(m->toCsv(false, true, false), "Zugeordnet;;Name;Verein/Organisation;Teilnahmen;Veranstaltung\r\n");
    EXPECT_EQ(m->toCsv(false, true, true), "Name;Verein/Organisation;Teilnahmen\r\n");

    addCupItem(*m, "Adler", 1, {"TV Nord; LA", "Süd \"2\""});
    addCupItem(*m, "Bären", 2, {});
    m->setChildCountFilter(TComparatorType::ct_greaterThanOrEqual, 1);
    // Children are written whether the root is expanded or not; filtered roots are not.
    EXPECT_EQ(m->toCsv(true, false, false), QByteArray("x;- ;Adler;;2;Cup\r\n"
                                                       "x;|_;Adler;\"TV Nord; LA\";;V1\r\n"
                                                       "x;|_;Adler;\"S\xfc"
                                                       "d \"\"2\"\"\";;V2\r\n"));
    EXPECT_EQ(m->toCsv(false, false, true), "Adler;;2\r\n");
}
