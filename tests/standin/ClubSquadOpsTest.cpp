// The stand-in's club, billing and squad operations over HTTP: what they store, what they refuse
// until the matching force flag comes, and what a forced call takes with it.

#include "standin/ErrorMessages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

#include <set>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

namespace errors = standin::errors;

AgeClassInfoType price(double perTeam)
{
    AgeClassInfoType rules;
    rules.BillingPricePerTeam = perTeam;
    return rules;
}

class StandinClubSquadTest : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        c = standin.newClient();
        comp = c->create(QStringLiteral("Kinderleichtathletik"));
    }

    ClubInfoDataType clubInfo(const QString& name, const QString& comment = {}, const QString& address = {})
    {
        ClubInfoDataType i;
        i.Name = name;
        i.Comment = comment;
        i.BillingAddress = address;
        return i;
    }
    int addClub(const QString& name, const QString& comment = {}, const QString& address = {})
    {
        return c->das()->addClub(comp, clubInfo(name, comment, address)).Club->ClubId;
    }
    Owned<SquadInfoDataType> squadInfo(int orderIndex, const QString& name = {})
    {
        SquadInfoDataType i;
        i.OrderIndex = orderIndex;
        i.CustomName = name;
        return Owned<SquadInfoDataType>(std::move(i));
    }
    int addSquad(int orderIndex, int ageClass, const std::vector<int>& teams, bool forceReassign = false)
    {
        return c->das()->addSquad(comp, squadInfo(orderIndex), ageClass, teams, forceReassign, false).Squad->SquadID;
    }
    // modifySquad with the flags named in a string: "t" team reassignment, "d" age class of
    // disciplines, "a" age class of teams, "o" order index, "r" results.
    void modifySquad(int id, Owned<SquadInfoDataType> info, int ageClass, const std::vector<int>& teams,
                     const std::string& flags = {})
    {
        auto has = [&](char f) { return flags.find(f) != std::string::npos; };
        c->das()->modifySquad(id, std::move(info), ageClass, teams, has('t'), has('d'), has('a'), has('o'), has('r'));
    }

    std::unique_ptr<StandinClient> c;
    int comp = 0;
};

} // namespace

TEST_F(StandinClubSquadTest, ClubsAreStoredChangedAndAClearedRemarkStaysCleared)
{
    StandinSeed seed(standin.dataFile());
    const int club =
        addClub(QStringLiteral("TSV Adler"), QStringLiteral("Gastverein"), QStringLiteral("Kasse\nHauptstr. 1"));
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM clubs WHERE competition_id = ?", comp), 1);

    // A nil record keeps everything.
    c->das()->modifyClub(club, nullptr);
    EXPECT_EQ(seed.clubState(club), QStringLiteral("TSV Adler|Gastverein|Kasse\nHauptstr. 1"));

    // The client leaves an empty remark out; the record came, so the remark is cleared.
    c->das()->modifyClub(club, clubInfo(QStringLiteral("TSV Adler 1900"), {}, QStringLiteral("Kasse")));
    EXPECT_EQ(seed.clubState(club), QStringLiteral("TSV Adler 1900||Kasse"));

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { c->das()->modifyClub(club + 1000, clubInfo(QStringLiteral("X"))); }, &parameters),
              errors::ClubNotFound);
    EXPECT_EQ(parameters, QStringList{QString::number(club + 1000)});
    EXPECT_EQ(errorIdOf([&] { c->das()->addClub(comp + 1000, clubInfo(QStringLiteral("X"))); }),
              errors::CompetitionNotFound);
}

TEST_F(StandinClubSquadTest, RemovingAClubAsksForTeamsThenForAthletesAndForcedLeavesThemWithoutClub)
{
    StandinSeed seed(standin.dataFile());
    const int club = addClub(QStringLiteral("LG Nord"));
    const int team = seed.team(comp, QStringLiteral("Flitzer"), 0, club);
    const int athlete = seed.athlete(comp, {}, QStringLiteral("Maier"), 0, club);

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeClub(club, false, false); }, &parameters), errors::ClubHasTeams);
    EXPECT_EQ(parameters, QStringList{QStringLiteral("LG Nord")});
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeClub(club, true, false); }), errors::ClubHasTeams)
        << "the athletes' flag does not stand for the teams";
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeClub(club, false, true); }), errors::ClubHasAthletes);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM clubs WHERE id = ?", club), 1) << "a refusal changes nothing";
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM teams WHERE billing_club_id = ?", club), 1);

    c->cms()->removeClub(club, true, true);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM clubs WHERE id = ?", club), 0);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM teams WHERE id = ? AND billing_club_id IS NULL", team), 1);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM athletes WHERE id = ? AND club_id IS NULL", athlete), 1);
}

