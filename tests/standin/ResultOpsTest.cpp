// The stand-in's results over HTTP: storing by athlete, team, bib and place with the refusals, the
// result table as the entry grid reads it, and the checks before certificates are made.

#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

#include <algorithm>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

ResultType distance(double m)
{
    ResultType r;
    r.Type_ = ResultValueType::Distance;
    r.DistanceInMeter = m;
    return r;
}

ResultType rank(int n)
{
    ResultType r;
    r.Type_ = ResultValueType::Rank;
    r.Rank = n;
    return r;
}

ResultType status(ResultInfo info)
{
    ResultType r;
    r.Type_ = ResultValueType::Info;
    r.Info = info;
    return r;
}

ResultTableType table(int attempts, bool team = false)
{
    ResultTableType t;
    t.ResultsPerRow = attempts;
    t.Team = team;
    return t;
}

class StandinResults : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        c = standin.newClient();
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        comp = seed->competition(QStringLiteral("Kinderleichtathletik"));
        foxes = seed->team(comp, QStringLiteral("Füchse"));
        owls = seed->team(comp, QStringLiteral("Eulen"));
        anna = seed->athlete(comp, QStringLiteral("Anna"), QStringLiteral("Berg"), foxes, 0, {7, 8});
        ben = seed->athlete(comp, QStringLiteral("Ben"), QStringLiteral("Kurz"), foxes, 0, {9});
        carl = seed->athlete(comp, QStringLiteral("Carl"), QStringLiteral("Lang"), owls);
        jump = seed->discipline(comp, QStringLiteral("Weitsprung"), 0, table(3));
        relay = seed->discipline(comp, QStringLiteral("Staffel"), 0, table(1, true));
        seed->placeAthlete(jump, anna);
        seed->placeAthlete(jump, ben);
        seed->placeTeam(relay, foxes);
    }

    setResultResponse1 byAthlete(int disc, int athlete, int attempt, RecordArg<ResultType> r)
    {
        return c->das()->setResult(disc, 0, nullptr, athlete, 0, r, attempt);
    }
    setResultResponse1 byBib(int disc, int bib, int attempt, RecordArg<ResultType> r, bool removeOthers)
    {
        return c->das()->setResult(disc, bib, removeOthers, nullptr, 0, 0, r, attempt);
    }
    // "result id:athlete:teams:attempt:value" per stored result.
    std::vector<std::string> stored(int disc)
    {
        std::vector<std::string> out;
        for (const AssignedResultType& r : c->drs()->getResultTable(disc).Results) {
            std::string teams;
            for (int t : r.TeamId)
                teams += std::to_string(t) + ",";
            const double value = r.Type_ == ResultValueType::Rank ? r.Rank : r.DistanceInMeter;
            out.push_back(std::to_string(r.AthleteId) + ":" + teams + ":" + std::to_string(r.Attempt) + ":" +
                          QString::number(value).toStdString());
        }
        return out;
    }
    int uiInfos(int id) { return seed->count("SELECT COUNT(*) FROM ui_infos WHERE assoc_id = ?", id); }

    std::unique_ptr<StandinClient> c;
    std::unique_ptr<StandinSeed> seed;
    int comp = 0, foxes = 0, owls = 0, anna = 0, ben = 0, carl = 0, jump = 0, relay = 0;
};

} // namespace

