// The stand-in's athlete operations over HTTP: what they store, what they refuse until the force
// flag comes, and what a refusal inside a transaction leaves.

#include "standin/ErrorMessages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

AthleteInfoDataType info(const QString& given, const QString& sur, std::vector<int> bibs = {})
{
    AthleteInfoDataType i;
    i.Name = AthleteNameType{given, sur};
    i.Bib = std::move(bibs);
    i.Gender = GenderType::FEMALE;
    i.YearOfBirth = 2014;
    return i;
}

class StandinAthletes : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        client = standin.newClient();
        competition = client->create(QStringLiteral("Kinderleichtathletik"));
        seed = std::make_unique<StandinSeed>(standin.dataFile());
    }

    AthleteType add(const AthleteInfoDataType& i, int team = 0, int club = 0, bool reassign = false, int comp = 0)
    {
        return *client->das()->addAthlete(i, team, comp ? comp : competition, reassign, club).Athlete;
    }
    // A change with every flag off unless named; team and club kept.
    struct Change {
        Owned<AthleteInfoDataType> info;
        bool removeTeam = false;
        int team = 0;
        bool reassign = false, removeBibs = false, ambiguousBib = false, ambiguousTeam = false, removeResults = false;
        bool removeClub = false;
        int club = 0;
    };
    void modify(int athlete, const Change& c)
    {
        client->das()->modifyAthlete(athlete, c.info, c.removeTeam, c.team, c.reassign, c.removeBibs, c.ambiguousBib,
                                     c.ambiguousTeam, c.removeResults, c.removeClub, c.club);
    }

    std::unique_ptr<StandinClient> client;
    int competition = 0;
    std::unique_ptr<StandinSeed> seed;
};

TEST_F(StandinAthletes, CreatedAthleteIsStoredWithTeamClubBibsAndAFreshBarcode)
{
    const int team = seed->team(competition, QStringLiteral("Adler"));
    const int club = seed->club(competition, QStringLiteral("TV Musterstadt"));
    const AthleteType a = add(info(QStringLiteral("Anna"), QStringLiteral("Berg"), {7, 3}), team, club);
    EXPECT_GT(a.AthleteID, 0);
    EXPECT_EQ(a.Name->givenName, QStringLiteral("Anna"));
    EXPECT_EQ(a.Bib, (std::vector<int>{7, 3}));
    ASSERT_TRUE(a.Team);
    EXPECT_EQ(a.Team->TeamID, team);
    ASSERT_TRUE(a.Club);
    EXPECT_EQ(a.Club->Name, QStringLiteral("TV Musterstadt"));
    EXPECT_EQ(a.Gender, GenderType::FEMALE);
    EXPECT_EQ(a.YearOfBirth, 2014);
    EXPECT_GE(a.Barcode, 1);

    // Barcodes are unique on the whole server, also across competitions.
    const int other = client->create(QStringLiteral("Zweite"));
    const AthleteType b = add(info(QStringLiteral("Ben"), {}), 0, 0, false, other);
    EXPECT_NE(b.Barcode, a.Barcode);
    EXPECT_GE(b.Barcode, 1);
    EXPECT_FALSE(b.Team);
    EXPECT_FALSE(b.Club);
}

TEST_F(StandinAthletes, UnknownReferencesAndBadBibsAreRefused)
{
    const int other = client->create(QStringLiteral("Zweite"));
    const int foreignTeam = seed->team(other, QStringLiteral("Fremd"));
    EXPECT_EQ(errorIdOf([&] { add(info(QStringLiteral("A"), {}), foreignTeam); }), standin::errors::TeamNotFound);
    EXPECT_EQ(errorIdOf([&] { add(info(QStringLiteral("A"), {}), 0, 999999); }), standin::errors::ClubNotFound);
    EXPECT_EQ(errorIdOf([&] { add(info(QStringLiteral("A"), {}, {0})); }), standin::errors::BibInvalid);
    EXPECT_EQ(errorIdOf([&] { add(info(QStringLiteral("A"), {}, {4, 4})); }), standin::errors::BibTwice);
    EXPECT_EQ(errorIdOf([&] { modify(999999, {}); }), standin::errors::AthleteNotFound);
    EXPECT_EQ(errorIdOf([&] { client->cms()->removeAthlete(999999, true); }), standin::errors::AthleteNotFound);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM athletes WHERE competition_id = ?", competition), 0);
}

