// The stand-in's competition lists over HTTP: heats with their places and empty lanes, moves
// between heats and places, removal guarded by results, squads divided into heats, the lock, and
// the discipline and schedule reads of the competition-list window.

#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

// One heat as "id id 0 id" (0 for an empty lane).
using Heats = std::map<int, std::vector<int>>;

Heats heatsOf(const getDisciplinParticipantsResponse1& r)
{
    Heats out;
    for (const HeatParticipantsType& h : r.HeatList) {
        std::vector<int>& row = out[h.HeatNo];
        for (const VersionedParticipantsType& p : h.VersionedParticipants)
            row.push_back(p.Athlete ? p.Athlete->AthleteID : p.Team && p.Team->Team ? p.Team->Team->TeamID : 0);
    }
    return out;
}

PosAssignmentsType at(int id, int position)
{
    PosAssignmentsType p;
    p.AthleteOrTeamID = id;
    p.PositionIndex = position;
    return p;
}

class StandinHeats : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        client = standin.newClient();
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        comp = seed->competition(QStringLiteral("Kinderleichtathletik"));
        u10 = seed->ageClass(comp, QStringLiteral("U10"));
        u12 = seed->ageClass(comp, QStringLiteral("U12"));
        sprint = seed->discipline(comp, QStringLiteral("Sprint"), u10);
        ResultTableType teamTable;
        teamTable.Team = true;
        relay = seed->discipline(comp, QStringLiteral("Staffel"), u10, teamTable);
        foxes = seed->team(comp, QStringLiteral("Füchse"), u10);
        owls = seed->team(comp, QStringLiteral("Eulen"), u10);
        for (int i = 0; i < 4; ++i)
            fox.push_back(
                seed->athlete(comp, QStringLiteral("Fuchs%1").arg(i), QStringLiteral("Rot"), foxes, 0, {100 + i}));
        for (int i = 0; i < 3; ++i)
            owl.push_back(seed->athlete(comp, QStringLiteral("Eule%1").arg(i), QStringLiteral("Grau"), owls));
    }

    Heats heats(int discipline) { return heatsOf(client->drs()->getDisciplinParticipants(discipline, 0)); }
    int listVersion(int discipline) { return client->drs()->getDisciplinParticipants(discipline, 0).ListVersion; }
    void assign(int id, int discipline, int heat) { client->dss()->assignAthleteToHeat(id, discipline, heat, false); }
    setPositionResponse1 setPositions(int discipline, PosAssignmentsTypes assignments, bool force = false)
    {
        return client->dss()->setPosition(discipline, assignments, force);
    }
    void squads(AssignmentType kind, int discipline, IDTypes ids, bool forceAgeClass = false, bool forceResults = false)
    {
        client->dss()->assignSquadsToDisc(kind, discipline, ids, forceAgeClass, forceResults);
    }

    std::unique_ptr<StandinClient> client;
    std::unique_ptr<StandinSeed> seed;
    int comp = 0, u10 = 0, u12 = 0, sprint = 0, relay = 0, foxes = 0, owls = 0;
    std::vector<int> fox, owl;
};

} // namespace

TEST_F(StandinHeats, TheListHasHeatsInOrderWithEmptyLanesRecordsVersionsAndLock)
{
    seed->placeAthlete(sprint, fox[0], 2);
    seed->placeAthleteAt(sprint, fox[1], 2, 3); // lane 2 stays empty
    seed->placeAthlete(sprint, owl[0], 1);
    seed->setHeatSize(sprint, 8);
    seed->setListLock(sprint, LockType::LOCKED);

    const getDisciplinParticipantsResponse1 r = client->drs()->getDisciplinParticipants(sprint, 0);
    EXPECT_EQ(heatsOf(r), (Heats{{1, {owl[0]}}, {2, {fox[0], 0, fox[1]}}}));
    EXPECT_EQ(r.ParticipantsListLocked, LockType::LOCKED);
    EXPECT_EQ(r.maxParticipantsPerHeat, 8);
    const VersionedParticipantsType& first = r.HeatList[1].VersionedParticipants[0];
    ASSERT_TRUE(first.Athlete);
    EXPECT_EQ(first.Athlete->Bib, (std::vector<int>{100}));
    ASSERT_TRUE(first.Athlete->Team);
    EXPECT_EQ(first.Athlete->Team->Name, QStringLiteral("Füchse"));
    const VersionedParticipantsType& gap = r.HeatList[1].VersionedParticipants[1];
    EXPECT_FALSE(gap.Athlete || gap.Team) << "an empty lane is an entry with neither";

    EXPECT_EQ(heatsOf(client->drs()->getDisciplinParticipants(sprint, 2)), (Heats{{2, {fox[0], 0, fox[1]}}}));

    // A team discipline answers teams with their members in order.
    seed->placeTeam(relay, owls);
    const getDisciplinParticipantsResponse1 teams = client->drs()->getDisciplinParticipants(relay, 0);
    ASSERT_EQ(teams.HeatList.size(), 1u);
    const VersionedParticipantsType& team = teams.HeatList[0].VersionedParticipants.at(0);
    ASSERT_TRUE(team.Team && team.Team->Team);
    EXPECT_EQ(team.Team->Team->Name, QStringLiteral("Eulen"));
    std::vector<int> members;
    for (const AthleteType& a : team.Team->Athletes)
        members.push_back(a.AthleteID);
    EXPECT_EQ(members, owl);
    EXPECT_EQ(teams.ParticipantsListLocked, LockType::UNLOCKED);

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { client->drs()->getDisciplinParticipants(sprint + 1000, 0); }, &parameters), 13);
    EXPECT_EQ(parameters, QStringList{QString::number(sprint + 1000)});
}