TEST_F(StandinResults, AStoreUpdatesInPlaceAndANilResultDeletesItWithItsUiInfos)
{
    const setResultResponse1 first = byAthlete(jump, anna, 2, distance(3.10));
    EXPECT_EQ(first.AthleteTeamIDret, anna);
    EXPECT_FALSE(first.NotAParticipantWarning);
    EXPECT_GT(first.ResultID, 1);
    c->cms()->setUiInfo(QStringLiteral("Bemerkung"), QStringLiteral("Wind"), first.ResultID);

    EXPECT_EQ(byAthlete(jump, anna, 2, distance(3.45)).ResultID, first.ResultID);
    EXPECT_EQ(stored(jump), std::vector<std::string>{std::to_string(anna) + "::2:3.45"});

    const setResultResponse1 gone = byAthlete(jump, anna, 2, nullptr);
    EXPECT_EQ(gone.ResultID, 0);
    EXPECT_TRUE(stored(jump).empty());
    EXPECT_EQ(uiInfos(first.ResultID), 0);

    // A result that also counts for Anna's team keeps its team when it changes.
    const int counted = seed->db().nextId("result");
    seed->db()
        .query("INSERT INTO results (id, discipline_id, attempt, athlete_id, kind) VALUES (?, ?, 3, ?, 'Distance')",
               counted, jump, anna)
        .run();
    seed->db().query("INSERT INTO result_teams (result_id, team_id, position) VALUES (?, ?, 0)", counted, foxes).run();
    EXPECT_EQ(byAthlete(jump, anna, 3, distance(2.9)).ResultID, counted);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM result_teams WHERE result_id = ?", counted), 1);

    // Carl is of the competition but not in the list: stored, with the warning.
    const setResultResponse1 unplaced = byAthlete(jump, carl, 1, distance(2.0));
    EXPECT_TRUE(unplaced.NotAParticipantWarning);
    EXPECT_EQ(unplaced.AthleteTeamIDret, carl);
}

TEST_F(StandinResults, RefusesWhatCannotBeStored)
{
    const int other = seed->competition(QStringLiteral("Anderswo"));
    const int stranger = seed->athlete(other, QStringLiteral("Fremd"), QStringLiteral("Ling"));
    const int plain = seed->discipline(comp, QStringLiteral("Ohne Tabelle"), 0, std::nullopt);
    const int lanes = seed->discipline(comp, QStringLiteral("Sprint"), 0, table(1));
    seed->placeAthleteAt(lanes, ben, 1, 2); // place 1 stays empty
    const ResultType v = distance(1.0);

    EXPECT_EQ(errorIdOf([&] { byAthlete(99999, anna, 1, v); }), 13);
    EXPECT_EQ(errorIdOf([&] { c->das()->setResult(jump, 0, nullptr, 0, 0, v, 1); }), 1301);
    EXPECT_EQ(errorIdOf([&] { byAthlete(jump, stranger, 1, v); }), 1201);
    EXPECT_EQ(errorIdOf([&] { c->das()->setResult(relay, 0, nullptr, anna, 0, v, 1); }), 1205);
    EXPECT_EQ(errorIdOf([&] { c->das()->setResult(jump, 0, nullptr, 0, foxes, v, 1); }), 1206);
    for (int attempt : {0, 4})
        EXPECT_EQ(errorIdOf([&] { byAthlete(jump, anna, attempt, v); }), 1302) << attempt;
    EXPECT_EQ(errorIdOf([&] { byAthlete(plain, anna, 2, v); }), 1302) << "no table: one attempt";
    EXPECT_NO_THROW(byAthlete(plain, anna, 1, v));

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { c->das()->setResult(lanes, 0, LaneHeatType{1, 1}, 0, 0, v, 1); }, &parameters), 1303);
    EXPECT_EQ(parameters, (QStringList{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("Sprint")}));
    // Deleting there has nothing to delete.
    EXPECT_TRUE(c->das()->setResult(lanes, 0, LaneHeatType{1, 1}, 0, 0, nullptr, 1).NotAParticipantWarning);

    const setResultResponse1 byLane = c->das()->setResult(lanes, 0, LaneHeatType{1, 2}, 0, 0, v, 1);
    EXPECT_EQ(byLane.AthleteTeamIDret, ben);
    EXPECT_EQ(byAthlete(lanes, ben, 1, distance(1.5)).ResultID, byLane.ResultID) << "one result by id or place";
    EXPECT_EQ(seed->count("SELECT lane FROM results WHERE id = ?", byLane.ResultID), 2) << "the place stays";

    const getExceptionMessagesResponse1 texts = c->drs()->getExceptionMessages(0);
    for (int id : {22, 122, 1301, 1302, 1303})
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const ExceptionMessageType& m) {
            return m.ExceptionID == id && m.ExceptionMessage.contains(QStringLiteral("%s"));
        })) << id;
}

