// The stand-in's reads of athletes, teams, clubs, age classes, squads and disciplines, over HTTP
// through the client's port types, on rows seeded straight into the data file.

#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

#include <algorithm>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

template <class T, class F>
std::vector<int> idsOf(const std::vector<T>& records, F id)
{
    std::vector<int> out;
    for (const T& r : records)
        out.push_back(id(r));
    return out;
}

std::vector<int> athleteIds(const getAthletesResponse1& a)
{
    return idsOf(a, [](const AthleteType& x) { return x.AthleteID; });
}
std::vector<int> teamIds(const std::vector<TeamType>& t)
{
    return idsOf(t, [](const TeamType& x) { return x.TeamID; });
}
std::vector<int> squadIds(const std::vector<SquadType>& s)
{
    return idsOf(s, [](const SquadType& x) { return x.SquadID; });
}

StringSearchType search(const QString& text, bool caseSensitive = false)
{
    return StringSearchType{text, caseSensitive};
}

// A started stand-in with a client and direct access to its data file.
class StandinReads : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        client = standin.newClient();
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        comp = seed->competition(QStringLiteral("Kinderleichtathletik"));
        other = seed->competition(QStringLiteral("Andere Veranstaltung"));
    }

    std::unique_ptr<DataRetrievalPortType> drs() { return client->drs(); }

    std::unique_ptr<StandinClient> client;
    std::unique_ptr<StandinSeed> seed;
    int comp = 0;
    int other = 0;
};

class StandinAthleteReads : public StandinReads {};
class StandinTeamReads : public StandinReads {};
class StandinListReads : public StandinReads {};
class StandinSquadReads : public StandinReads {};

TEST_F(StandinAthleteReads, CarryBibsTeamWithItsRecordsClubAndBarcodes)
{
    AgeClassInfoType rules;
    rules.BillingPricePerTeam = 12.5;
    rules.MinTeamMembers = 6;
    const int u10 = seed->ageClass(comp, QStringLiteral("U10"), rules);
    const int club =
        seed->club(comp, QStringLiteral("TV Ölbach"), QStringLiteral("Bemerkung"), QStringLiteral("kasse@tv.example"));
    const int team = seed->team(comp, QStringLiteral("Füchse"), u10, club);
    const int squad = seed->squad(comp, 3, QStringLiteral("Blau"), u10, {team});
    const int ida = seed->athlete(comp, QStringLiteral("Ida"), QStringLiteral("Ahorn"), team, club, {17, 4});
    seed->setPerson(ida, GenderType::FEMALE, 2016);
    const int blank = seed->giveBlankBarcode(comp, ida);
    const int alone = seed->athlete(comp, QStringLiteral("Ole"), QString());
    seed->athlete(other, QStringLiteral("Fremd"), QStringLiteral("Andere"));

    const getAthletesResponse1 all = drs()->getAthletes(comp, 0, 0, 0, nullptr, nullptr, 0);
    ASSERT_EQ(athleteIds(all), (std::vector<int>{ida, alone}));

    const AthleteType& a = all[0];
    EXPECT_EQ(a.Bib, (std::vector<int>{17, 4})) << "bibs keep their order";
    ASSERT_TRUE(a.Name);
    EXPECT_EQ(a.Name->givenName, QStringLiteral("Ida"));
    EXPECT_EQ(a.Name->surName, QStringLiteral("Ahorn"));
    EXPECT_EQ(a.Gender, GenderType::FEMALE);
    EXPECT_EQ(a.YearOfBirth, 2016);
    EXPECT_EQ(a.CustomBarcode, blank);
    EXPECT_GT(a.Barcode, 0);
    EXPECT_NE(a.Barcode, a.CustomBarcode);

    ASSERT_TRUE(a.Team);
    EXPECT_EQ(a.Team->TeamID, team);
    EXPECT_EQ(a.Team->Name, QStringLiteral("Füchse"));
    EXPECT_EQ(a.Team->NoOfAthletes, 1);
    EXPECT_EQ(a.Team->SquadID, squad);
    ASSERT_TRUE(a.Team->SquadInfo);
    EXPECT_EQ(a.Team->SquadInfo->OrderIndex, 3);
    EXPECT_EQ(a.Team->SquadInfo->CustomName, QStringLiteral("Blau"));
    ASSERT_TRUE(a.Team->AgeClass);
    EXPECT_EQ(a.Team->AgeClass->AgeClassID, u10);
    EXPECT_EQ(a.Team->AgeClass->BillingPricePerTeam, 12.5);
    EXPECT_EQ(a.Team->AgeClass->MinTeamMembers, 6);
    ASSERT_TRUE(a.Team->BillingClub);
    EXPECT_EQ(a.Team->BillingClub->ClubId, club);
    ASSERT_TRUE(a.Club);
    EXPECT_EQ(a.Club->ClubId, club);
    EXPECT_EQ(a.Club->Name, QStringLiteral("TV Ölbach"));
    EXPECT_EQ(a.Club->Comment, QStringLiteral("Bemerkung"));

    // Without team, club, bibs, custom barcode or stated gender.
    const AthleteType& b = all[1];
    EXPECT_FALSE(b.Team);
    EXPECT_FALSE(b.Club);
    EXPECT_TRUE(b.Bib.empty());
    EXPECT_EQ(b.CustomBarcode, 0);
    EXPECT_EQ(b.Gender, GenderType::NotSpecified);
    ASSERT_TRUE(b.Name);
    EXPECT_EQ(b.Name->surName, QString());
}