TEST_F(StandinAthletes, BibsAreUniquePerCompetitionAndMoveOnlyWhenAllowed)
{
    const AthleteType holder = add(info(QStringLiteral("Anna"), QStringLiteral("Berg"), {5}));
    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { add(info(QStringLiteral("Ben"), {}, {6, 5})); }, &parameters), 40);
    EXPECT_EQ(parameters, (QStringList{QStringLiteral("5"), QStringLiteral("Anna Berg")}));

    const AthleteType taker = add(info(QStringLiteral("Ben"), {}, {6, 5}), 0, 0, true);
    EXPECT_EQ(seed->bibs(taker.AthleteID), (std::vector<int>{6, 5}));
    EXPECT_TRUE(seed->bibs(holder.AthleteID).empty());

    // Another competition has its own bibs.
    const int other = client->create(QStringLiteral("Zweite"));
    EXPECT_EQ(add(info(QStringLiteral("Cem"), {}, {5}), 0, 0, false, other).Bib, std::vector<int>{5});
}

TEST_F(StandinAthletes, BlankBarcodesMustBeReservedForTheCompetitionAndFree)
{
    const int blank = seed->blank(competition);
    const int other = client->create(QStringLiteral("Zweite"));
    const int foreign = seed->blank(other);

    AthleteInfoDataType i = info(QStringLiteral("Anna"), {});
    i.CustomBarcode = foreign;
    EXPECT_EQ(errorIdOf([&] { add(i); }), standin::errors::BlankBarcodeNotReserved);
    i.CustomBarcode = blank;
    const AthleteType a = add(i);
    EXPECT_EQ(a.CustomBarcode, blank);
    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { add(i); }, &parameters), standin::errors::BlankBarcodeInUse);
    EXPECT_EQ(parameters.value(1), QStringLiteral("Anna"));
    // An athlete's own blank barcode is no conflict with itself.
    Change keep;
    keep.info = i;
    EXPECT_NO_THROW(modify(a.AthleteID, keep));
}

TEST_F(StandinAthletes, NilOrAbsentKeepsTheStoredValue)
{
    const int team = seed->team(competition, QStringLiteral("Adler"));
    const int club = seed->club(competition, QStringLiteral("TV"));
    const AthleteType a = add(info(QStringLiteral("Anna"), QStringLiteral("Berg"), {5}), team, club);

    // No info, team and club 0 without their remove flags: nothing changes.
    modify(a.AthleteID, {});
    EXPECT_EQ(seed->column("given_name", a.AthleteID), QStringLiteral("Anna"));
    EXPECT_EQ(seed->column("team_id", a.AthleteID), QString::number(team));
    EXPECT_EQ(seed->column("club_id", a.AthleteID), QString::number(club));
    EXPECT_EQ(seed->bibs(a.AthleteID), std::vector<int>{5});

    // A record without names keeps the names; its other fields, the bibs among them, are taken.
    Change c;
    AthleteInfoDataType noNames;
    noNames.Gender = GenderType::MALE;
    noNames.YearOfBirth = 2015;
    c.info = noNames;
    modify(a.AthleteID, c);
    EXPECT_EQ(seed->column("sur_name", a.AthleteID), QStringLiteral("Berg"));
    EXPECT_EQ(seed->column("gender", a.AthleteID), QStringLiteral("MALE"));
    EXPECT_EQ(seed->column("year_of_birth", a.AthleteID), QStringLiteral("2015"));
    EXPECT_TRUE(seed->bibs(a.AthleteID).empty());

    Change drop;
    drop.removeTeam = true;
    drop.removeClub = true;
    modify(a.AthleteID, drop);
    EXPECT_EQ(seed->column("team_id", a.AthleteID), QString());
    EXPECT_EQ(seed->column("club_id", a.AthleteID), QString());
}