TEST_F(StandinResults, ResultsByBibFollowTheHolderAndMayReplaceHisOtherResults)
{
    byAthlete(jump, anna, 1, distance(3.0));
    byBib(jump, 8, 1, distance(3.2), false);
    // With false, the result by id stays beside the one by bib.
    EXPECT_EQ(stored(jump).size(), 2u);

    // A bib nobody holds is stored without participant, and counts for whoever gets it later.
    const setResultResponse1 orphan = byBib(jump, 42, 1, distance(2.5), true);
    EXPECT_TRUE(orphan.NotAParticipantWarning);
    EXPECT_EQ(orphan.AthleteTeamIDret, 0);
    seed->db()
        .query("INSERT INTO athlete_bibs (competition_id, bib, athlete_id, position) VALUES (?, 42, ?, 1)", comp, ben)
        .run();
    EXPECT_EQ(stored(jump).back(), std::to_string(ben) + "::1:2.5");

    // With true, Anna's results under id and her other bib go.
    const setResultResponse1 viaSeven = byBib(jump, 7, 1, distance(3.3), true);
    EXPECT_EQ(viaSeven.AthleteTeamIDret, anna);
    EXPECT_EQ(stored(jump),
              (std::vector<std::string>{std::to_string(ben) + "::1:2.5", std::to_string(anna) + "::1:3.3"}));

    // The overload without the flag keeps them.
    c->das()->setResult(jump, 8, nullptr, 0, 0, distance(3.1), 1);
    EXPECT_EQ(stored(jump).size(), 3u);
}

TEST_F(StandinResults, ARankByBibThatAnotherParticipantHoldsIsRefused)
{
    byBib(jump, 9, 1, rank(1), true);
    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { byBib(jump, 7, 1, rank(1), true); }, &parameters), 122);
    EXPECT_EQ(parameters.last(), QStringLiteral("Ben Kurz"));
    // Ben's own other bib, another attempt, or without removing: no refusal.
    EXPECT_NO_THROW(byBib(jump, 9, 1, rank(1), true));
    EXPECT_NO_THROW(byBib(jump, 7, 2, rank(1), true));
    EXPECT_NO_THROW(byBib(jump, 7, 1, rank(1), false));
}

TEST_F(StandinResults, TeamDisciplinesStoreForTheTeamByIdBibAndPlace)
{
    const setResultResponse1 byTeam = c->das()->setResult(relay, 0, nullptr, 0, foxes, distance(50.0), 1);
    EXPECT_EQ(byTeam.AthleteTeamIDret, foxes);
    EXPECT_FALSE(byTeam.NotAParticipantWarning);
    // The team's place holds the same result: one per team and attempt without bib.
    EXPECT_EQ(c->das()->setResult(relay, 0, LaneHeatType{1, 1}, 0, 0, distance(49.0), 1).ResultID, byTeam.ResultID);
    // A member's bib stores for his team.
    const setResultResponse1 viaBib = byBib(relay, 9, 1, distance(48.0), false);
    EXPECT_EQ(viaBib.AthleteTeamIDret, foxes);
    EXPECT_EQ(stored(relay), (std::vector<std::string>{"0:" + std::to_string(foxes) + ",:1:49",
                                                       std::to_string(ben) + ":" + std::to_string(foxes) + ",:1:48"}));
}

TEST_F(StandinResults, NodesAreComputedAndUnknownIdsHaveNoTable)
{
    // A node of a template the stand-in does not compute has its table type and no rows.
    const int node = seed->aggregator(comp, {jump});
    EXPECT_TRUE(c->drs()->getResultTable(node).Results.empty());
    EXPECT_EQ(errorIdOf([&] { c->drs()->getResultTable(99999); }), 22);
    const getResultTableResponse1 t = c->drs()->getResultTable(jump);
    ASSERT_TRUE(t.ResultTableType);
    EXPECT_EQ(t.ResultTableType->ResultsPerRow, 3);
}

