// The receipt table: one row per club that owes money, team groups as wide as the widest club
// needs (at least ten), the teamless athletes' cells right after a club's own teams, and the sample
// club when nobody owes anything.

#include "core/lists/CsvExport.h"
#include "participants/ReceiptData.h"

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;

namespace {

ClubBillingInfoType club(const QString& name, int teams, double teamless = 0, int teamlessCount = 0)
{
    ClubBillingInfoType b;
    b.Club.ensure().Name = name;
    for (int i = 1; i <= teams; ++i) {
        BillingTeam& t = b.Teams.emplace_back();
        t.Team.ensure().Name = QStringLiteral("%1 %2").arg(name).arg(i);
        t.Team->AgeClass.ensure().Name = QStringLiteral("U10");
        t.TeamPrincing = 10.0;
        t.NoOfBilledParticipants = i;
        b.TotalAmount += 10.0;
    }
    if (teamlessCount > 0) {
        b.AthletesWithoutTeam.ensure().NoOfAthletes = teamlessCount;
        b.AthletesWithoutTeam->Pricing = teamless;
        b.TotalAmount += teamless;
    }
    return b;
}

int groups(const TBillingTable& t)
{
    return int((t.columns.size() - 4) / 4);
}

} // namespace

TEST(ReceiptData, AWideClubWidensTheTableAndALaterClubsTeamlessCellsFollowItsOwnTeams)
{
    const TBillingTable t = createBilling({club(QStringLiteral("Groß"), 12), club(QStringLiteral("Klein"), 2, 7.5, 3)});
    EXPECT_EQ(groups(t), 13) << "twelve for the first club, one more for the teamless athletes";
    EXPECT_EQ(t.columns.at(4), QStringLiteral("Team 1"));
    EXPECT_EQ(t.columns.at(51), QStringLiteral("Team 12 Gebühr"));
    EXPECT_EQ(t.columns.at(52), QStringLiteral("Team 13"));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0].size(), 4 + 12 * 4);
    EXPECT_EQ(t.rows[1].mid(12, 4), (QStringList{"Ohne Team", "-", "3", "7,50"}));
    EXPECT_EQ(t.rows[1].mid(0, 2), (QStringList{"Klein", "27,50"}));
}

TEST(ReceiptData, OnlyClubsThatOweMoneyGetARowAndTeamlessAloneFollowsTheFixedCells)
{
    const TBillingTable t =
        createBilling({club(QStringLiteral("Nichts"), 0), club(QStringLiteral("Solo"), 0, 1234.5, 5)});
    ASSERT_EQ(t.rows.size(), 1u);
    EXPECT_EQ(t.rows[0], (QStringList{"Solo", "1234,50", "", "", "Ohne Team", "-", "5", "1234,50"}));
    EXPECT_EQ(groups(t), 10);

    // Teamless athletes that cost nothing add no cells.
    const TBillingTable free = createBilling({club(QStringLiteral("Frei"), 1, 0.0, 4)});
    EXPECT_EQ(free.rows[0].size(), 8);
}

TEST(ReceiptData, WithoutDebtsTheSampleClubStandsInAndTheFileIsSemicolonCrLfWindows1252)
{
    TBillingTableModel model(createBilling({club(QStringLiteral("Nichts"), 0)}));
    EXPECT_EQ(model.columnCount(), 44);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.index(0, 0).data().toString(), QStringLiteral("Musterverein"));
    EXPECT_EQ(model.index(0, 3).data().toString(),
              QStringLiteral("Musteranschrift\r\n\r\nMusterstraße 17\r\n0815 Stadt"));
    EXPECT_EQ(model.index(0, 4 + 8 * 4).data().toString(), QStringLiteral("Musterteam 9"));
    EXPECT_EQ(model.index(0, 4 + 5 * 4 + 1).data().toString(), QStringLiteral("U12"));
    EXPECT_FALSE(model.index(0, 43).data().isValid()) << "the tenth group is empty";

    const QByteArray csv = csvOfModel(model, false, -1);
    const QByteArray row = csv.mid(csv.indexOf("\r\n") + 2);
    EXPECT_TRUE(row.startsWith("Musterverein;225,00;Testkommentar;\"Musteranschrift\r\n\r\nMusterstra\xDF"
                               "e 17\r\n0815 Stadt\";Musterteam 1;U10;10;25,00;"));
    EXPECT_TRUE(row.endsWith("Musterteam 9;U12;10;25,00;;;;\r\n"));
    EXPECT_TRUE(csv.startsWith("Verein/Organisation;Gesamtbetrag;Bemerkung;Anschrift;Team 1;Team 1 Altersklasse;"
                               "Team 1 Teilnehmer;Team 1 Geb\xFChr;"));
}