TEST_F(StandinHeats, MovesKeepEveryoneElsesEmptyLanesAndCountVersions)
{
    for (int id : fox)
        assign(id, sprint, 1);
    EXPECT_EQ(heats(sprint), (Heats{{1, fox}}));
    const int v0 = listVersion(sprint);

    // Into another heat: at its end; its place in heat 1 closes.
    assign(fox[1], sprint, 2);
    EXPECT_EQ(heats(sprint), (Heats{{1, {fox[0], fox[2], fox[3]}}, {2, {fox[1]}}}));
    EXPECT_GT(listVersion(sprint), v0);
    // The same heat again changes nothing, not even the version.
    const int v1 = listVersion(sprint);
    assign(fox[1], sprint, 2);
    EXPECT_EQ(listVersion(sprint), v1);

    // A place beyond the end leaves empty lanes; the participant ends at exactly that place.
    EXPECT_FALSE(setPositions(sprint, {at(fox[1], 4)}).MovedOtherAthletes);
    EXPECT_EQ(heats(sprint)[2], (std::vector<int>{0, 0, 0, fox[1]}));

    // Moving down: the others after it move up as far as the next empty lane.
    EXPECT_TRUE(setPositions(sprint, {at(fox[0], 3)}).MovedOtherAthletes);
    EXPECT_EQ(heats(sprint)[1], (std::vector<int>{fox[2], fox[3], fox[0]}));
    // Moving up: the ones from that place on move down.
    assign(owl[0], sprint, 2); // heat 2: _ _ _ f1 o0
    EXPECT_TRUE(setPositions(sprint, {at(owl[0], 1)}).MovedOtherAthletes == false)
        << "an empty place takes it without moving anyone";
    EXPECT_EQ(heats(sprint)[2], (std::vector<int>{owl[0], 0, 0, fox[1]}));
    EXPECT_FALSE(setPositions(sprint, {at(fox[1], 2)}).MovedOtherAthletes);
    EXPECT_EQ(heats(sprint)[2], (std::vector<int>{owl[0], fox[1]}));

    const getDisciplinParticipantsResponse1 r = client->drs()->getDisciplinParticipants(sprint, 1);
    EXPECT_GE(r.HeatList[0].VersionedParticipants[2].Version, 2) << "placed, then moved";

    const int other = seed->competition(QStringLiteral("Andere"));
    const int stranger = seed->athlete(other, QStringLiteral("Fremd"), QStringLiteral("Ling"));
    EXPECT_EQ(errorIdOf([&] { assign(stranger, sprint, 1); }), 1201);
    EXPECT_EQ(errorIdOf([&] { assign(fox[0], sprint, 0); }), 1203);
    EXPECT_EQ(errorIdOf([&] { assign(fox[0], relay, 1); }), 1205);
    EXPECT_EQ(errorIdOf([&] { assign(foxes, sprint, 1); }), 1206);
    EXPECT_EQ(errorIdOf([&] { assign(fox[0], sprint + 1000, 1); }), 13);
    EXPECT_EQ(errorIdOf([&] { setPositions(sprint, {at(fox[0], 1000)}); }), 1204);
    EXPECT_EQ(errorIdOf([&] { setPositions(sprint, {at(owl[2], 1)}); }), 1208);
    EXPECT_EQ(heats(sprint)[1], (std::vector<int>{fox[2], fox[3], fox[0]})) << "refusals change nothing";
}