// Athletes without valid result, missing results, rank gaps and bib conflicts, asked through a
// node over both disciplines as the data view does.
TEST_F(StandinResults, TheChecksFindWhatIsMissingOrContradictory)
{
    const int squad = seed->squad(comp, 1, QStringLiteral("Rot"), 0, {foxes});
    const int dana = seed->athlete(comp, QStringLiteral("Dana"), QStringLiteral("Mohn"), owls);
    seed->placeAthlete(jump, carl);
    seed->placeAthlete(jump, dana, 2);
    const int node = seed->aggregator(comp, {jump, relay});

    byAthlete(jump, anna, 1, distance(3.0));
    byAthlete(jump, anna, 2, distance(3.1));
    byAthlete(jump, anna, 3, distance(3.2));
    byAthlete(jump, ben, 1, status(ResultInfo::na));
    byAthlete(jump, carl, 1, distance(2.0));

    // Ben has only a status, Dana nothing.
    const auto without = c->drs()->getAthletesWithoutValidSingleResults({node});
    ASSERT_EQ(without.size(), 2u);
    EXPECT_EQ(without[0].Athlete->AthleteID, ben);
    ASSERT_EQ(without[0].InvalidResults.size(), 1u);
    EXPECT_EQ(without[0].InvalidResults[0].ResultType, ResultInfo::na);
    EXPECT_EQ(without[0].InvalidResults[0].Disciplines.at(0).DisciplinID, jump);
    EXPECT_EQ(without[1].Athlete->AthleteID, dana);
    EXPECT_TRUE(without[1].InvalidResults.empty());

    // Heat 1 of the jump: Ben (squad Rot), then Carl (no squad); heat 2: Dana; the relay's foxes.
    const auto missing = c->drs()->getMissingResults({node}, 0);
    ASSERT_EQ(missing.size(), 4u);
    EXPECT_EQ(missing[0].HeatNo, 1);
    ASSERT_TRUE(missing[0].ParticipantGroup->Squad);
    EXPECT_EQ(missing[0].ParticipantGroup->Squad->SquadID, squad);
    ASSERT_EQ(missing[0].ParticipantGroup->Athletes.size(), 1u);
    EXPECT_EQ(missing[0].ParticipantGroup->Athletes[0].AthleteID, ben);
    EXPECT_EQ(missing[0].ParticipantGroup->FirstMissingAttempt, 2);
    EXPECT_FALSE(missing[1].ParticipantGroup->Squad);
    EXPECT_EQ(missing[1].ParticipantGroup->Teams.at(0).TeamID, owls);
    EXPECT_EQ(missing[2].HeatNo, 2);
    EXPECT_EQ(missing[2].ParticipantGroup->FirstMissingAttempt, 1);
    EXPECT_EQ(missing[3].Discipline->DisciplinID, relay);
    EXPECT_TRUE(missing[3].ParticipantGroup->Athletes.empty()) << "a team discipline names teams";
    EXPECT_EQ(missing[3].ParticipantGroup->Teams.at(0).TeamID, foxes);

    byAthlete(jump, ben, 2, rank(1));
    byAthlete(jump, dana, 2, rank(1));
    byAthlete(jump, carl, 2, rank(3));
    // Attempt 2 ranks 1, 1, 3: no gap. Then a lone 2 in attempt 3 is one with nobody before it.
    EXPECT_TRUE(c->drs()->checkResultRankingPlausibility({node}, 0).empty());
    byAthlete(jump, carl, 3, rank(2));
    const auto gaps = c->drs()->checkResultRankingPlausibility({node}, 0);
    ASSERT_EQ(gaps.size(), 1u);
    EXPECT_EQ(gaps[0].Attempt, 3);
    EXPECT_FALSE(gaps[0].MissingRank->Before);
    EXPECT_EQ(gaps[0].MissingRank->After->Athlete->AthleteID, carl);
    byAthlete(jump, ben, 3, rank(4));
    byAthlete(jump, anna, 3, rank(1)); // replaces her distance
    const auto between = c->drs()->checkResultRankingPlausibility({jump}, 0);
    ASSERT_EQ(between.size(), 1u) << "1, 2, 4 misses 3";
    EXPECT_EQ(between[0].MissingRank->Before->Rank, 2);
    EXPECT_EQ(between[0].MissingRank->After->Team->TeamID, foxes);

    // Anna under bibs 7 and 8: the same value is no conflict, differing ones are.
    byBib(jump, 7, 1, distance(3.0), false);
    byBib(jump, 8, 1, distance(3.0), false);
    EXPECT_TRUE(c->drs()->checkAmbiguousBibResults({node}).empty());
    byBib(jump, 8, 1, distance(3.4), false);
    const auto conflicts = c->drs()->checkAmbiguousBibResults({node});
    ASSERT_EQ(conflicts.size(), 1u);
    EXPECT_EQ(conflicts[0].Athlete->AthleteID, anna);
    EXPECT_EQ(conflicts[0].Competition->ID, comp);
    ASSERT_EQ(conflicts[0].AmbiguousBibResults.size(), 2u);
    EXPECT_EQ(conflicts[0].AmbiguousBibResults[1].Bib, 8);
}