TEST_F(StandinAthletes, ABibChangeAsksForEachRefusalAndGoesThroughWithBothFlags)
{
    const int disc = seed->discipline(competition, QStringLiteral("Weitsprung"));
    const AthleteType a = add(info(QStringLiteral("Anna"), {}, {1}));
    add(info(QStringLiteral("Ben"), {}, {2}));
    seed->result(disc, 1, a.AthleteID, 1);

    Change c;
    c.info = info(QStringLiteral("Anna"), {}, {2});
    EXPECT_EQ(errorIdOf([&] { modify(a.AthleteID, c); }), 40);
    c.reassign = true;
    EXPECT_EQ(errorIdOf([&] { modify(a.AthleteID, c); }), 41);
    EXPECT_EQ(seed->bibs(a.AthleteID), std::vector<int>{1}) << "a refusal changes nothing";
    c.removeBibs = true;
    modify(a.AthleteID, c);
    EXPECT_EQ(seed->bibs(a.AthleteID), std::vector<int>{2});
    EXPECT_EQ(seed->results(a.AthleteID), 0) << "the results of the given-up bib went with it";
}

TEST_F(StandinAthletes, ATeamChangeTakesTheAthleteOutOfItsDisciplines)
{
    const int adler = seed->team(competition, QStringLiteral("Adler"));
    const int falken = seed->team(competition, QStringLiteral("Falken"));
    const int disc = seed->discipline(competition, QStringLiteral("Sprint"));
    const AthleteType a = add(info(QStringLiteral("Anna"), {}), adler);
    const AthleteType b = add(info(QStringLiteral("Ben"), {}), adler);
    seed->placeAthlete(disc, a.AthleteID);
    seed->placeAthlete(disc, b.AthleteID);
    seed->result(disc, 1, a.AthleteID, 0);

    Change move;
    move.team = falken;
    EXPECT_EQ(errorIdOf([&] { modify(a.AthleteID, move); }), 45);
    EXPECT_EQ(seed->column("team_id", a.AthleteID), QString::number(adler));
    move.removeResults = true;
    modify(a.AthleteID, move);
    EXPECT_EQ(seed->column("team_id", a.AthleteID), QString::number(falken));
    EXPECT_EQ(seed->results(a.AthleteID), 0);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM heat_assignments WHERE athlete_id = ?", a.AthleteID), 0);

    // Without results nothing is asked, but the list place goes all the same.
    Change plain;
    plain.team = falken;
    modify(b.AthleteID, plain);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM heat_assignments WHERE athlete_id = ?", b.AthleteID), 0);
}

TEST_F(StandinAthletes, AmbiguousResultsAreRefusedUntilForced)
{
    const int disc = seed->discipline(competition, QStringLiteral("Wurf"));
    const int team = seed->team(competition, QStringLiteral("Adler"));
    const AthleteType a = add(info(QStringLiteral("Anna"), {}, {1}));
    seed->result(disc, 1, a.AthleteID, 1);
    // A result captured under bib 9 before anyone had it, in the same attempt.
    seed->result(disc, 1, 0, 9);

    Change bib;
    bib.info = info(QStringLiteral("Anna"), {}, {1, 9});
    EXPECT_EQ(errorIdOf([&] { modify(a.AthleteID, bib); }), 178);
    bib.ambiguousBib = true;
    modify(a.AthleteID, bib);
    EXPECT_EQ(seed->results(a.AthleteID), 2) << "the bib's result now belongs to its holder";

    // The team has a result in the same discipline and attempt.
    seed->result(disc, 1, 0, 0, team);
    Change join;
    join.team = team;
    EXPECT_EQ(errorIdOf([&] { modify(a.AthleteID, join); }), 179);
    join.ambiguousTeam = true;
    modify(a.AthleteID, join);
    EXPECT_EQ(seed->column("team_id", a.AthleteID), QString::number(team));
}