TEST_F(StandinAthleteReads, FiltersByAgeClassTeamBibAndNames)
{
    const int u8 = seed->ageClass(comp, QStringLiteral("U8"));
    const int u10 = seed->ageClass(comp, QStringLiteral("U10"));
    const int foxes = seed->team(comp, QStringLiteral("Füchse"), u8);
    const int owls = seed->team(comp, QStringLiteral("Eulen"), u10);
    const int noClass = seed->team(comp, QStringLiteral("Ohne Klasse"));
    const int ida = seed->athlete(comp, QStringLiteral("Ida"), QStringLiteral("Müller"), foxes, 0, {1});
    const int ole = seed->athlete(comp, QStringLiteral("Ole"), QStringLiteral("müller"), owls, 0, {2, 3});
    const int mia = seed->athlete(comp, QStringLiteral("Mia"), QStringLiteral("Müllerin"), noClass);
    const int tom = seed->athlete(comp, QStringLiteral("Tom"), QStringLiteral("Berg"));
    // The same bib in another competition is another athlete's.
    seed->athlete(other, QStringLiteral("Ida"), QStringLiteral("Müller"), 0, 0, {3});

    auto get = [&](int ageClass, int team, int bib, Owned<StringSearchType> given, Owned<StringSearchType> sur) {
        return athleteIds(drs()->getAthletes(comp, ageClass, team, bib, given, sur, 0));
    };
    EXPECT_EQ(get(0, 0, 0, nullptr, nullptr), (std::vector<int>{ida, ole, mia, tom}));
    EXPECT_EQ(get(u8, 0, 0, nullptr, nullptr), (std::vector<int>{ida}));
    EXPECT_EQ(get(u10, 0, 0, nullptr, nullptr), (std::vector<int>{ole}));
    EXPECT_EQ(get(0, noClass, 0, nullptr, nullptr), (std::vector<int>{mia}));
    EXPECT_EQ(get(0, 0, 3, nullptr, nullptr), (std::vector<int>{ole}));
    EXPECT_EQ(get(0, 0, 99, nullptr, nullptr), (std::vector<int>{}));
    EXPECT_EQ(get(u8, owls, 0, nullptr, nullptr), (std::vector<int>{})) << "filters combine";

    // Names match whole, ignoring case unless asked not to; an empty text filters nothing.
    const Owned<StringSearchType> muller(search(QStringLiteral("MÜLLER")));
    EXPECT_EQ(get(0, 0, 0, nullptr, muller), (std::vector<int>{ida, ole}));
    EXPECT_EQ(get(0, 0, 0, nullptr, Owned<StringSearchType>(search(QStringLiteral("Müller"), true))),
              (std::vector<int>{ida}));
    EXPECT_EQ(get(0, 0, 0, Owned<StringSearchType>(search(QStringLiteral("ole"))), muller), (std::vector<int>{ole}));
    EXPECT_EQ(get(0, 0, 0, Owned<StringSearchType>(search(QString(), true)), nullptr),
              (std::vector<int>{ida, ole, mia, tom}));
}

