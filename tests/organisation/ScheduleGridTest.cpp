// The schedule grid without a window: what a save sends, the times the editor proposes and steps
// to, the completeness check, and the schedule CSV byte for byte.

#include "organisation/ScheduleExport.h"
#include "organisation/ScheduleGrid.h"
#include "tests/support/TestUtil.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;

namespace {

DisciplinType discipline(int id, const QString& name)
{
    DisciplinType d;
    d.DisciplinID = id;
    d.Name = name;
    return d;
}

PlaceOfDisciplineType place(int id, const QString& facility, const DisciplinType& d)
{
    PlaceOfDisciplineType p;
    p.Id = id;
    p.Discipline = d;
    DisciplinePlaceType f;
    f.Name = facility;
    p.Place = f;
    return p;
}

TeamType team(const QString& name, const QString& club, const QString& ageClass)
{
    TeamType t;
    t.Name = name;
    if (!club.isEmpty()) {
        ClubShortType c;
        c.Name = club;
        t.BillingClub = c;
    }
    AgeClassType a;
    a.Name = ageClass;
    t.AgeClass = a;
    return t;
}

SquadDisciplinePlaceType squad(int id, int order, const QString& name, std::vector<PlaceOfDisciplineType> places,
                               std::vector<DisciplinType> without = {}, std::vector<TeamType> teams = {})
{
    SquadDisciplinePlaceType s;
    SquadType q;
    q.SquadID = id;
    q.OrderIndex = order;
    q.CustomName = name;
    q.AssignedTeams = std::move(teams);
    AgeClassType a;
    a.Name = QStringLiteral("U10");
    q.AgeClass = a;
    s.Squad = q;
    s.DisciplinePlaces = std::move(places);
    s.DisciplinesWithoutPlaces = std::move(without);
    return s;
}

SquadScheduleItemType stored(int squadId, std::vector<std::pair<PlaceOfDisciplineType, QTime>> items, int firstId)
{
    SquadScheduleItemType s;
    SquadType q;
    q.SquadID = squadId;
    s.Squad = q;
    for (auto& [p, t] : items) {
        ScheduleItemType i;
        i.ScheduleItemId = firstId++;
        i.DisciplinePlace = p;
        i.Time = t;
        s.ScheduleItems.push_back(i);
    }
    return s;
}

QByteArray csvOf(const TScheduleGrid& grid, bool perTeam)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    generateScheduleCsv(buffer, grid, perTeam);
    return buffer.data();
}

class ScheduleGridTest : public ::testing::Test {
protected:
    DisciplinType sprint = discipline(11, QStringLiteral("Sprint"));
    DisciplinType jump = discipline(12, QStringLiteral("Weitsprung"));
    DisciplinType relay = discipline(13, QStringLiteral("Staffel"));
    PlaceOfDisciplineType track = place(101, QStringLiteral("Bahn"), sprint);
    PlaceOfDisciplineType pit = place(102, QStringLiteral("Grube"), jump);
};

} // namespace

TEST_F(ScheduleGridTest, TimesStepInFiveMinutesWithinTheDayAndMaskBlanksReadAsZero)
{
    EXPECT_EQ(stepFiveMinutes(QTime(10, 0), true), QTime(10, 5));
    EXPECT_EQ(stepFiveMinutes(QTime(10, 3), false), QTime(10, 0));
    EXPECT_EQ(stepFiveMinutes(QTime(10, 3), true), QTime(10, 5));
    EXPECT_EQ(stepFiveMinutes(QTime(10, 0), false), QTime(9, 55));
    EXPECT_EQ(stepFiveMinutes(QTime(23, 57), true), std::nullopt);
    EXPECT_EQ(stepFiveMinutes(QTime(0, 0), false), std::nullopt);
    EXPECT_EQ(readMaskedTime(QStringLiteral("1_:3_")), QTime(10, 30));
    EXPECT_EQ(readMaskedTime(QStringLiteral("10:40")), QTime(10, 40));
    EXPECT_EQ(readMaskedTime(QStringLiteral("25:00")), std::nullopt);
    EXPECT_EQ(readMaskedTime(QStringLiteral("ab:cd")), std::nullopt);
}

