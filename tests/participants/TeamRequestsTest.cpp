// The age-class and team requests through the request road against the stand-in (real HTTP on
// loopback), and the refusals the team window asks about, each under its own caption and only for
// its own request. Athlete assignment is checked against the typed fake server: modifyAthlete is
// the athlete area's stand-in operation.

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "participants/AgeClassRequests.h"
#include "participants/TeamRequests.h"
#include "standin/ErrorMessages.h"
#include "tests/support/FakeServer.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TestUtil.h"

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

template <class Request, class Response>
class Window {
public:
    using Road = TRequestRoad<Request, Response>;
    struct Finished {
        std::unique_ptr<Response> response;
        TRequestOutcome outcome;
    };

    Window(TRequestContext& context, const TRequestTable<Request, Response>& table)
        : road(context, table, &object, [this](std::unique_ptr<Response> r, const TRequestOutcome& o) {
              // What a window does with a chain: the next item after each success.
              if constexpr (Road::kBatch)
                  if (o.ok() && r)
                      road.continueBatch(*r);
              finished.push_back({std::move(r), o});
          })
    {
    }

    void send(std::unique_ptr<Request> r, TTransactionMode mode = TTransactionMode::tm_None)
    {
        road.AddRequest(std::move(r), mode);
        EXPECT_TRUE(waitUntil([this] { return road.pending() == 0 && runningRequestCount() == 0; }, 10000));
    }

    QObject object;
    std::vector<Finished> finished;
    Road road;
};

class TeamRequests : public StandinTest {
protected:
    void SetUp() override
    {
        InitComm();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        competitionId = client->create(QStringLiteral("Sportfest"));
        auto chosen = std::make_unique<CompetitionType>();
        chosen->ID = competitionId;
        competition.SetCompetitionInternal(std::move(chosen));
        seed = std::make_unique<StandinSeed>(standin.dataFile());
    }
    void TearDown() override { EXPECT_TRUE(recorder.confirmation.allAnswered()); }

    int ageClassNamed(const QString& name)
    {
        AgeClassInfoType info;
        info.Name = name;
        return client->cms()->createAgeClass(info, competitionId).AgeClass->AgeClassID;
    }
    int teamNamed(const QString& name, int ageClass)
    {
        TeamInfoDataType info;
        info.Name = name;
        return client->das()->addTeam(info, ageClass, 0).Team->TeamID;
    }
    int teams() { return seed->value("SELECT COUNT(*) FROM teams WHERE competition_id = ?", competitionId); }

    TCurrentCompetition competition;
    TRequestContext context{competition};
    RecordingContext recorder{context};
    std::unique_ptr<StandinClient> client;
    std::unique_ptr<StandinSeed> seed;
    int competitionId = 0;
};

} // namespace

TEST_F(TeamRequests, AgeClassesAreCreatedChangedAndTheirRemovalInUseIsReportedByName)
{
    Window<TAgeRequest, TAgeResponse> w(context, ageClassRequests());
    TAgeClassEditor e;
    e.name = QStringLiteral("U10");
    e.fee = QStringLiteral("12,5");
    e.minimum = 4;
    w.send(getRequestFromUI(TAgeRequestType::rt_create, e, QLocale(), nullptr));
    ASSERT_EQ(w.finished.size(), 1u);
    ASSERT_TRUE(w.finished[0].outcome.ok()) << w.finished[0].outcome.error.toStdString();
    const int id = w.finished[0].response->AgeClassID;
    EXPECT_GT(id, 0);
    EXPECT_TRUE(recorder.waits.log.isEmpty()) << "saves show no wait window";

    e.maximum = 6;
    auto modify = getRequestFromUI(TAgeRequestType::rt_modify, e, QLocale(), nullptr);
    modify->id = id;
    w.send(std::move(modify));
    EXPECT_TRUE(w.finished[1].outcome.ok());
    EXPECT_EQ(seed->value("SELECT max_team_members FROM age_classes WHERE id = ?", id), 6);
    EXPECT_EQ(seed->value("SELECT billing_price_per_team * 100 FROM age_classes WHERE id = ?", id), 1250);

    teamNamed(QStringLiteral("Adler"), id);
    auto remove = std::make_unique<TAgeRequest>();
    remove->reqType = TAgeRequestType::rt_delete;
    remove->id = id;
    w.send(std::move(remove));
    const TRequestOutcome& refused = w.finished[2].outcome;
    EXPECT_EQ(refused.errorId, standin::errors::AgeClassInUse);
    EXPECT_EQ(refused.parameters.first(), QStringLiteral("U10"));
    EXPECT_TRUE(recorder.confirmation.asked.empty()) << "no force exists for it";
    w.road.report(refused);
    EXPECT_EQ(recorder.messages.messages.back().caption, QStringLiteral("Altersklasse löschen"));
}