TEST_F(StandinAthleteReads, DisciplineFilterKeepsThoseNotYetPlaced)
{
    const int single = seed->discipline(comp, QStringLiteral("Weitsprung"));
    ResultTableType teamTable;
    teamTable.Team = true;
    const int relay = seed->discipline(comp, QStringLiteral("Staffel"), 0, teamTable);
    const int foxes = seed->team(comp, QStringLiteral("Füchse"));
    const int ida = seed->athlete(comp, QStringLiteral("Ida"), {}, foxes);
    const int ole = seed->athlete(comp, QStringLiteral("Ole"), {}, foxes);
    const int tom = seed->athlete(comp, QStringLiteral("Tom"), {});
    seed->placeAthlete(single, ida);
    seed->placeTeam(relay, foxes);

    EXPECT_EQ(athleteIds(drs()->getAthletes(comp, 0, 0, 0, nullptr, nullptr, single)), (std::vector<int>{ole, tom}));
    EXPECT_EQ(athleteIds(drs()->getAthletes(comp, 0, 0, 0, nullptr, nullptr, relay)), (std::vector<int>{tom}))
        << "an athlete is placed with its team";
}

TEST_F(StandinTeamReads, CarryAgeClassSquadMemberCountAndBillingClub)
{
    const int u10 = seed->ageClass(comp, QStringLiteral("U10"));
    const int club = seed->club(comp, QStringLiteral("LG Süd"));
    const int foxes = seed->team(comp, QStringLiteral("Füchse"), u10, club);
    const int owls = seed->team(comp, QStringLiteral("Eulen"));
    for (const char* name : {"A", "B", "C"})
        seed->athlete(comp, QString::fromUtf8(name), {}, foxes);
    const int squad = seed->squad(comp, 1, QString(), u10, {foxes});

    const getTeamsResponse1 teams = drs()->getTeams(comp, 0, nullptr, 0);
    ASSERT_EQ(teamIds(teams), (std::vector<int>{foxes, owls}));
    const TeamType& f = teams[0];
    EXPECT_EQ(f.Name, QStringLiteral("Füchse"));
    EXPECT_EQ(f.NoOfAthletes, 3);
    EXPECT_EQ(f.SquadID, squad);
    ASSERT_TRUE(f.SquadInfo);
    EXPECT_EQ(f.SquadInfo->OrderIndex, 1);
    ASSERT_TRUE(f.AgeClass);
    EXPECT_EQ(f.AgeClass->Name, QStringLiteral("U10"));
    EXPECT_GT(f.AgeClass->Barcode, 0);
    ASSERT_TRUE(f.BillingClub);
    EXPECT_EQ(f.BillingClub->Name, QStringLiteral("LG Süd"));
    EXPECT_GT(f.Barcode, 0);

    const TeamType& o = teams[1];
    EXPECT_EQ(o.NoOfAthletes, 0);
    EXPECT_EQ(o.SquadID, 0) << "no squad reads as 0, which the squad formation relies on";
    EXPECT_FALSE(o.SquadInfo);
    EXPECT_FALSE(o.AgeClass);
    EXPECT_FALSE(o.BillingClub);
}

TEST_F(StandinTeamReads, FiltersByAgeClassNameAndNotYetPlacedInADiscipline)
{
    const int u8 = seed->ageClass(comp, QStringLiteral("U8"));
    const int u10 = seed->ageClass(comp, QStringLiteral("U10"));
    const int foxes = seed->team(comp, QStringLiteral("Füchse"), u8);
    const int foxes2 = seed->team(comp, QStringLiteral("Füchse 2"), u8);
    const int owls = seed->team(comp, QStringLiteral("Eulen"), u10);
    const int loose = seed->team(comp, QStringLiteral("füchse"));
    seed->team(other, QStringLiteral("Füchse"), 0);
    ResultTableType teamTable;
    teamTable.Team = true;
    const int relay = seed->discipline(comp, QStringLiteral("Staffel"), u8, teamTable);
    seed->placeTeam(relay, foxes);

    auto get = [&](int ageClass, Owned<StringSearchType> name, int discipline) {
        return teamIds(drs()->getTeams(comp, ageClass, name, discipline));
    };
    EXPECT_EQ(get(u8, nullptr, 0), (std::vector<int>{foxes, foxes2}));
    EXPECT_EQ(get(u10, nullptr, 0), (std::vector<int>{owls}));
    EXPECT_EQ(get(0, nullptr, relay), (std::vector<int>{foxes2, owls, loose}));
    EXPECT_EQ(get(u8, nullptr, relay), (std::vector<int>{foxes2}));

    // The timing import takes a team only when its name finds exactly one.
    EXPECT_EQ(get(0, Owned<StringSearchType>(search(QStringLiteral("Füchse"), true)), 0), (std::vector<int>{foxes}));
    EXPECT_EQ(get(0, Owned<StringSearchType>(search(QStringLiteral("Füchse"))), 0), (std::vector<int>{foxes, loose}));
    EXPECT_EQ(get(0, Owned<StringSearchType>(search(QStringLiteral("Fü"))), 0), (std::vector<int>{}));
}