TEST_F(StandinAthletes, RemovingAnAthleteWithResultsOrListPlacesNeedsTheForceFlag)
{
    const int disc = seed->discipline(competition, QStringLiteral("Sprint"));
    const AthleteType placed = add(info(QStringLiteral("Anna"), {}, {1}));
    const AthleteType scored = add(info(QStringLiteral("Ben"), {}, {2}));
    seed->placeAthlete(disc, placed.AthleteID);
    seed->result(disc, 1, scored.AthleteID, 2);

    EXPECT_EQ(errorIdOf([&] { client->cms()->removeAthlete(placed.AthleteID, false); }), 44);
    EXPECT_EQ(errorIdOf([&] { client->cms()->removeAthlete(scored.AthleteID, false); }), 45);
    EXPECT_TRUE(seed->exists(placed.AthleteID));
    client->cms()->removeAthlete(placed.AthleteID, true);
    client->cms()->removeAthlete(scored.AthleteID, true);
    EXPECT_FALSE(seed->exists(placed.AthleteID));
    EXPECT_EQ(seed->results(scored.AthleteID), 0);

    // Its bib is free again; its barcode is never handed out again.
    const AthleteType next = add(info(QStringLiteral("Cem"), {}, {1}));
    EXPECT_GT(next.Barcode, scored.Barcode);
}

TEST_F(StandinAthletes, SwappingNamesIsAllOrNothing)
{
    const AthleteType a = add(info(QStringLiteral("Anna"), QStringLiteral("Berg")));
    const AthleteType b = add(info(QStringLiteral("Ben"), QStringLiteral("Cohn")));
    client->das()->flipAthleteNames({a.AthleteID, b.AthleteID});
    EXPECT_EQ(seed->column("given_name", a.AthleteID), QStringLiteral("Berg"));
    EXPECT_EQ(seed->column("sur_name", b.AthleteID), QStringLiteral("Ben"));

    EXPECT_EQ(errorIdOf([&] {
                  client->das()->flipAthleteNames({a.AthleteID, 999999});
              }),
              standin::errors::AthleteNotFound);
    EXPECT_EQ(seed->column("given_name", a.AthleteID), QStringLiteral("Berg"));
}

TEST_F(StandinAthletes, InATransactionARefusedCallLeavesTheEarlierOnesAndARollbackLeavesNothing)
{
    client->begin(false);
    const AthleteType a = add(info(QStringLiteral("Anna"), {}, {1}));
    EXPECT_EQ(errorIdOf([&] { add(info(QStringLiteral("Ben"), {}, {1})); }), 40);
    add(info(QStringLiteral("Cem"), {}, {2}));
    client->commit();
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM athletes WHERE competition_id = ?", competition), 2);
    EXPECT_TRUE(seed->exists(a.AthleteID));

    client->begin(false);
    add(info(QStringLiteral("Dora"), {}, {3}));
    client->rollback();
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM athletes WHERE competition_id = ?", competition), 2);
}

TEST_F(StandinAthletes, EveryRefusalHasAGermanTextWithItsParameters)
{
    const getExceptionMessagesResponse1 texts = client->drs()->getExceptionMessages(1);
    const auto textOf = [&](int id) {
        for (const ExceptionMessageType& m : texts)
            if (m.ExceptionID == id)
                return m.ExceptionMessage;
        return QString();
    };
    const std::vector<std::pair<int, int>> parameterCounts{{40, 2},  {41, 1},  {44, 1},  {45, 1},  {178, 1},
                                                           {179, 1}, {230, 1}, {921, 1}, {922, 1}, {233, 1},
                                                           {234, 2}, {235, 1}, {236, 1}};
    for (const auto& [id, parameters] : parameterCounts)
        EXPECT_EQ(textOf(id).count(QStringLiteral("%s")), parameters) << id;
}

} // namespace
