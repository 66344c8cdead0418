// The competition-list window's requests on their road against the stand-in, without a window:
// timing numbers from the competition's counter, the refusals each command asks about in its own
// words, and what a response carries when its calls fail.

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "organisation/DisciplinListRequests.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TestUtil.h"

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;
using enum TDiscListRequestType;

namespace {

struct Finished {
    std::unique_ptr<TDiscListResponse> response;
    TRequestOutcome outcome;
};

class DiscListRequests : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitComm();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        comp = seed->competition(QStringLiteral("Sportfest"));
        u10 = seed->ageClass(comp, QStringLiteral("U10"));
        sprint = seed->discipline(comp, QStringLiteral("Sprint"), u10);
        jump = seed->discipline(comp, QStringLiteral("Weitsprung"), u10);
        team = seed->team(comp, QStringLiteral("Füchse"), u10);
        for (int i = 0; i < 3; ++i)
            athletes.push_back(seed->athlete(comp, QStringLiteral("A%1").arg(i), QStringLiteral("B"), team));
        auto record = std::make_unique<CompetitionType>();
        record->ID = comp;
        competition.SetCompetitionInternal(std::move(record));
        road = std::make_unique<TDiscListRoad>(context, discListRequests(), &window,
                                               [this](std::unique_ptr<TDiscListResponse> r, const TRequestOutcome& o) {
                                                   finished.push_back({std::move(r), o});
                                               });
    }
    void TearDown() override
    {
        road.reset();
        EXPECT_TRUE(recorder.confirmation.allAnswered());
    }

    // Sends and waits for the window's finished function.
    const Finished& run(std::unique_ptr<TDiscListRequest> request, TTransactionMode mode = TTransactionMode::tm_None)
    {
        const std::size_t before = finished.size();
        road->AddRequest(std::move(request), mode);
        EXPECT_TRUE(waitUntil([&] { return road->pending() == 0 && runningRequestCount() == 0; }, 10000));
        EXPECT_GT(finished.size(), before);
        return finished.back();
    }
    int timingId(int discipline)
    {
        const Finished& f = run(makeDiscListRequest(rt_getDiscTimingID, discipline), TTransactionMode::tm_readwrite);
        EXPECT_TRUE(f.outcome.ok()) << f.outcome.error.toStdString();
        return f.response ? f.response->DisciplinTimingId : -1;
    }
    QString uiInfo(const QString& key, int id) { return standin.client().drs()->getUiInfo(key, id).Value; }
    void setUiInfo(const QString& key, int id, const QString& value)
    {
        StandinClient c(standin.port());
        c.cms()->setUiInfo(key, value, id);
    }
    std::vector<int> placed(int discipline)
    {
        std::vector<int> ids;
        for (const HeatParticipantsType& h : standin.client().drs()->getDisciplinParticipants(discipline, 0).HeatList)
            for (const VersionedParticipantsType& p : h.VersionedParticipants)
                ids.push_back(p.Athlete ? p.Athlete->AthleteID : 0);
        return ids;
    }

    StandinHarness standin;
    std::unique_ptr<StandinSeed> seed;
    int comp = 0, u10 = 0, sprint = 0, jump = 0, team = 0;
    std::vector<int> athletes;
    TCurrentCompetition competition;
    TRequestContext context{competition};
    RecordingContext recorder{context};
    QObject window;
    std::vector<Finished> finished;
    std::unique_ptr<TDiscListRoad> road;
};

} // namespace