TEST_F(StandinListReads, AgeClassesWithTheirRulesAndNameFilter)
{
    AgeClassInfoType rules;
    rules.BillingPricePerTeam = 12.34;
    rules.MinTeamMembers = 6;
    rules.MaxTeamMembers = -1;
    rules.MinMembersPerGender = 2;
    rules.MaleMembersLessThan = 5;
    rules.FemaleMembersLessThan = 4;
    const int u10 = seed->ageClass(comp, QStringLiteral("U10"), rules);
    const int u8 = seed->ageClass(comp, QStringLiteral("U8"));
    seed->ageClass(other, QStringLiteral("U12"));

    const getAgeClassesResponse1 all = drs()->getAgeClasses(comp, nullptr);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].AgeClassID, u10) << "in the order of creation, not by name";
    EXPECT_EQ(all[1].AgeClassID, u8);
    AgeClassType expected;
    static_cast<AgeClassInfoType&>(expected) = rules;
    expected.Name = QStringLiteral("U10");
    expected.AgeClassID = u10;
    expected.Barcode = all[0].Barcode;
    EXPECT_EQ(all[0], expected);
    EXPECT_GT(all[0].Barcode, 0);
    EXPECT_NE(all[0].Barcode, all[1].Barcode);

    const getAgeClassesResponse1 named = drs()->getAgeClasses(comp, search(QStringLiteral("u8")));
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(named[0].AgeClassID, u8);
    EXPECT_TRUE(drs()->getAgeClasses(comp, search(QStringLiteral("u8"), true)).empty());
}

TEST_F(StandinListReads, ClubsOfTheCompetitionInOrderOfCreation)
{
    const int b = seed->club(comp, QStringLiteral("TV Zell"), QStringLiteral("Gast"),
                             QStringLiteral("Kasse\nHauptstr. 1\n79000 Zell"));
    const int a = seed->club(comp, QStringLiteral("ASV Au"));
    seed->club(other, QStringLiteral("Fremd"));

    const getClubsResponse1 clubs = drs()->getClubs(comp);
    ASSERT_EQ(clubs.size(), 2u);
    EXPECT_EQ(clubs[0].ClubId, b);
    EXPECT_EQ(clubs[0].Name, QStringLiteral("TV Zell"));
    EXPECT_EQ(clubs[0].Comment, QStringLiteral("Gast"));
    EXPECT_EQ(clubs[0].BillingAddress, QStringLiteral("Kasse\nHauptstr. 1\n79000 Zell"));
    EXPECT_EQ(clubs[1].ClubId, a);
    EXPECT_EQ(clubs[1].Comment, QString());
}