// A ranking as a finishing order leaves it: one rank left out is one entry, however many follow.
TEST_F(StandinResults, AMissingRankIsOneEntryAndTiesAreNoGap)
{
    const int rankDisc = seed->discipline(comp, QStringLiteral("Sprint"), 0, table(3));
    std::vector<int> runners;
    for (int i = 0; i < 7; ++i)
        runners.push_back(seed->athlete(comp, QStringLiteral("Läufer %1").arg(i), QStringLiteral("R"), owls));
    // Attempt 1: 1, 2, 4, 5, 6, 7 (3 left out). Attempt 2: 1, 1, 3 and 1, 1, 2 as ties.
    const std::vector<int> order{1, 2, 4, 5, 6, 7};
    for (std::size_t i = 0; i < order.size(); ++i)
        byAthlete(rankDisc, runners[i], 1, rank(order[i]));
    for (const auto& [i, r] : std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {2, 3}})
        byAthlete(rankDisc, runners[std::size_t(i)], 2, rank(r));
    for (const auto& [i, r] : std::vector<std::pair<int, int>>{{3, 1}, {4, 1}, {5, 2}})
        byAthlete(rankDisc, runners[std::size_t(i)], 3, rank(r));

    const auto gaps = c->drs()->checkResultRankingPlausibility({rankDisc}, 0);
    ASSERT_EQ(gaps.size(), 1u);
    EXPECT_EQ(gaps[0].Attempt, 1);
    EXPECT_EQ(gaps[0].MissingRank->Before->Rank, 2);
    EXPECT_EQ(gaps[0].MissingRank->Before->Athlete->AthleteID, runners[1]);
    EXPECT_EQ(gaps[0].MissingRank->After->Rank, 4);
    EXPECT_EQ(gaps[0].MissingRank->After->Athlete->AthleteID, runners[2]);

    // A gap of two ranks in another attempt is its own one entry: 1, 1, 3, 6.
    byAthlete(rankDisc, runners[6], 2, rank(6));
    const auto two = c->drs()->checkResultRankingPlausibility({rankDisc}, 0);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[1].Attempt, 2);
    EXPECT_EQ(two[1].MissingRank->Before->Rank, 3);
    EXPECT_EQ(two[1].MissingRank->After->Rank, 6);
}

// The finishing order by bib: read back by rank with ties as typed, ranks inserted and removed.
class StandinBibRanking : public StandinResults {
protected:
    // "rank:bib" per entry of the attempt's ranking.
    std::vector<std::string> ranking(int attempt = 1)
    {
        std::vector<std::string> out;
        for (const BibRankType& e : c->drs()->getBibRanking(jump, attempt))
            out.push_back(std::to_string(e.Rank) + ":" + std::to_string(e.AssignedBib));
        return out;
    }
    using Ranks = std::vector<std::string>;
};