TEST_F(StandinClubSquadTest, BillingPricesTeamsByAgeClassAndTeamlessAthletesByTheCompetitionPrice)
{
    StandinSeed seed(standin.dataFile());
    const int u10 = seed.ageClass(comp, QStringLiteral("U10"), price(25.5));
    const int adler = addClub(QStringLiteral("TSV Adler"), QStringLiteral("Bar"), QStringLiteral("Postfach 1"));
    const int leer = addClub(QStringLiteral("Leerverein"));
    const int t1 = seed.team(comp, QStringLiteral("Adler 1"), u10, adler);
    seed.members(comp, t1, 3);
    seed.team(comp, QStringLiteral("Ohne Klasse"), 0, adler);
    seed.athlete(comp, {}, QStringLiteral("Solo"), 0, adler);
    seed.athlete(comp, {}, QStringLiteral("Solo2"), 0, adler);
    seed.athlete(comp, {}, QStringLiteral("Im Team, anderer Verein"), t1, leer);
    c->cms()->setBillingPrice(comp, 4.25);

    const getClubBillingResponse1 billing = c->drs()->getClubBilling(comp);
    ASSERT_EQ(billing.size(), 2u);
    const ClubBillingInfoType& a = billing[0];
    ASSERT_TRUE(a.Club);
    EXPECT_EQ(a.Club->Name, QStringLiteral("TSV Adler"));
    EXPECT_EQ(a.Club->BillingAddress, QStringLiteral("Postfach 1"));
    ASSERT_EQ(a.Teams.size(), 2u);
    EXPECT_EQ(a.Teams[0].Team->Name, QStringLiteral("Adler 1"));
    EXPECT_EQ(a.Teams[0].Team->AgeClass->Name, QStringLiteral("U10"));
    EXPECT_DOUBLE_EQ(a.Teams[0].TeamPrincing, 25.5);
    EXPECT_EQ(a.Teams[0].NoOfBilledParticipants, 4);
    EXPECT_DOUBLE_EQ(a.Teams[1].TeamPrincing, 0.0);
    ASSERT_TRUE(a.AthletesWithoutTeam);
    EXPECT_EQ(a.AthletesWithoutTeam->NoOfAthletes, 2);
    EXPECT_DOUBLE_EQ(a.AthletesWithoutTeam->Pricing, 8.5);
    EXPECT_DOUBLE_EQ(a.TotalAmount, 34.0);

    // An athlete of a team is billed with the team, not with its own club.
    EXPECT_EQ(billing[1].Club->ClubId, leer);
    EXPECT_TRUE(billing[1].Teams.empty());
    EXPECT_FALSE(billing[1].AthletesWithoutTeam);
    EXPECT_DOUBLE_EQ(billing[1].TotalAmount, 0.0);
}

TEST_F(StandinClubSquadTest, InATransactionARefusedCallLeavesTheEarlierOnesAndRollbackLeavesNothing)
{
    StandinSeed seed(standin.dataFile());
    const int keep = addClub(QStringLiteral("Bleibt"));
    seed.team(comp, QStringLiteral("Zahlt"), 0, keep);

    c->begin(false);
    const int first = addClub(QStringLiteral("Erster"));
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeClub(keep, false, false); }), errors::ClubHasTeams);
    const int second = addClub(QStringLiteral("Zweiter"));
    c->commit();
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM clubs WHERE competition_id = ?", comp), 3);

    c->begin(false);
    c->cms()->removeClub(first, false, false);
    c->das()->modifyClub(second, clubInfo(QStringLiteral("Umbenannt")));
    c->rollback();
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM clubs WHERE id = ?", first), 1);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM clubs WHERE id = ? AND name = 'Zweiter'", second), 1);
}

TEST_F(StandinClubSquadTest, NewSquadsAppendAtZeroAndMakeRoomAtATakenIndex)
{
    StandinSeed seed(standin.dataFile());
    const int a = addSquad(0, 0, {});
    const int b = addSquad(0, 0, {});
    const int d = addSquad(5, 0, {});
    EXPECT_EQ(seed.squadState(a), QStringLiteral("1||0|"));
    EXPECT_EQ(seed.squadState(b), QStringLiteral("2||0|"));

    // Into 1: a moves to 2, b in its way to 3; 5 stays, past the gap.
    const int e = addSquad(1, 0, {});
    EXPECT_EQ(seed.squadState(e).section(u'|', 0, 0), QStringLiteral("1"));
    EXPECT_EQ(seed.squadState(a).section(u'|', 0, 0), QStringLiteral("2"));
    EXPECT_EQ(seed.squadState(b).section(u'|', 0, 0), QStringLiteral("3"));
    EXPECT_EQ(seed.squadState(d).section(u'|', 0, 0), QStringLiteral("5"));

    EXPECT_EQ(errorIdOf([&] { addSquad(0, 999999, {}); }), errors::AgeClassNotFound);
    EXPECT_EQ(errorIdOf([&] { addSquad(0, 0, {999999}); }), errors::TeamNotFound);
}