TEST_F(StandinListReads, DisciplinesWithTheirTableAndFilters)
{
    const int u8 = seed->ageClass(comp, QStringLiteral("U8"));
    const int u10 = seed->ageClass(comp, QStringLiteral("U10"));
    ResultTableType relayTable;
    relayTable.Team = true;
    relayTable.ResultsPerRow = 2;
    relayTable.ResultUnitPattern = QStringLiteral("s");
    relayTable.LowerValuesAreHigherRanked = true;
    const int jump = seed->discipline(comp, QStringLiteral("Weitsprung"), u8);
    const int relay = seed->discipline(comp, QStringLiteral("Staffel"), u10, relayTable);
    const int bare = seed->discipline(comp, QStringLiteral("Ohne Tabelle"), 0, std::nullopt);
    seed->discipline(other, QStringLiteral("Weitsprung"));
    seed->db()
        .query("UPDATE disciplines SET result_assignment = 'byLane', squad_assignment = 'allSquadsInOneHeat', "
               "max_participants_per_heat = 8 WHERE id = ?",
               relay)
        .run();

    const getDisciplinesResponse1 all = drs()->getDisciplines(comp, nullptr, 0);
    ASSERT_EQ(idsOf(all, [](const DisciplinType& d) { return d.DisciplinID; }), (std::vector<int>{jump, relay, bare}));
    const DisciplinType& r = all[1];
    EXPECT_EQ(r.Name, QStringLiteral("Staffel"));
    EXPECT_EQ(r.AgeClassID, u10);
    EXPECT_EQ(r.CompetitionID, comp);
    EXPECT_EQ(r.ResultAssignment, ResultAssignmentType::byLane);
    EXPECT_EQ(r.SquadAssignment, SquadAssignmentType::allSquadsInOneHeat);
    EXPECT_EQ(r.maxParticipantsPerHeat, 8);
    ASSERT_TRUE(r.ResultTableType);
    EXPECT_EQ(*r.ResultTableType, relayTable);
    EXPECT_GT(r.Barcode, 0);
    EXPECT_EQ(all[0].AgeClassID, u8);
    ASSERT_TRUE(all[0].ResultTableType);
    EXPECT_FALSE(all[0].ResultTableType->Team);
    EXPECT_FALSE(all[2].ResultTableType) << "a discipline without result table answers without it";
    EXPECT_EQ(all[2].AgeClassID, 0);

    auto ids = [](const getDisciplinesResponse1& d) {
        return idsOf(d, [](const DisciplinType& x) { return x.DisciplinID; });
    };
    EXPECT_EQ(ids(drs()->getDisciplines(comp, nullptr, u10)), (std::vector<int>{relay}));
    EXPECT_EQ(ids(drs()->getDisciplines(comp, search(QStringLiteral("weitsprung")), 0)), (std::vector<int>{jump}));
    EXPECT_EQ(ids(drs()->getDisciplines(comp, search(QStringLiteral("weitsprung")), u10)), (std::vector<int>{}));
}

TEST_F(StandinSquadReads, InOrderOfTheirIndexWithTeamsInTheirOrder)
{
    const int u8 = seed->ageClass(comp, QStringLiteral("U8"));
    const int u10 = seed->ageClass(comp, QStringLiteral("U10"));
    const int t1 = seed->team(comp, QStringLiteral("Eins"), u8);
    const int t2 = seed->team(comp, QStringLiteral("Zwei"), u8);
    const int t3 = seed->team(comp, QStringLiteral("Drei"), u10);
    seed->athlete(comp, QStringLiteral("Ida"), {}, t2);
    const int third = seed->squad(comp, 3, QStringLiteral("Grün"), u10, {t3});
    const int first = seed->squad(comp, 1, QStringLiteral("Rot"), u8, {t2, t1});
    const int second = seed->squad(comp, 2, QString());
    seed->squad(other, 1, QStringLiteral("Rot"));

    const getSquadsResponse all = drs()->getSquads(comp, 0, 0);
    ASSERT_EQ(squadIds(all.Squads), (std::vector<int>{first, second, third}));
    const SquadType& s = all.Squads[0];
    EXPECT_EQ(s.OrderIndex, 1);
    EXPECT_EQ(s.CustomName, QStringLiteral("Rot"));
    ASSERT_TRUE(s.AgeClass);
    EXPECT_EQ(s.AgeClass->AgeClassID, u8);
    ASSERT_EQ(teamIds(s.AssignedTeams), (std::vector<int>{t2, t1}));
    EXPECT_EQ(s.AssignedTeams[0].NoOfAthletes, 1);
    EXPECT_EQ(s.AssignedTeams[0].SquadID, first);
    EXPECT_FALSE(all.Squads[1].AgeClass);
    EXPECT_TRUE(all.Squads[1].AssignedTeams.empty());
    EXPECT_TRUE(all.DuplicateSquadCustomNames.empty()) << "names are compared within the competition";

    EXPECT_EQ(squadIds(drs()->getSquads(comp, u10, 0).Squads), (std::vector<int>{third}));
}