TEST_F(DiscListRequests, TimingNumbersComeFromTheCompetitionsCounterOncePerDiscipline)
{
    EXPECT_EQ(timingId(sprint), 1);
    EXPECT_EQ(timingId(sprint), 1);
    EXPECT_EQ(timingId(jump), 2);
    EXPECT_EQ(uiInfo(QStringLiteral("NextDiscTimingId"), comp), QStringLiteral("3"));
    EXPECT_EQ(uiInfo(QStringLiteral("DiscTimingId"), jump), QStringLiteral("2"));

    // A number of 0 or less, or none that reads, counts as none; a broken counter starts at 1.
    setUiInfo(QStringLiteral("DiscTimingId"), jump, QStringLiteral("0"));
    EXPECT_EQ(timingId(jump), 3);
    setUiInfo(QStringLiteral("DiscTimingId"), jump, QStringLiteral("x"));
    setUiInfo(QStringLiteral("NextDiscTimingId"), comp, QStringLiteral("-4"));
    EXPECT_EQ(timingId(jump), 1);
    EXPECT_EQ(uiInfo(QStringLiteral("NextDiscTimingId"), comp), QStringLiteral("2"));
}

TEST_F(DiscListRequests, EachCommandAsksAboutAResultsRefusalInItsOwnWordsAndSendsItAgainForced)
{
    for (int id : athletes)
        seed->placeAthlete(sprint, id);
    seed->result(sprint, athletes[1]);

    auto remove = makeDiscListRequest(rt_setPosition, sprint, true);
    remove->AthleteId = {athletes[0], athletes[1]};
    remove->PosInHeat = -1;
    recorder.confirmation.expect({.confirmed = true});
    const Finished& removed = run(std::move(remove));
    EXPECT_TRUE(removed.outcome.ok()) << removed.outcome.error.toStdString();
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Athleten mit Ergebnissen entfernen?"));
    EXPECT_FALSE(recorder.confirmation.asked[0].applyToAllOffered);
    ASSERT_TRUE(removed.response);
    EXPECT_TRUE(removed.response->AthletesChanged);
    EXPECT_EQ(removed.response->AthleteId, (std::vector<int>{athletes[0], athletes[1]}));
    EXPECT_EQ(placed(sprint), std::vector<int>{athletes[2]});

    // The same id refusing a squad's removal is its own question.
    const int squad = seed->squad(comp, 1, QString(), u10, {team});
    seed->assignSquad(sprint, squad);
    seed->result(sprint, athletes[2]);
    auto unassign = makeDiscListRequest(rt_unassignSquads, sprint, true);
    unassign->squadIds = {squad};
    recorder.confirmation.expect({.confirmed = false});
    const Finished& kept = run(std::move(unassign));
    ASSERT_EQ(recorder.confirmation.asked.size(), 2u);
    EXPECT_EQ(recorder.confirmation.asked[1].caption, QStringLiteral("Riege mit Ergebnissen entfernen?"));
    EXPECT_TRUE(recorder.confirmation.asked[1].text.startsWith(QStringLiteral("Athleten der zu entfernenden Riege")));
    EXPECT_TRUE(kept.outcome.declined);
    EXPECT_EQ(placed(sprint), std::vector<int>{athletes[2]});
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(DiscListRequests, FittingSquadsReplaceTheRequestsSquadsAndFailuresKeepTheDiscipline)
{
    const int fitting = seed->squad(comp, 1, QString(), u10, {team});
    const int u12 = seed->ageClass(comp, QStringLiteral("U12"));
    seed->squad(comp, 2, QString(), u12);
    auto request = makeDiscListRequest(rt_assignFittingSquad, sprint);
    request->squadIds = {4711};
    const Finished& f = run(std::move(request), TTransactionMode::tm_readwrite);
    ASSERT_TRUE(f.outcome.ok()) << f.outcome.error.toStdString();
    EXPECT_EQ(f.response->squadIds, std::vector<int>{fitting});
    EXPECT_EQ(placed(sprint), athletes);

    // A discipline that is gone: error 13, and the response still names the discipline asked for.
    auto lost = makeDiscListRequest(rt_getList, sprint + 1000);
    const Finished& failed = run(std::move(lost), TTransactionMode::tm_readonly);
    EXPECT_EQ(failed.outcome.errorId, 13);
    ASSERT_TRUE(failed.response);
    EXPECT_EQ(failed.response->DisciplinId, sprint + 1000);
    EXPECT_EQ(failed.outcome.command, int(rt_getList));
}