TEST_F(ScheduleGridTest, ASaveSendsEveryItemAndAMovedItemsDeleteBeforeItsNewPlace)
{
    TScheduleGrid grid;
    grid.load({squad(1, 1, {}, {track, pit}), squad(2, 2, QStringLiteral("Blitz"), {track, pit})},
              {stored(2, {{track, QTime(10, 40)}, {pit, QTime(11, 10)}}, 500)});
    EXPECT_FALSE(grid.hasChanges());
    EXPECT_EQ(grid.itemRows(), 3);
    EXPECT_EQ(grid.proposedTime(1, 2), QTime(11, 40));
    EXPECT_EQ(grid.proposedTime(0, 1), QTime(10, 0));
    EXPECT_EQ(grid.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Blitz (2)"));

    // Nothing over an empty cell creates nothing; the same place again changes nothing.
    grid.setItem(0, 0, nullptr, QTime(9, 0));
    grid.setItem(1, 0, &track, QTime(10, 40));
    EXPECT_FALSE(grid.hasChanges());

    grid.setItem(1, 0, &pit, QTime(10, 45));    // moved and later
    grid.setItem(1, 1, nullptr, QTime(11, 10)); // removed
    grid.setItem(0, 0, &track, QTime(9, 0));    // new
    EXPECT_TRUE(grid.hasChanges());
    EXPECT_EQ(grid.index(1, 1).data().toString(), QStringLiteral("Entfernt"));

    QStringList sent;
    for (const TScheduleChange& c : grid.changes())
        sent << QStringLiteral("%1/%2/%3/%4")
                    .arg(c.disciplinePlaceId)
                    .arg(c.squadId)
                    .arg(c.scheduleItemId)
                    .arg(c.Time.toString(QStringLiteral("hh:mm")));
    EXPECT_EQ(sent, (QStringList{QStringLiteral("101/1/0/09:00"), QStringLiteral("0/2/500/10:45"),
                                 QStringLiteral("102/2/0/10:45"), QStringLiteral("0/2/501/11:10")}));
}

TEST_F(ScheduleGridTest, ASquadIsCompleteWithAnItemForEachDisciplineAndNeverWithOneWithoutFacility)
{
    TScheduleGrid grid;
    grid.load(
        {squad(1, 1, {}, {track, pit}), squad(2, 2, QStringLiteral("Blitz"), {track}, {relay}), squad(3, 3, {}, {})},
        {stored(1, {{track, QTime(10, 0)}}, 500)});
    QStringList messages;
    EXPECT_FALSE(grid.checkCompleteness(&messages));
    EXPECT_EQ(messages,
              (QStringList{QStringLiteral("Für Riege 1 fehlen noch Zeitplaneinträge für folgende Disziplinen: "
                                          "Weitsprung"),
                           QStringLiteral("Für Riege Blitz (2) fehlen noch Zeitplaneinträge für folgende Disziplinen: "
                                          "Sprint, Staffel"),
                           QStringLiteral("Riege 3 ist keiner Disziplin zugeordnet.")}));
    grid.setItem(0, 1, &pit, QTime(10, 30));
    grid.setItem(1, 0, &track, QTime(10, 30));
    EXPECT_TRUE(grid.checkColCompleteness(0, nullptr));
    EXPECT_TRUE(grid.headerData(0, Qt::Horizontal, kScheduleCellStateRole).toBool());
    EXPECT_FALSE(grid.checkColCompleteness(1, nullptr));
}

TEST_F(ScheduleGridTest, TheSquadFileHasTenStationsAtLeastCrLfBetweenLinesAndWindows1252)
{
    TScheduleGrid grid;
    grid.load({squad(1, 1, QStringLiteral("Füchse"), {track, pit}, {},
                     {team(QStringLiteral("Adler;Süd"), QStringLiteral("TSV"), QStringLiteral("U10")),
                      team(QStringLiteral("Bären"), {}, QStringLiteral("U10"))})},
              {stored(1, {{track, QTime(9, 5)}, {pit, QTime(9, 35)}}, 500)});
    const QByteArray csv = csvOf(grid, false);
    QByteArray header = "Team;Verein;Altersklasse;Riege";
    for (int i = 1; i <= 10; ++i)
        header += QStringLiteral(";Station %1;Stationsdisziplin %1;Startzeit Station %1").arg(i).toLatin1();
    QByteArray line = "\"Adler;S\xfc"
                      "d, B\xe4ren\";;U10;F\xfc"
                      "chse (1);Bahn;Sprint;09:05;Grube;Weitsprung;09:35";
    for (int i = 3; i <= 10; ++i)
        line += ";;;";
    EXPECT_EQ(csv, header + "\r\n" + line);

    const QByteArray perTeam = csvOf(grid, true);
    const QList<QByteArray> lines = perTeam.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].startsWith("\"Adler;S\xfc"
                                    "d\";TSV;U10;F\xfc"
                                    "chse (1);Bahn;"));
    EXPECT_TRUE(lines[2].startsWith("B\xe4ren;;U10;F\xfc"
                                    "chse (1);Bahn;"));
    EXPECT_FALSE(perTeam.endsWith('\n'));
}