TEST_F(StandinHeats, EntriesCarryTheListVersionOfTheChangeThatPlacedOrMovedThem)
{
    const auto versions = [&] {
        std::map<int, int> out;
        for (const HeatParticipantsType& h : client->drs()->getDisciplinParticipants(sprint, 0).HeatList)
            for (const VersionedParticipantsType& p : h.VersionedParticipants)
                if (p.Athlete)
                    out[p.Athlete->AthleteID] = p.Version;
        return out;
    };
    const int v0 = listVersion(sprint);
    for (int id : fox)
        assign(id, sprint, 1);
    EXPECT_EQ(listVersion(sprint), v0 + 4);
    EXPECT_EQ(versions(), (std::map<int, int>{{fox[0], v0 + 1}, {fox[1], v0 + 2}, {fox[2], v0 + 3}, {fox[3], v0 + 4}}))
        << "each placed in its own change of the list";

    // The last one to another heat: only it changes.
    assign(fox[3], sprint, 2);
    EXPECT_EQ(listVersion(sprint), v0 + 5);
    EXPECT_EQ(versions()[fox[3]], v0 + 5);
    EXPECT_EQ(versions()[fox[2]], v0 + 3);
    // The first one away: the two behind it move up a place, and that is a change of theirs too.
    assign(fox[0], sprint, 2);
    EXPECT_EQ(versions(), (std::map<int, int>{{fox[0], v0 + 6}, {fox[1], v0 + 6}, {fox[2], v0 + 6}, {fox[3], v0 + 5}}));
    // So the entries changed since a list printed at version v0 + 5 are exactly those above it.
    int marked = 0;
    for (const auto& [id, version] : versions())
        marked += version > v0 + 5;
    EXPECT_EQ(marked, 3);

    // A participant leaving by another operation changes the list as well; the rest keep theirs.
    assign(owl[0], sprint, 1);
    const int before = listVersion(sprint);
    client->cms()->removeAthlete(owl[0], true);
    EXPECT_EQ(listVersion(sprint), before + 1);
    EXPECT_EQ(versions()[fox[1]], v0 + 6);
}

TEST_F(StandinHeats, RemovalIsRefusedWhileResultsExistUntilForced)
{
    for (int id : fox)
        assign(id, sprint, 1);
    seed->result(sprint, fox[1]);
    // Several at once: the refusal names the first with results, and nothing is removed.
    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { setPositions(sprint, {at(fox[0], -1), at(fox[1], -1)}); }, &parameters), 45);
    EXPECT_EQ(parameters, QStringList{QStringLiteral("Fuchs1 Rot")});
    EXPECT_EQ(heats(sprint)[1], fox);

    setPositions(sprint, {at(fox[0], -1), at(fox[1], -1), at(owl[0], -1)}, true);
    EXPECT_EQ(heats(sprint)[1], (std::vector<int>{fox[2], fox[3]}));
    EXPECT_FALSE(seed->db().query("SELECT 1 FROM results WHERE athlete_id = ?", fox[1]).next())
        << "forced, the results in the discipline go with the participant";

    // Teams: their own results and their members' count.
    assign(owls, relay, 1);
    seed->result(relay, 0, owls);
    EXPECT_EQ(errorIdOf([&] { setPositions(relay, {at(owls, -1)}); }, &parameters), 47);
    EXPECT_EQ(parameters, QStringList{QStringLiteral("Eulen")});
    setPositions(relay, {at(owls, -1)}, true);
    EXPECT_TRUE(heats(relay).empty());
}

TEST_F(StandinHeats, SquadsAreDividedIntoHeatsOfTheHeatSizeInSquadOrder)
{
    const int badgers = seed->team(comp, QStringLiteral("Dachse"), u10);
    const int badger = seed->athlete(comp, QStringLiteral("Dachs"), QStringLiteral("Braun"), badgers);
    // Squad 2 holds the owls, squad 1 the foxes and badgers: squad order is by order index.
    const int second = seed->squad(comp, 2, QStringLiteral("Blau"), u10, {owls});
    const int first = seed->squad(comp, 1, QString(), u10, {foxes, badgers});
    seed->setHeatSize(sprint, 3);
    assign(owl[2], sprint, 5); // placed by hand before: it joins the division in its squad's order

    squads(AssignmentType::ASSIGN, sprint, {second, first});
    EXPECT_EQ(heats(sprint),
              (Heats{{1, {fox[0], fox[1], fox[2]}}, {2, {fox[3], badger, owl[0]}}, {3, {owl[1], owl[2]}}}));
    std::vector<int> assigned;
    for (const SquadType& s : client->drs()->getSquadDiscAssignments(sprint))
        assigned.push_back(s.SquadID);
    EXPECT_EQ(assigned, (std::vector<int>{first, second}));
    EXPECT_TRUE(client->drs()->getSquads(comp, 0, sprint).Squads.empty());

    // Assigning again changes nothing; removing one squad takes its participants out and divides anew.
    const int version = listVersion(sprint);
    squads(AssignmentType::ASSIGN, sprint, {first});
    EXPECT_EQ(listVersion(sprint), version);
    squads(AssignmentType::REMOVE, sprint, {first});
    EXPECT_EQ(heats(sprint), (Heats{{1, {owl[0], owl[1], owl[2]}}}));

    // A team discipline takes the squads' teams; a heat size of 0 puts all in one heat.
    squads(AssignmentType::ASSIGN, relay, {first, second});
    EXPECT_EQ(heats(relay), (Heats{{1, {foxes, badgers, owls}}}));
}