TEST_F(StandinSquadReads, DisciplineFilterKeepsSquadsNotYetAssigned)
{
    const int u8 = seed->ageClass(comp, QStringLiteral("U8"));
    const int jump = seed->discipline(comp, QStringLiteral("Weitsprung"), u8);
    const int a = seed->squad(comp, 1, {}, u8);
    const int b = seed->squad(comp, 2, {}, u8);
    const int c = seed->squad(comp, 3, {});
    seed->assignSquad(jump, a);

    EXPECT_EQ(squadIds(drs()->getSquads(comp, 0, jump).Squads), (std::vector<int>{b, c}));
    // What the assignment of fitting squads asks: the discipline's age class, not yet assigned.
    EXPECT_EQ(squadIds(drs()->getSquads(comp, u8, jump).Squads), (std::vector<int>{b}));
}

TEST_F(StandinSquadReads, EveryPairOfEqualOwnNamesIsReported)
{
    const int u8 = seed->ageClass(comp, QStringLiteral("U8"));
    const int a = seed->squad(comp, 1, QStringLiteral("Blau"), u8);
    seed->squad(comp, 2, QStringLiteral("Blau"));
    seed->squad(comp, 3, QStringLiteral("blau")); // another name
    seed->squad(comp, 4, QStringLiteral("Blau"));
    seed->squad(comp, 5, QString());
    seed->squad(comp, 6, QString()); // no own name is no duplicate

    const getSquadsResponse r = drs()->getSquads(comp, u8, 0);
    EXPECT_EQ(squadIds(r.Squads), (std::vector<int>{a}));
    std::vector<std::pair<int, int>> pairs;
    for (const DuplicateSquadCustomNamesType& p : r.DuplicateSquadCustomNames) {
        ASSERT_TRUE(p.Squad1 && p.Squad2 && p.Competition);
        EXPECT_EQ(p.Competition->ID, comp);
        EXPECT_EQ(p.Competition->Name, QStringLiteral("Kinderleichtathletik"));
        EXPECT_EQ(p.Squad1->CustomName, p.Squad2->CustomName);
        pairs.emplace_back(p.Squad1->OrderIndex, p.Squad2->OrderIndex);
    }
    // Squads the filters leave out are still mistaken for the ones shown.
    EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{1, 2}, {1, 4}, {2, 4}}));
}

TEST_F(StandinListReads, AnUnknownCompetitionIsRefusedByEveryRead)
{
    const int gone = 4711;
    QStringList params;
    EXPECT_EQ(errorIdOf([&] { drs()->getAthletes(gone, 0, 0, 0, nullptr, nullptr, 0); }, &params), 3);
    EXPECT_EQ(params, QStringList{QStringLiteral("4711")});
    EXPECT_EQ(errorIdOf([&] { drs()->getTeams(gone, 0, nullptr, 0); }), 3);
    EXPECT_EQ(errorIdOf([&] { drs()->getAgeClasses(gone, nullptr); }), 3);
    EXPECT_EQ(errorIdOf([&] { drs()->getClubs(gone); }), 3);
    EXPECT_EQ(errorIdOf([&] { drs()->getSquads(gone, 0, 0); }), 3);
    EXPECT_EQ(errorIdOf([&] { drs()->getDisciplines(gone, nullptr, 0); }), 3);
    EXPECT_TRUE(drs()->getClubs(comp).empty()) << "an empty competition is no refusal";
}

TEST_F(StandinListReads, LoadRequestsReadInsideAReadOnlyTransaction)
{
    const int u8 = seed->ageClass(comp, QStringLiteral("U8"));
    const int team = seed->team(comp, QStringLiteral("Füchse"), u8);
    client->begin(true);
    EXPECT_EQ(teamIds(drs()->getTeams(comp, 0, nullptr, 0)), (std::vector<int>{team}));
    // Rows written meanwhile by another connection stay out of the snapshot.
    seed->team(comp, QStringLiteral("Später"), u8);
    EXPECT_EQ(drs()->getAgeClasses(comp, nullptr).size(), 1u);
    EXPECT_EQ(teamIds(drs()->getTeams(comp, 0, nullptr, 0)), (std::vector<int>{team}));
    client->commit();
    EXPECT_EQ(drs()->getTeams(comp, 0, nullptr, 0).size(), 2u);
}

} // namespace
