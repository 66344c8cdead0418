// The data view's table without a window: rows per athlete from result tables, team results on
// every member's row, the member columns, the sort rules of column clicks, and the certificate
// data file's bytes.

#include "core/lists/CsvExport.h"
#include "scoring/DataViewTable.h"
#include "tests/scoring/ResultViewsTestData.h"

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::test;

namespace {

QStringList captions(const TDataViewModel& m)
{
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out << m.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    return out;
}

QStringList column(const TDataViewModel& m, int c)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.text(r, c);
    return out;
}

std::vector<TDataViewTable> tables(std::vector<proto::getResultTableResponse1> ts)
{
    std::vector<TDataViewTable> out;
    for (auto& t : ts)
        out.push_back({TResultformat::rf_Default, std::move(t)});
    return out;
}

} // namespace

TEST(DataViewTable, RowsPerAthleteWithTeamResultsOnEveryMember)
{
    const std::vector<proto::AthleteType> athletes{
        athlete(1, "Anna", "Adler", 10, "Adler", "TV Nord"), athlete(2, "Ben", "Adler", 10, "Adler"),
        athlete(3, "Cem", "Biber", 20, "Biber", "SC Süd"), athlete(4, "Dora", "Ohne")};
    const TCompetitionRows filled = competitionRows(
        athletes,
        tables({resultTable(false, {distance(3.10, 3), distance(2.5, 1), distance(2.75, 1), distance(9, 77)}),
                // The second team result names no team: it belongs to nobody.
                resultTable(true, {rank(1, 0, {10}), rank(2, 0, {})}), resultTable(false, {distance(4, 4)})}));

    ASSERT_EQ(filled.rows.size(), 4u) << "athlete 77 is not in the list";
    EXPECT_EQ(filled.memberColumns, 12);
    const TDataViewRow& cem = filled.rows[0];
    EXPECT_EQ(cem.caption, "Biber");
    EXPECT_EQ(cem.cells.mid(0, 6), (QStringList{"Cem", "Biber", "SC Süd", "3,10m", "", ""}));
    EXPECT_EQ(cem.cells.size(), 6) << "alone in the team: no member cells";
    const TDataViewRow& anna = filled.rows[1];
    EXPECT_EQ(anna.athleteId, 1);
    EXPECT_EQ(anna.teamId, 10);
    EXPECT_EQ(anna.cells, (QStringList{"Anna", "Adler", "TV Nord", "2,50m, 2,75m", "1", "", "Ben Adler"}));
    const TDataViewRow& ben = filled.rows[2];
    EXPECT_EQ(ben.cells, (QStringList{"Ben", "Adler", "-", "", "1", "", "Anna Adler"}));
    const TDataViewRow& dora = filled.rows[3];
    EXPECT_EQ(dora.caption, "");
    EXPECT_EQ(dora.cells, (QStringList{"Dora", "Ohne", "-", "", "", "4,00m"}));
}

TEST(DataViewTable, MemberColumnsGrowForATeamOfFourteen)
{
    const std::vector<TDataViewColumn> cols = competitionColumns({aggInfo(7, "Punkte", "Sprint")});
    ASSERT_EQ(cols.size(), 4u + 1u + 12u);
    EXPECT_EQ(cols[5].title, "Teammitglied  1");
    EXPECT_EQ(cols[16].title, "Teammitglied 12");
    EXPECT_TRUE(cols[4].agg && !cols[5].agg && !cols[3].agg);
    EXPECT_EQ(teamMemberTitle(13), "Teammitglied 13");

    std::vector<proto::AthleteType> athletes;
    for (int i = 1; i <= 14; ++i)
        athletes.push_back(athlete(i, QStringLiteral("K%1").arg(i), "Kranich", 5, "Kraniche"));
    const TCompetitionRows filled = competitionRows(athletes, tables({resultTable(true, {rank(1, 0, {5})})}));
    ASSERT_EQ(filled.rows.size(), 14u);
    EXPECT_EQ(filled.memberColumns, 13);
    EXPECT_EQ(filled.rows[0].cells.size(), 3 + 1 + 13);
    EXPECT_EQ(filled.rows[0].cells.last(), "K14 Kranich");
    EXPECT_EQ(filled.rows[13].cells.last(), "K13 Kranich");
}