TEST_F(StandinHeats, SquadRefusalsAgeClassResultsAndStrangers)
{
    const int older = seed->team(comp, QStringLiteral("Große"), u12);
    const int big = seed->athlete(comp, QStringLiteral("Groß"), QStringLiteral("Artig"), older);
    const int u12Squad = seed->squad(comp, 1, QStringLiteral("Große"), u12, {older});
    const int u10Squad = seed->squad(comp, 2, QString(), u10, {owls});

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { squads(AssignmentType::ASSIGN, sprint, {u10Squad, u12Squad}); }, &parameters), 73);
    EXPECT_EQ(parameters, (QStringList{QStringLiteral("Große (1)"), QStringLiteral("Sprint")}));
    EXPECT_TRUE(heats(sprint).empty()) << "a refusal assigns none of them";
    squads(AssignmentType::ASSIGN, sprint, {u10Squad, u12Squad}, true);
    EXPECT_EQ(heats(sprint), (Heats{{1, {big, owl[0], owl[1], owl[2]}}}));

    seed->result(sprint, owl[1]);
    EXPECT_EQ(errorIdOf([&] { squads(AssignmentType::REMOVE, sprint, {u10Squad}); }), 45);
    EXPECT_EQ(heats(sprint)[1].size(), 4u);
    squads(AssignmentType::REMOVE, sprint, {u10Squad}, false, true);
    EXPECT_EQ(heats(sprint), (Heats{{1, {big}}}));

    const int other = seed->competition(QStringLiteral("Andere"));
    const int foreign = seed->squad(other, 1, QString());
    EXPECT_EQ(errorIdOf([&] { squads(AssignmentType::ASSIGN, sprint, {foreign}); }), 1202);
}

TEST_F(StandinHeats, ALockedListKeepsItsPlacesAndTakesNewcomersAtTheEnd)
{
    const int firstSquad = seed->squad(comp, 1, QString(), u10, {foxes});
    const int secondSquad = seed->squad(comp, 2, QString(), u10, {owls});
    seed->setHeatSize(sprint, 5);
    squads(AssignmentType::ASSIGN, sprint, {firstSquad});
    setPositions(sprint, {at(fox[0], 4)}); // arranged by hand: f1 f2 f3 f0

    client->dss()->setParticipantListLock(sprint, LockType::LOCKED);
    EXPECT_EQ(client->drs()->getDisciplinParticipants(sprint, 0).ParticipantsListLocked, LockType::LOCKED);
    squads(AssignmentType::ASSIGN, sprint, {secondSquad});
    EXPECT_EQ(heats(sprint), (Heats{{1, {fox[1], fox[2], fox[3], fox[0], owl[0]}}, {2, {owl[1], owl[2]}}}));

    // Unlocked, the next squad change divides the whole list anew.
    client->dss()->setParticipantListLock(sprint, LockType::UNLOCKED);
    EXPECT_EQ(heats(sprint)[1].front(), fox[1]) << "changing the lock moves nobody";
    squads(AssignmentType::REMOVE, sprint, {secondSquad});
    EXPECT_EQ(heats(sprint), (Heats{{1, fox}}));

    EXPECT_EQ(errorIdOf([&] { client->dss()->setParticipantListLock(sprint, LockType::PENDING); }), 1207);
    EXPECT_EQ(errorIdOf([&] { client->dss()->setParticipantListLock(sprint + 1000, LockType::LOCKED); }), 13);
}

TEST_F(StandinHeats, ARefusalInsideATransactionLeavesItsEarlierCalls)
{
    client->begin(false);
    assign(fox[0], sprint, 1);
    EXPECT_EQ(errorIdOf([&] { assign(foxes, sprint, 1); }), 1206);
    assign(fox[1], sprint, 1);
    client->commit();
    EXPECT_EQ(heats(sprint), (Heats{{1, {fox[0], fox[1]}}}));
}