TEST_F(ScheduleGridTest, WithoutAnyItemASampleLineFollowsAndLongGridsWriteAllTheirStations)
{
    TScheduleGrid empty;
    empty.load({squad(1, 1, {}, {track})}, {});
    const QList<QByteArray> lines = csvOf(empty, true).split('\n');
    ASSERT_EQ(lines.size(), 2); // a squad without teams writes no line of its own
    QByteArray sample = "Muster Team;Muster Verein;U10;Muster Riege (1)";
    for (int i = 1; i <= 10; ++i)
        sample += QStringLiteral(";Musteranlage %1;Musterdisziplin %1;%2")
                      .arg(i)
                      .arg(QTime(9, 0).addSecs(1800 * i).toString(QStringLiteral("hh:mm")))
                      .toLatin1();
    EXPECT_EQ(lines[1], sample);
    const QList<QByteArray> squadLines = csvOf(empty, false).split('\n');
    ASSERT_EQ(squadLines.size(), 3);
    EXPECT_EQ(squadLines[2], ";;" + sample.mid(sample.indexOf("U10")));

    TScheduleGrid longGrid;
    longGrid.load({squad(1, 1, {}, {track})}, {});
    for (int r = 0; r < 14; ++r)
        longGrid.setItem(0, r, &track, QTime(8, 0).addSecs(600 * r));
    EXPECT_EQ(longGrid.itemRows(), 14);
    EXPECT_TRUE(csvOf(longGrid, false).split('\r').front().endsWith("Startzeit Station 14"));

    EXPECT_EQ(scheduleExportFileName(false, QStringLiteral("U8")), QStringLiteral("Riegenablaufplan_U8.csv"));
    EXPECT_EQ(scheduleExportFileName(true, {}), QStringLiteral("Teamablaufplan.csv"));
    EXPECT_EQ(QFileInfo(scheduleDataFile(QStringLiteral("/x/Plan.docx"), TScheduleDocType::sd_SQUAD)).fileName(),
              QStringLiteral("Riegenablaufplandaten.csv"));
}

TEST_F(ScheduleGridTest, AFileThatCannotBeCreatedIsReportedWithItsNameAndAnEarlierOneStaysWhole)
{
    TScheduleGrid grid;
    grid.load({squad(1, 1, {}, {track})}, {stored(1, {{track, QTime(9, 0)}}, 500)});
    QTemporaryDir dir;
    const QString gone = dir.filePath(QStringLiteral("weg/Riegenablaufplan.csv"));
    QString error;
    EXPECT_FALSE(writeScheduleCsv(gone, grid, false, &error));
    EXPECT_TRUE(error.contains(gone)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(gone));

    const QString path = dir.filePath(QStringLiteral("Riegenablaufplan.csv"));
    ASSERT_TRUE(writeScheduleCsv(path, grid, false, &error));
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), csvOf(grid, false));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Riegenablaufplan.csv")});
}
