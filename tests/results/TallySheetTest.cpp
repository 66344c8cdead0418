// The tally sheet without a window: stored lists into counts and back, the sum, scanned codes and
// the participant box.

#include "core/barcode/BarcodeUtils.h"
#include "results/TallySheetRequests.h"

#include <gtest/gtest.h>

#include <limits>

namespace tvp {
namespace {

QStringList cells(const QString& list)
{
    TTallyGridModel grid;
    grid.setTallyList(list);
    return grid.cells();
}

TEST(TallyList, CountsReadAndWriteZoneByZone)
{
    const QString stored = QStringLiteral(";;2;;;;;;;1;;;;;;");
    const QStringList read = cells(stored);
    ASSERT_EQ(read.size(), kTallyZones);
    EXPECT_EQ(read.at(2), QStringLiteral("2"));
    EXPECT_EQ(read.at(9), QStringLiteral("1"));
    EXPECT_EQ(tallySum(read).sum, 16);
    EXPECT_EQ(tallyListOf(read), stored);

    // Empty and zero counts are empty fields; blanks before a count are allowed.
    QStringList typed(kTallyZones);
    EXPECT_EQ(tallyListOf(typed), QString(15, QLatin1Char(';')));
    EXPECT_EQ(tallySum(typed).sum, 0);
    typed[0] = QStringLiteral("0");
    typed[1] = QStringLiteral("  5");
    typed[2] = QStringLiteral("   ");
    EXPECT_EQ(tallyListOf(typed), QStringLiteral(";5;") + QString(13, QLatin1Char(';')));
    EXPECT_EQ(tallySum(typed).sum, 10);
}

TEST(TallyList, ShortLongAndOddStoredListsFillFifteenZones)
{
    const QStringList shortList = cells(QStringLiteral("1;2"));
    EXPECT_EQ(shortList.mid(0, 3), (QStringList{"1", "2", ""}));
    EXPECT_EQ(tallyListOf(shortList), QStringLiteral("1;2;") + QString(13, QLatin1Char(';')));

    const QStringList longList = cells(QString(20, QLatin1Char(';')) + QStringLiteral("9;"));
    EXPECT_EQ(longList.size(), kTallyZones);
    EXPECT_EQ(tallySum(longList).sum, 0) << "fields after the fifteenth are no zones";

    // Text that is no count shows as typed, and makes the sheet invalid from its row on.
    const QStringList odd = cells(QStringLiteral("1;;;abc;"));
    EXPECT_EQ(odd.at(3), QStringLiteral("abc"));
    EXPECT_EQ(tallySum(odd).invalidRow, 4);
}

TEST(TallyList, CellsThatAreNoCountAreRefusedByTheirRow)
{
    for (const char* bad : {"-1", "x", "5 ", "+3", "1,5", "2147483648", "99999999999999999999"}) {
        QStringList typed(kTallyZones);
        typed[3] = QString::fromLatin1(bad);
        typed[7] = QStringLiteral("x"); // only the first bad row counts
        const TTallySum sum = tallySum(typed);
        EXPECT_EQ(sum.invalidRow, 4) << bad;
        EXPECT_FALSE(parseTallyCount(QString::fromLatin1(bad))) << bad;
        EXPECT_NE(tallyListOf(typed), tallyListOf(QStringList(kTallyZones))) << bad << " must show as a change";
    }
    // The largest count in every zone: the sum needs 64 bits.
    const QStringList full(kTallyZones, QStringLiteral("2147483647"));
    const TTallySum sum = tallySum(full);
    ASSERT_TRUE(sum.ok());
    EXPECT_EQ(sum.sum, qint64(120) * std::numeric_limits<int>::max());
}

TEST(TallyList, TheProtocolPrintsStoredPointsAsIntegers)
{
    EXPECT_EQ(storedTallyPoints(15.5), 16);
    EXPECT_EQ(storedTallyPoints(14.4), 14);
    EXPECT_EQ(storedTallyPoints(1e12), std::numeric_limits<int>::max());
    EXPECT_EQ(storedTallyPoints(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(TallyBarcode, ScannedSheetsReadOrAreRefused)
{
    TTallyBarcode read;
    ASSERT_EQ(readTallyBarcode(tallySheetBarcode({5, 777, 2, 9}), read), TTallyBarcodeRead::Read);
    EXPECT_EQ(read.disciplineBarcode, 5);
    EXPECT_EQ(read.participantBarcode, 777);
    EXPECT_EQ(read.attempt, 2);
    EXPECT_EQ(read.version, 9);

    EXPECT_EQ(readTallyBarcode(QStringLiteral("T"), read), TTallyBarcodeRead::Ignored);
    EXPECT_EQ(readTallyBarcode(QStringLiteral("L5X0"), read), TTallyBarcodeRead::Ignored);
    EXPECT_EQ(readTallyBarcode(QStringLiteral("T5X"), read), TTallyBarcodeRead::Invalid);
    EXPECT_EQ(readTallyBarcode(QStringLiteral("T!!"), read), TTallyBarcodeRead::Invalid);
    // Within the payload's 35 bits but beyond an int: refused, not wrapped onto another sheet.
    EXPECT_EQ(readTallyBarcode(tallySheetBarcode({qint64(1) << 33, 1, 1, 1}), read), TTallyBarcodeRead::Invalid);
    EXPECT_EQ(readTallyBarcode(tallySheetBarcode({1, 1, 1, qint64(1) << 31}), read), TTallyBarcodeRead::Invalid);
}

TEST(TallyParticipants, EntriesNameAthletesWithTheirTeamAndSkipMissingIds)
{
    proto::getDisciplinParticipantsResponse1 list;
    proto::HeatParticipantsType heat;
    heat.HeatNo = 3;
    proto::VersionedParticipantsType withTeam;
    withTeam.Athlete = proto::AthleteType{};
    withTeam.Athlete->AthleteID = 11;
    withTeam.Athlete->Name = proto::AthleteNameType{QStringLiteral("Anna"), QStringLiteral("Berg")};
    withTeam.Athlete->Team = proto::TeamType{};
    withTeam.Athlete->Team->Name = QStringLiteral("Füchse");
    withTeam.Athlete->Team->SquadInfo = proto::SquadInfoDataType{};
    withTeam.Athlete->Team->SquadInfo->OrderIndex = 2;
    proto::VersionedParticipantsType alone;
    alone.Athlete = proto::AthleteType{};
    alone.Athlete->AthleteID = 12;
    alone.Athlete->Name = proto::AthleteNameType{QStringLiteral("Ben"), QStringLiteral("Acker")};
    proto::VersionedParticipantsType nobody;
    nobody.Athlete = proto::AthleteType{};
    heat.VersionedParticipants = {withTeam, nobody, alone};
    list.HeatList.push_back(heat);

    const std::vector<TTallyParticipant> entries = tallyParticipants(list, false);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, QStringLiteral("Berg, Anna (Füchse)"));
    EXPECT_EQ(entries[0].athleteNames, QStringLiteral("Berg, Anna"));
    EXPECT_EQ(entries[0].heat, 3);
    EXPECT_EQ(entries[0].squad, QStringLiteral("Riege 2"));
    EXPECT_EQ(entries[1].text, QStringLiteral("Acker, Ben"));
    EXPECT_TRUE(entries[1].squad.isEmpty());
    EXPECT_TRUE(tallyParticipants(list, true).empty()) << "a team discipline lists teams only";

    std::vector<proto::AssignedResultType> results(2);
    results[0].Attempt = 1;
    results[0].TeamId = {4, 5};
    results[0].ResultID = 70;
    results[1].Attempt = 2;
    results[1].AthleteId = 12;
    results[1].ResultID = 71;
    EXPECT_EQ(findTallyResult(results, 1, 5, true)->ResultID, 70);
    EXPECT_EQ(findTallyResult(results, 2, 12, false)->ResultID, 71);
    EXPECT_EQ(findTallyResult(results, 1, 12, false), nullptr);
}

} // namespace
} // namespace tvp