TEST_F(TeamRequests, CreateAndModifySendTheEditorsTeamAndNoClubRemovesTheBillingClub)
{
    const int u10 = ageClassNamed(QStringLiteral("U10"));
    const int u12 = ageClassNamed(QStringLiteral("U12"));
    const int club = seed->club(competitionId, QStringLiteral("TV Nord"));
    Window<TTeamRequest, TTeamResponse> w(context, teamRequests());

    w.send(makeTeamRequest(TTeamRequestType::rt_create, 0, QStringLiteral(" Adler "), u10, club));
    ASSERT_TRUE(w.finished[0].outcome.ok()) << w.finished[0].outcome.error.toStdString();
    const int id = w.finished[0].response->id;
    EXPECT_GT(id, 0);
    EXPECT_EQ(seed->value("SELECT name = 'Adler' FROM teams WHERE id = ?", id), 1);
    EXPECT_EQ(seed->value("SELECT billing_club_id FROM teams WHERE id = ?", id), club);

    w.send(makeTeamRequest(TTeamRequestType::rt_modify, id, QStringLiteral("Falken"), u12, 0));
    ASSERT_TRUE(w.finished[1].outcome.ok());
    EXPECT_EQ(w.finished[1].response->id, id);
    EXPECT_EQ(seed->value("SELECT billing_club_id IS NULL AND name = 'Falken' FROM teams WHERE id = ?", id), 1);
    EXPECT_EQ(seed->value("SELECT age_class_id FROM teams WHERE id = ?", id), u12);
}

TEST_F(TeamRequests, DeletingSeveralTeamsAsksPerRefusalAndAppliesTheAnswerToTheRest)
{
    const int u10 = ageClassNamed(QStringLiteral("U10"));
    std::vector<int> ids;
    for (const char* name : {"A-leer", "B-voll", "C-voll", "D-voll"})
        ids.push_back(teamNamed(QString::fromLatin1(name), u10));
    for (int i = 1; i < 4; ++i)
        seed->athlete(competitionId, QStringLiteral("Kim"), QStringLiteral("Muster"), ids[std::size_t(i)]);
    Window<TTeamRequest, TTeamResponse> w(context, teamRequests());

    // B: "Ja" for all, so C and D go without a question.
    recorder.confirmation.expect({.confirmed = true, .applyToAll = true});
    w.send(makeTeamDeleteChain(ids));
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Team löschen"));
    EXPECT_TRUE(recorder.confirmation.asked[0].text.startsWith(QStringLiteral("Dem Team sind Athleten zugewiesen.")));
    EXPECT_TRUE(recorder.confirmation.asked[0].applyToAllOffered);
    EXPECT_EQ(teams(), 0);
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM athletes WHERE competition_id = ?", competitionId), 0);
    for (const auto& f : w.finished)
        EXPECT_TRUE(f.outcome.ok());
}

TEST_F(TeamRequests, ADeclinedRefusalLeavesTheTeamAndTheLastDeclineEndsTheChainAsDeclined)
{
    const int u10 = ageClassNamed(QStringLiteral("U10"));
    const int full = teamNamed(QStringLiteral("Voll"), u10);
    const int empty = teamNamed(QStringLiteral("Leer"), u10);
    const int last = teamNamed(QStringLiteral("Auch voll"), u10);
    seed->athlete(competitionId, QStringLiteral("Ida"), QStringLiteral("Voll"), full);
    seed->athlete(competitionId, QStringLiteral("Eva"), QStringLiteral("Voll"), last);
    Window<TTeamRequest, TTeamResponse> w(context, teamRequests());

    recorder.confirmation.expect({.confirmed = false});
    recorder.confirmation.expect({.confirmed = false});
    w.send(makeTeamDeleteChain({full, empty, last}));
    EXPECT_EQ(recorder.confirmation.asked.size(), 2u);
    EXPECT_FALSE(recorder.confirmation.asked[1].applyToAllOffered) << "nothing follows the last team";
    EXPECT_EQ(teams(), 2);
    ASSERT_FALSE(w.finished.empty());
    EXPECT_TRUE(w.finished.back().outcome.declined);
    EXPECT_EQ(w.finished.back().outcome.errorId, standin::errors::TeamHasAthletes);
}