TEST_F(StandinHeats, DisciplineByIdOrBarcodeAndItsSchedule)
{
    const getDisciplineInfoResponse1 byId = client->drs()->getDisciplineInfo(relay, 0, 0);
    ASSERT_TRUE(byId.Disciplin && byId.Competition);
    EXPECT_EQ(byId.Disciplin->Name, QStringLiteral("Staffel"));
    EXPECT_EQ(byId.Disciplin->AgeClassID, u10);
    EXPECT_EQ(byId.Competition->ID, comp);
    const getDisciplineInfoResponse1 byBarcode = client->drs()->getDisciplineInfo(0, comp, byId.Disciplin->Barcode);
    ASSERT_TRUE(byBarcode.Disciplin);
    EXPECT_EQ(byBarcode.Disciplin->DisciplinID, relay);
    EXPECT_EQ(errorIdOf([&] { client->drs()->getDisciplineInfo(0, comp, 999999); }), 13);

    const int squad1 = seed->squad(comp, 1, QStringLiteral("Früh"), u10, {foxes});
    const int squad2 = seed->squad(comp, 2, QString(), u10, {owls});
    const std::vector<int> field = seed->facility(comp, QStringLiteral("Sportplatz"), {sprint, relay});
    const std::vector<int> hall = seed->facility(comp, QStringLiteral("Halle"), {sprint});
    seed->scheduleItem(squad2, field[0], QStringLiteral("10:15:00"));
    seed->scheduleItem(squad1, field[0], QStringLiteral("09:30:00"));
    seed->scheduleItem(squad1, field[1], QStringLiteral("11:00:00")); // the relay: not asked for
    seed->scheduleItem(squad2, hall[0], QString());

    const getDisciplineScheduleResponse schedule = client->drs()->getDisciplineSchedule(0, sprint, 0);
    ASSERT_EQ(schedule.size(), 2u);
    ASSERT_TRUE(schedule[0].DisciplinePlace);
    EXPECT_EQ(schedule[0].DisciplinePlace->Name, QStringLiteral("Sportplatz"));
    EXPECT_EQ(schedule[0].DisciplinePlace->AssociatedDisciplines.size(), 2u);
    ASSERT_EQ(schedule[0].ScheduleItems.size(), 2u);
    const ScheduleItemType& early = schedule[0].ScheduleItems[0];
    EXPECT_EQ(early.Time, QTime(9, 30));
    ASSERT_TRUE(early.Squad && early.DisciplinePlace && early.DisciplinePlace->Place);
    EXPECT_EQ(early.Squad->SquadID, squad1);
    EXPECT_EQ(early.DisciplinePlace->Id, field[0]);
    EXPECT_EQ(early.DisciplinePlace->Place->DisciplinePlaceId, schedule[0].DisciplinePlace->DisciplinePlaceId);
    ASSERT_TRUE(early.DisciplinePlace->Discipline);
    EXPECT_EQ(early.DisciplinePlace->Discipline->DisciplinID, sprint);
    ASSERT_EQ(schedule[1].ScheduleItems.size(), 1u);
    EXPECT_FALSE(schedule[1].ScheduleItems[0].Time) << "an item without time";

    EXPECT_EQ(client->drs()->getDisciplineSchedule(0, 0, field[1]).at(0).ScheduleItems.size(), 1u);
    EXPECT_EQ(client->drs()->getDisciplineSchedule(comp, 0, 0).size(), 2u);
    EXPECT_EQ(errorIdOf([&] { client->drs()->getDisciplineSchedule(0, sprint + 1000, 0); }), 13);
}

TEST_F(StandinHeats, EveryRefusalHasAGermanTextWithItsParameters)
{
    const getExceptionMessagesResponse1 texts = client->drs()->getExceptionMessages(1);
    const std::map<int, int> parameters{{13, 1},   {45, 1},   {47, 1},   {73, 2},   {1201, 2}, {1202, 2},
                                        {1203, 1}, {1204, 2}, {1205, 1}, {1206, 1}, {1207, 1}, {1208, 2}};
    for (const auto& [id, count] : parameters) {
        auto it = std::find_if(texts.begin(), texts.end(), [id = id](const auto& m) { return m.ExceptionID == id; });
        ASSERT_NE(it, texts.end()) << id;
        EXPECT_EQ(it->ExceptionMessage.count(QStringLiteral("%s")), count) << id;
    }
}