TEST_F(StandinClubSquadTest, TeamsOfAnotherSquadAreRefusedUntilForcedAndThenLeaveTheirResultsOnlyWithForce)
{
    StandinSeed seed(standin.dataFile());
    const int u10 = seed.ageClass(comp, QStringLiteral("U10"));
    const int t1 = seed.team(comp, QStringLiteral("Adler"), u10);
    const int t2 = seed.team(comp, QStringLiteral("Falken"), u10);
    const int runner = seed.athlete(comp, {}, QStringLiteral("Schnell"), t1);
    const int old = addSquad(0, u10, {t1, t2});
    const int sprint = seed.discipline(comp, QStringLiteral("Sprint"), u10);
    seed.assignSquad(sprint, old);
    seed.placeAthlete(sprint, runner);
    seed.result(sprint, runner, 0);

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { addSquad(0, u10, {t1}); }, &parameters), errors::TeamInOtherSquad);
    EXPECT_EQ(parameters, (QStringList{QStringLiteral("Adler"), QStringLiteral("1")}));
    EXPECT_EQ(errorIdOf([&] { addSquad(0, u10, {t1}, true); }, &parameters), errors::AthleteHasResults);
    EXPECT_EQ(parameters, QStringList{QStringLiteral("Schnell")}) << "the athlete who has the result";

    const int fresh = c->das()->addSquad(comp, squadInfo(0), u10, {t1}, true, true).Squad->SquadID;
    EXPECT_EQ(seed.squadState(fresh), QStringLiteral("2||%1|%2").arg(u10).arg(t1));
    EXPECT_EQ(seed.squadState(old), QStringLiteral("1||%1|%2").arg(u10).arg(t2));
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM results WHERE athlete_id = ?", runner), 0);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM heat_assignments WHERE athlete_id = ?", runner), 0);

    // A team result counts as the team's (47), also when a team only leaves its squad.
    const int relay = seed.discipline(comp, QStringLiteral("Staffel"), u10);
    seed.assignSquad(relay, old);
    seed.result(relay, 0, t2);
    EXPECT_EQ(errorIdOf([&] { modifySquad(old, nullptr, u10, {}); }, &parameters), errors::TeamHasResults);
    EXPECT_EQ(parameters, QStringList{QStringLiteral("Falken")});
    modifySquad(old, nullptr, u10, {}, "r");
    EXPECT_EQ(seed.squadState(old), QStringLiteral("1||%1|").arg(u10));
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM result_teams WHERE team_id = ?", t2), 0);
}

TEST_F(StandinClubSquadTest, ATakenOrderIndexMovesTheSquadsInTheWayUpToTheNextGap)
{
    StandinSeed seed(standin.dataFile());
    std::vector<int> s;
    for (int i = 0; i < 6; ++i)
        s.push_back(addSquad(0, 0, {}));
    auto order = [&] {
        QStringList o;
        for (int id : s)
            o << seed.squadState(id).section(u'|', 0, 0);
        return o.join(u',');
    };

    // The client's chain for squad 2 dragged onto 4: 2 -> 3, then 3 -> 2 (forced).
    modifySquad(s[1], squadInfo(3), 0, {});
    EXPECT_EQ(order(), QStringLiteral("1,3,4,5,6,7"));
    modifySquad(s[2], squadInfo(2), 0, {}, "o");
    EXPECT_EQ(order(), QStringLiteral("1,3,2,5,6,7")) << "in order; the gap it leaves stays";

    // Squads 5 and 6 (now at 6 and 7) dragged onto the one at 2: 5 -> 2, then 6 -> 3 (forced).
    modifySquad(s[4], squadInfo(2), 0, {});
    modifySquad(s[5], squadInfo(3), 0, {}, "o");
    EXPECT_EQ(order(), QStringLiteral("1,5,4,6,2,3"));

    // Its own index: nothing moves. Order 0 appends. Nil info keeps name and index.
    modifySquad(s[4], squadInfo(2, QStringLiteral("Blitz")), 0, {}, "o");
    EXPECT_EQ(order(), QStringLiteral("1,5,4,6,2,3"));
    modifySquad(s[0], squadInfo(0), 0, {}, "o");
    EXPECT_EQ(order(), QStringLiteral("7,5,4,6,2,3"));
    modifySquad(s[4], nullptr, 0, {});
    EXPECT_EQ(seed.squadState(s[4]), QStringLiteral("2|Blitz|0|"));
}