TEST_F(TeamRequests, AnAgeClassChangeAgainstTheSquadIsAskedUnderTheTeamDataCaption)
{
    const int u10 = ageClassNamed(QStringLiteral("U10"));
    const int u12 = ageClassNamed(QStringLiteral("U12"));
    const int id = teamNamed(QStringLiteral("Adler"), u10);
    seed->squad(competitionId, 1, QString(), u10, {id});
    Window<TTeamRequest, TTeamResponse> w(context, teamRequests());

    recorder.confirmation.expect({.confirmed = false});
    w.send(makeTeamRequest(TTeamRequestType::rt_modify, id, QStringLiteral("Adler"), u12, 0));
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Teamdaten ändern"));
    EXPECT_TRUE(w.finished.back().outcome.declined);
    EXPECT_EQ(w.finished.back().outcome.errorId, 67);
    EXPECT_EQ(seed->value("SELECT age_class_id FROM teams WHERE id = ?", id), u10);

    recorder.confirmation.expect({.confirmed = true});
    w.send(makeTeamRequest(TTeamRequestType::rt_modify, id, QStringLiteral("Adler"), u12, 0));
    EXPECT_TRUE(w.finished.back().outcome.ok());
    EXPECT_EQ(seed->value("SELECT age_class_id FROM teams WHERE id = ?", id), u12);
}

TEST(TeamAssignRequests, ARefusalOfOneAthleteResendsTheWholeListWithItsForceFlag)
{
    InitComm();
    FakeServerInstall fake;
    fake->acceptTransactions();
    competitionUrlHolderInstance().setServerUrl(QStringLiteral("127.0.0.1:1"));
    TCurrentCompetition competition;
    auto chosen = std::make_unique<CompetitionType>();
    chosen->ID = 5;
    competition.SetCompetitionInternal(std::move(chosen));
    TRequestContext context{competition};
    RecordingContext recorder{context};
    // The second athlete has results in a discipline the new team is not entered for.
    fake->on<op::modifyAthlete>([](const op::modifyAthlete& a) {
        if (a.AthleteID == 12 && !a.forceRemoveAssignedResults)
            throw FakeFault{45, {}};
    });
    Window<TTeamRequest, TTeamResponse> w(context, teamRequests());

    recorder.confirmation.expect({.confirmed = true});
    w.send(makeAssignAthletes(7, {11, 12}), TTransactionMode::tm_readwrite);
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("AthletIn Team zuweisen"));
    EXPECT_TRUE(recorder.confirmation.asked[0].text.startsWith(QStringLiteral("Dem Athleten sind schon Ergebnisse")));
    ASSERT_TRUE(w.finished.back().outcome.ok());

    const std::vector<op::modifyAthlete> calls = fake->callsOf<op::modifyAthlete>();
    ASSERT_EQ(calls.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(calls[i].AthleteID, i % 2 == 0 ? 11 : 12);
        EXPECT_EQ(calls[i].TeamID, 7);
        EXPECT_FALSE(calls[i].RemoveTeam);
        EXPECT_FALSE(calls[i].AthleteInfo) << "no athlete data: only the team changes";
        EXPECT_EQ(calls[i].forceRemoveAssignedResults, i >= 2);
        EXPECT_FALSE(calls[i].ForceAmbiguousBibTeam);
        EXPECT_FALSE(calls[i].RemoveClub);
    }
    // The first attempt ran in one transaction, rolled back; the forced one runs in one of its own.
    const std::vector<std::string> ops = fake->operations();
    EXPECT_EQ(ops.front(), "beginTransaction");
    EXPECT_NE(std::find(ops.begin(), ops.end(), "rollbackTransaction"), ops.end());

    // An id of another request's table is not asked about here.
    fake->fault<op::removeTeam>(45);
    w.send(makeTeamDeleteChain({7}));
    EXPECT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(w.finished.back().outcome.errorId, 45);
    EXPECT_FALSE(w.finished.back().outcome.declined);
}