TEST(DataViewTable, ClicksAndStoredOrderSortTheRows)
{
    TDataViewModel m;
    m.setColumns(competitionColumns({aggInfo(7, "Weit", "Weitsprung"), aggInfo(8, "Rang", "Gesamt", true)}));
    auto row = [](QString team, QString given, QString a, QString b) {
        TDataViewRow r;
        r.caption = team;
        r.cells << given << "X"
                << "-" << a << b;
        return r;
    };
    m.setRows({row("Zebras", "Zoe", "3,00m", "2"), row("Adler", "Anna", "3,00m", "3"), row("Biber", "Bea", "", "1"),
               row("Chamäleons", "Cleo", "3,50m", "1")});

    // No stored order: the first result column, ties by team name; an empty cell last.
    TDataViewSort sort;
    sort.FSortColList = sortColumnsOf({0}, kCompetitionAggStartCol);
    sort.FDefaultSortColList = {0};
    m.sortRows(sort);
    EXPECT_EQ(column(m, 1), (QStringList{"Cleo", "Anna", "Zoe", "Bea"}));

    // The primary column again reverses; another column becomes primary and keeps the reversal.
    sort.columnClick(4, false);
    EXPECT_TRUE(sort.FDownwardSort);
    m.sortRows(sort);
    EXPECT_EQ(column(m, 1), (QStringList{"Bea", "Zoe", "Anna", "Cleo"}));
    sort.columnClick(5, false);
    EXPECT_TRUE(sort.FDownwardSort);
    EXPECT_EQ(sort.FSortColList, std::vector<int>{5}) << "the previous first entry is not put back";
    m.sortRows(sort);
    EXPECT_EQ(column(m, 5), (QStringList{"3", "2", "1", "1"}));

    // Choosing appends, repeats allowed; a later click moves the column to the front once.
    sort.FSortColList.clear();
    sort.columnClick(5, true);
    sort.columnClick(0, true);
    sort.columnClick(5, true);
    EXPECT_EQ(sort.FSortColList, (std::vector<int>{5, 0, 5}));
    sort.FDownwardSort = false;
    sort.columnClick(0, false);
    EXPECT_EQ(sort.FSortColList, (std::vector<int>{0, 5})) << "the first 5 leaves, its repeat stays";
    m.sortRows(sort);
    EXPECT_EQ(column(m, 0), (QStringList{"Adler", "Biber", "Chamäleons", "Zebras"}));
}

TEST(DataViewTable, CertificateDataFileAndSampleRows)
{
    TDataViewModel m;
    m.setColumns(competitionColumns({aggInfo(7, "Weit", "Weitsprung"), aggInfo(8, "Lauf", "Sprint")}));
    const std::vector<proto::AthleteType> athletes{athlete(1, "Jörg", "Mü;ller", 10, "Füchse", "TSV \"Eins\""),
                                                   athlete(2, "Ida", "Eule", 10, "Füchse"), athlete(3, "Ole", "Ohne")};
    proto::AssignedResultType empty = distance(0, 2);
    empty.ResultID = 1;
    m.setRows(competitionRows(athletes, tables({resultTable(false, {distance(3.456, 1), empty}),
                                                resultTable(false, {distance(1, 3)})}))
                  .rows);
    // Ida's empty result: her first result cell reads "-" and she stays; Ole has no first result.
    const QByteArray csv = csvOfModel(m, true, kCompetitionAggStartCol);
    QByteArray expected = "Team;Vorname;Name;Verein/Organisation;Urkundenplatzierung;Weit#Weitsprung;Lauf#Sprint;"
                          "Teammitglied  1;"
                          "Teammitglied  2;Teammitglied  3;Teammitglied  4;Teammitglied  5;Teammitglied  6;"
                          "Teammitglied  7;Teammitglied  8;Teammitglied  9;Teammitglied 10;Teammitglied 11;"
                          "Teammitglied 12\r\n"
                          "F\xFC"
                          "chse;J\xF6rg;\"M\xFC;ller\";\"TSV \"\"Eins\"\"\";3,46;3,46;;Ida Eule;;;;;;;;;;;\r\n"
                          "F\xFC"
                          "chse;Ida;Eule;-;-;-;;\"J\xF6rg M\xFC;ller\";;;;;;;;;;;\r\n";
    EXPECT_EQ(csv, expected);

    const std::vector<TDataViewRow> samples = testRows(2);
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].caption, "Muster Team");
    EXPECT_EQ(samples[0].cells.mid(0, 5),
              (QStringList{"Umlaut-Test", "(äöüêéèß-ÄÖÜ)-Athlet", "SV Muster Verein", "2", "3"}));
    EXPECT_EQ(samples[0].cells.last(), "Team Mitglied A12");
    EXPECT_EQ(samples[1].cells.mid(0, 5), (QStringList{"Muster", "Athlet 2", "Spvgg Muster Verein", "3", "4"}));
    EXPECT_EQ(samples[1].cells[5], "Team Mitglied B1");
    EXPECT_EQ(samples[1].athleteId + samples[1].teamId, 0);
}