TEST_F(StandinBibRanking, ListsRankResultsByBibInRankThenStoringOrder)
{
    byBib(jump, 42, 1, rank(2), false);
    byBib(jump, 9, 1, rank(1), false);
    byBib(jump, 7, 1, rank(2), false); // tie on 2: 42 was typed first
    byBib(jump, 9, 2, rank(5), false);
    byBib(jump, 8, 1, distance(3.0), false);
    byAthlete(jump, ben, 1, rank(1)); // by id: not part of the finishing order
    EXPECT_EQ(ranking(), (Ranks{"1:9", "2:42", "2:7"}));
    EXPECT_EQ(ranking(2), Ranks{"5:9"});
    EXPECT_TRUE(ranking(3).empty());
    EXPECT_EQ(errorIdOf([&] { c->drs()->getBibRanking(99999, 1); }), 13);
}

TEST_F(StandinBibRanking, ShiftingInsertsOrDeletesRanksWithoutLeavingATie)
{
    byBib(jump, 7, 1, rank(1), false);
    byBib(jump, 9, 1, rank(2), false);
    byBib(jump, 42, 1, rank(2), false);
    const int last = byBib(jump, 8, 1, rank(4), false).ResultID;
    byBib(jump, 9, 2, rank(2), false);
    c->cms()->setUiInfo(QStringLiteral("Bemerkung"), QStringLiteral("Ziel"), last);

    // Insert above rank 2: the tie and everything after it move back.
    c->das()->shiftRanking(jump, 1, 2, 1);
    EXPECT_EQ(ranking(), (Ranks{"1:7", "3:9", "3:42", "5:8"}));
    EXPECT_EQ(ranking(2), Ranks{"2:9"}) << "other attempts stay";

    // Delete the tie row (two bibs on rank 3): ranks 3 and 4 go, 5 moves onto 3.
    c->das()->shiftRanking(jump, 1, 5, -2);
    EXPECT_EQ(ranking(), (Ranks{"1:7", "3:8"}));
    EXPECT_EQ(seed->count("SELECT rank FROM results WHERE id = ?", last), 3) << "the result id stays";
    EXPECT_EQ(uiInfos(last), 1);

    // Delete rank 1: its result goes with its UI infos, 3 moves to 2.
    const int first = byBib(jump, 7, 1, rank(1), false).ResultID;
    c->cms()->setUiInfo(QStringLiteral("Bemerkung"), QStringLiteral("Start"), first);
    c->das()->shiftRanking(jump, 1, 2, -1);
    EXPECT_EQ(ranking(), Ranks{"2:8"});
    EXPECT_EQ(uiInfos(first), 0);

    // Removing the last row: nothing follows, its rank is only deleted.
    c->das()->shiftRanking(jump, 1, 3, -1);
    EXPECT_TRUE(ranking().empty());
}

TEST_F(StandinBibRanking, AShiftBelowRankOneOrOfAnUnknownDisciplineIsRefusedAndChangesNothing)
{
    byBib(jump, 7, 1, rank(1), false);
    byBib(jump, 9, 1, rank(3), false);
    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { c->das()->shiftRanking(jump, 1, 3, -3); }, &parameters), 1304);
    EXPECT_EQ(parameters, (QStringList{QStringLiteral("1"), QStringLiteral("Weitsprung"), QStringLiteral("-3"),
                                       QStringLiteral("3")}));
    EXPECT_EQ(ranking(), (Ranks{"1:7", "3:9"})) << "the overrun rank 1 stays";
    EXPECT_EQ(errorIdOf([&] { c->das()->shiftRanking(jump, 1, 1, -1); }), 1304);
    EXPECT_EQ(errorIdOf([&] { c->das()->shiftRanking(99999, 1, 1, 1); }), 13);
    // Nothing at or after the start: nothing falls below 1, the overrun ranks still go.
    c->das()->shiftRanking(jump, 1, 4, -2);
    EXPECT_EQ(ranking(), Ranks{"1:7"});

    const getExceptionMessagesResponse1 texts = c->drs()->getExceptionMessages(0);
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const ExceptionMessageType& m) {
        return m.ExceptionID == 1304 && m.ExceptionMessage.contains(QStringLiteral("fiele unter 1"));
    }));
}
