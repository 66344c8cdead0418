// Print tables of a heat, of a result grid and blank.

#include "tests/support/TestUtil.h"
#include "core/print/PrintTable.h"

#include <QStandardItemModel>

#include <gtest/gtest.h>

using namespace tvp;

namespace {

QStandardItem* node(const TTreeNodeInformation& info, const QString& text = QString())
{
    auto* item = new QStandardItem(text);
    item->setData(QVariant::fromValue(info), kTreeNodeInformationRole);
    return item;
}

TTreeNodeInformation athlete(int lane, int id, int barcode, const QString& name, const QString& team,
                             std::vector<int> bibs)
{
    TTreeNodeInformation info;
    info.laneNo = lane;
    info.AthleteTeamId = id;
    info.AthleteTeamBarcodeId = barcode;
    info.Name = name;
    info.Team = team;
    info.Bibs = std::move(bibs);
    return info;
}

TTreeNodeInformation member(const QString& given, std::vector<int> bibs)
{
    TTreeNodeInformation info;
    info.GivenName = given;
    info.Bibs = std::move(bibs);
    return info;
}

QStringList cells(const TPrintRow* row)
{
    return row ? QStringList(*row) : QStringList{QStringLiteral("<none>")};
}

TEST(PrintTable, BlankListHasAttemptHeadersAndUnderscoreRows)
{
    const TPrintTable table = TPrintTable::CreateBlancoList(3, 2, false, proto::ResultValueType::Time);
    EXPECT_EQ(QStringList(table.getHeader()),
              (QStringList{QStringLiteral("Bahn"), QStringLiteral("Startnr."), QStringLiteral("Team"),
                           QStringLiteral("Name"), QStringLiteral("1. Lauf"), QStringLiteral("2. Lauf")}));
    ASSERT_EQ(table.getRowCount(), 3);
    const QString line(23, QLatin1Char('_'));
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(cells(table.getRow(r)), (QStringList{line, line, line, line}));
        EXPECT_EQ(table.getRow(r)->FAthleteOrTeamBarcodeID, 0);
    }
    EXPECT_EQ(table.getRow(3), nullptr);
    EXPECT_EQ(table.attempts(), 2);

    const TPrintTable distances = TPrintTable::CreateBlancoList(0, 1, true, proto::ResultValueType::Distance);
    EXPECT_EQ(distances.getHeader().last(), QStringLiteral("1. Versuch"));
    EXPECT_EQ(distances.getRowCount(), 0);
    EXPECT_TRUE(distances.isTeamTable());
}

TEST(PrintTable, HeatOfTeamsListsMembersAndBibsAsCommaLists)
{
    QStandardItemModel tree;
    QStandardItem* heat = node({}, QStringLiteral("Gruppe 1"));
    tree.appendRow(heat);
    TTreeNodeInformation team = athlete(2, 77, 901, QStringLiteral("Adler"), QStringLiteral("Adler"), {});
    team.isTeam = true;
    QStandardItem* teamNode = node(team);
    teamNode->appendRow(node(member(QStringLiteral("Anna"), {12})));
    teamNode->appendRow(node(member(QStringLiteral("Max"), {13})));
    teamNode->appendRow(node(member(QStringLiteral("Anna Lena"), {})));
    heat->appendRow(teamNode);
    heat->appendRow(node({}, QStringLiteral("kein Teilnehmer")));

    const TPrintTable table(tree.index(0, 0), 0, true, proto::ResultValueType::Distance, true, QStringLiteral("Bahn"));
    EXPECT_EQ(QStringList(table.getHeader()), (QStringList{QStringLiteral("Bahn"), QStringLiteral("Startnr."),
                                                           QStringLiteral("Team"), QStringLiteral("Name")}));
    ASSERT_EQ(table.getRowCount(), 1) << "nodes without an id are no rows";
    EXPECT_EQ(cells(table.getRow(0)), (QStringList{QStringLiteral("2"), QStringLiteral("12,13"),
                                                   QStringLiteral("Adler"), QStringLiteral("Anna,Max,\"Anna Lena\"")}))
        << "a member without bib adds no empty entry; a name with a blank is quoted";
    EXPECT_EQ(table.getRow(0)->FAthleteOrTeamBarcodeID, 901);
}

TEST(PrintTable, HeatOfAthletesWithNameColumnFirstAndAttempts)
{
    QStandardItemModel tree;
    QStandardItem* heat = node({}, QStringLiteral("Lauf 1"));
    tree.appendRow(heat);
    heat->appendRow(node(athlete(1, 5, 33, QStringLiteral("Muster"), QStringLiteral("Adler"), {7, 12})));
    heat->appendRow(node(athlete(3, 6, 34, QStringLiteral("Beispiel"), QString(), {})));

    const TPrintTable table(tree.index(0, 0), 3, false, proto::ResultValueType::Time, false, QStringLiteral("#"));
    EXPECT_EQ(
        QStringList(table.getHeader()),
        (QStringList{QStringLiteral("#"), QStringLiteral("Startnr."), QStringLiteral("Name"), QStringLiteral("Team"),
                     QStringLiteral("1. Lauf"), QStringLiteral("2. Lauf"), QStringLiteral("3. Lauf")}));
    ASSERT_EQ(table.getRowCount(), 2);
    EXPECT_EQ(cells(table.getRow(0)), (QStringList{QStringLiteral("1"), QStringLiteral("7,12"),
                                                   QStringLiteral("Muster"), QStringLiteral("Adler")}))
        << "rows carry no attempt cells";
    EXPECT_EQ(cells(table.getRow(1)),
              (QStringList{QStringLiteral("3"), QString(), QStringLiteral("Beispiel"), QString()}));
    EXPECT_EQ(table.getRow(1)->FAthleteOrTeamBarcodeID, 34);

    const TPrintTable none(QModelIndex(), 1, false, proto::ResultValueType::Distance, true, QStringLiteral("Bahn"));
    EXPECT_EQ(none.getRowCount(), 0) << "no heat node, no rows";
}

TEST(PrintTable, GridSkipsTheMarkerColumn)
{
    QStandardItemModel grid(0, 3);
    grid.setHorizontalHeaderLabels({QStringLiteral("Nr"), QStringLiteral("Name"), QStringLiteral("Leistung")});
    const TPrintTable empty(grid, false);
    EXPECT_EQ(QStringList(empty.getHeader()), (QStringList{QStringLiteral("Name"), QStringLiteral("Leistung")}));
    EXPECT_EQ(empty.getRowCount(), 0);

    grid.appendRow({new QStandardItem(QStringLiteral("1")), new QStandardItem(QStringLiteral("Muster")),
                    new QStandardItem(QStringLiteral("3,45"))});
    const TPrintTable one(grid, true);
    ASSERT_EQ(one.getRowCount(), 1);
    EXPECT_EQ(cells(one.getRow(0)), (QStringList{QStringLiteral("Muster"), QStringLiteral("3,45")}));
    EXPECT_EQ(one.attempts(), 0);
}

TEST(PrintTable, CommaTextQuotesLikeTheStringList)
{
    EXPECT_EQ(TPrintTable::commaText({}), QString());
    EXPECT_EQ(TPrintTable::commaText({QStringLiteral("a"), QStringLiteral("b c"), QStringLiteral("d,e"),
                                      QStringLiteral("f\"g"), QString()}),
              QStringLiteral("a,\"b c\",\"d,e\",\"f\"\"g\",\"\""));
}

} // namespace