TEST_F(StandinClubSquadTest, ChangingTheAgeClassAsksAboutDisciplinesAndTeamsOfAnotherOne)
{
    StandinSeed seed(standin.dataFile());
    const int u10 = seed.ageClass(comp, QStringLiteral("U10"));
    const int u12 = seed.ageClass(comp, QStringLiteral("U12"));
    const int t10 = seed.team(comp, QStringLiteral("Zehner"), u10);
    const int t12 = seed.team(comp, QStringLiteral("Zwölfer"), u12);
    const int squad = addSquad(0, u10, {t10});
    seed.assignSquad(seed.discipline(comp, QStringLiteral("Wurf U10"), u10), squad);

    EXPECT_EQ(errorIdOf([&] { modifySquad(squad, nullptr, u12, {t10}); }), errors::SquadDisciplineAgeClass);
    EXPECT_EQ(errorIdOf([&] { modifySquad(squad, nullptr, u12, {t10}, "d"); }), errors::SquadTeamAgeClass);
    // A newcomer of another age class is asked about even when the squad keeps its own.
    EXPECT_EQ(errorIdOf([&] { modifySquad(squad, nullptr, u10, {t10, t12}); }), errors::SquadTeamAgeClass);
    modifySquad(squad, nullptr, u10, {t10, t12}, "a");
    // Once in, the mixed squad saves unchanged without the flag.
    modifySquad(squad, nullptr, u10, {t12, t10});
    EXPECT_EQ(seed.squadState(squad), QStringLiteral("1||%1|%2,%3").arg(u10).arg(t12).arg(t10));
    // No age class: the discipline's is another.
    EXPECT_EQ(errorIdOf([&] { modifySquad(squad, nullptr, 0, {t10}); }), errors::SquadDisciplineAgeClass);
    modifySquad(squad, nullptr, 0, {t10}, "d");
    EXPECT_EQ(seed.squadState(squad), QStringLiteral("1||0|%1").arg(t10));
}

TEST_F(StandinClubSquadTest, RemovingASquadAsksForResultsThenDisciplinesThenScheduleItems)
{
    StandinSeed seed(standin.dataFile());
    const int u10 = seed.ageClass(comp, QStringLiteral("U10"));
    const int team = seed.team(comp, QStringLiteral("Adler"), u10);
    const int athlete = seed.athlete(comp, {}, QStringLiteral("Schnell"), team);
    const int squad =
        c->das()->addSquad(comp, squadInfo(0, QStringLiteral("Blitz")), u10, {team}, false, false).Squad->SquadID;
    const int sprint = seed.discipline(comp, QStringLiteral("Sprint"), u10);
    seed.assignSquad(sprint, squad);
    seed.scheduleItem(comp, squad, sprint);
    const int result = seed.result(sprint, athlete, 0);

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeSquad(squad, false, true); }), errors::AthleteHasResults);
    seed.db().query("DELETE FROM results WHERE id = ?", result).run();
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeSquad(squad, false, true); }, &parameters),
              errors::SquadAssignedToDiscipline);
    EXPECT_EQ(parameters, (QStringList{QStringLiteral("Blitz (1)"), QStringLiteral("Sprint")}));
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeSquad(squad, true, false); }), errors::SquadHasScheduleItems);
    EXPECT_EQ(seed.squadState(squad), QStringLiteral("1|Blitz|%1|%2").arg(u10).arg(team));

    c->cms()->removeSquad(squad, true, true);
    EXPECT_EQ(seed.squadState(squad), QStringLiteral("gone"));
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM squad_teams WHERE team_id = ?", team), 0);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM schedule_items WHERE squad_id = ?", squad), 0);
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeSquad(squad, true, true); }), errors::SquadNotFound);
}

TEST_F(StandinClubSquadTest, EveryRefusalHasItsGermanTextWithItsParameters)
{
    const getExceptionMessagesResponse1 texts = c->drs()->getExceptionMessages(0);
    std::set<int> once;
    for (const ExceptionMessageType& m : texts)
        EXPECT_TRUE(once.insert(m.ExceptionID).second) << "two texts for " << m.ExceptionID;
    for (int id : {errors::AthleteHasResults, errors::TeamHasResults, errors::TeamInOtherSquad,
                   errors::SquadAssignedToDiscipline, errors::SquadDisciplineAgeClass, errors::SquadTeamAgeClass,
                   errors::ClubHasTeams, errors::ClubHasAthletes, errors::SquadHasScheduleItems, errors::ClubNotFound,
                   errors::SquadNotFound, errors::TeamNotFound, errors::AgeClassNotFound}) {
        const auto it = std::find_if(texts.begin(), texts.end(), [&](const auto& m) { return m.ExceptionID == id; });
        ASSERT_NE(it, texts.end()) << id;
        EXPECT_FALSE(it->ExceptionMessage.isEmpty()) << id;
    }
    EXPECT_EQ(standin::errors::format(errors::TeamInOtherSquad, {QStringLiteral("Adler"), QStringLiteral("3")}),
              QStringLiteral("Das Team Adler ist bereits der Riege 3 zugewiesen."));
}
