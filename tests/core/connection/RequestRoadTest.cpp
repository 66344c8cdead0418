// The typed request road against the stand-in over real HTTP on loopback: one small window's
// requests declared as a table, refusals answered through the batch confirmation.

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/connection/RequestRoad.h"
#include "standin/StandinServer.h"
#include "tests/support/CompetitionRequests.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestUtil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

// ---- the test's "window" ----

struct Finished {
    std::unique_ptr<TCompetitionResponse> response;
    TRequestOutcome outcome;
};

class RequestRoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        InitComm();
        competitionWorkerCalls = 0;
        standin::StandinOptions options;
        options.port = 0;
        options.dataFile = (dir.path() + QStringLiteral("/standin.db")).toStdString();
        server = std::make_unique<standin::StandinServer>(options);
        competitionUrlHolderInstance().setServerUrl(QStringLiteral("127.0.0.1:%1").arg(server->port()));
        road = std::make_unique<Road>(context, competitionRequests(), &window,
                                      [this](std::unique_ptr<TCompetitionResponse> r, const TRequestOutcome& o) {
                                          // What a window does with a chain: the next item after each success.
                                          if (o.ok() && r)
                                              road->continueBatch(*r);
                                          finished.push_back({std::move(r), o});
                                      });
    }
    void TearDown() override
    {
        road.reset();
        EXPECT_TRUE(recorder.confirmation.allAnswered());
        CommTimeouts::channelWaitMs = 35000;
    }

    using Road = TRequestRoad<TCompetitionRequest, TCompetitionResponse>;

    bool settled()
    {
        return waitUntil([this] { return road->pending() == 0 && runningRequestCount() == 0; }, 10000);
    }
    QStringList names()
    {
        road->AddRequest(competitionRequest(rt_list), TTransactionMode::tm_readonly);
        EXPECT_TRUE(settled());
        return finished.back().response ? finished.back().response->names : QStringList{};
    }

    QTemporaryDir dir;
    std::unique_ptr<standin::StandinServer> server;
    TCurrentCompetition competition;
    TRequestContext context{competition};
    RecordingContext recorder{context};
    QObject window;
    std::vector<Finished> finished;
    std::unique_ptr<Road> road;
};

} // namespace

TEST_F(RequestRoadTest, TypedRequestsComeBackWithTheirCommandAndTheNameShownWhileWaiting)
{
    const quint32 first =
        road->AddRequest(competitionRequest(rt_create, QStringLiteral("Sportfest")), TTransactionMode::tm_readwrite);
    EXPECT_EQ(first, 2u);
    EXPECT_EQ(recorder.waits.shown, QStringList{QStringLiteral("Veranstaltung anlegen")});
    ASSERT_TRUE(settled());
    EXPECT_TRUE(recorder.waits.shown.isEmpty());

    ASSERT_EQ(finished.size(), 1u);
    EXPECT_TRUE(finished[0].outcome.ok());
    EXPECT_EQ(finished[0].outcome.requestId, first);
    EXPECT_EQ(finished[0].outcome.command, int(rt_create));
    ASSERT_TRUE(finished[0].response);
    EXPECT_EQ(finished[0].response->reqType, rt_create);
    EXPECT_GT(finished[0].response->createdId, 0);
    EXPECT_EQ(names(), QStringList{QStringLiteral("Sportfest")});
    EXPECT_EQ(recorder.waits.log, (QStringList{"+Veranstaltung anlegen", "-Veranstaltung anlegen"}))
        << "only a command marked for it shows its name while waiting";
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(RequestRoadTest, AServerRefusalOutsideTheForceTableGoesToTheWindowAndIsReportedUnderTheRequestName)
{
    road->AddRequest(competitionRequest(rt_create, QStringLiteral("Doppelt")), TTransactionMode::tm_None);
    ASSERT_TRUE(settled());
    // A single item without a chain, answered "Abbrechen": the refusal is the window's to report.
    recorder.confirmation.expect({.cancel = true});
    road->AddRequest(competitionRequest(rt_create, QStringLiteral("Doppelt")), TTransactionMode::tm_readwrite);
    ASSERT_TRUE(settled());

    ASSERT_EQ(finished.size(), 2u);
    const TRequestOutcome& o = finished[1].outcome;
    EXPECT_FALSE(o.ok());
    EXPECT_FALSE(o.declined);
    EXPECT_EQ(o.errorId, kNameInUse);
    EXPECT_EQ(o.parameters, QStringList{QStringLiteral("Doppelt")});
    ASSERT_TRUE(finished[1].response);
    EXPECT_EQ(finished[1].response->reqType, rt_create);
    EXPECT_FALSE(recorder.confirmation.asked[0].applyToAllOffered) << "a single item has no rest to apply it to";

    road->report(o);
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    const RecordedMessage& m = recorder.messages.messages[0];
    EXPECT_EQ(m.caption, QStringLiteral("Veranstaltung anlegen"));
    EXPECT_EQ(m.errorId, kNameInUse);
    EXPECT_EQ(m.parameters, o.parameters);
    EXPECT_EQ(m.text, o.error);
    EXPECT_EQ(m.form, &window);
}

TEST_F(RequestRoadTest, WorkersReadTheCurrentCompetitionAndFailLikeTheServerWithoutOne)
{
    road->AddRequest(competitionRequest(rt_label, QStringLiteral("Ohne")), TTransactionMode::tm_None);
    ASSERT_TRUE(settled());
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].outcome.error, QStringLiteral("Keine Veranstaltung geladen"));
    EXPECT_EQ(finished[0].outcome.errorId, -1);
    EXPECT_TRUE(recorder.waits.log.isEmpty()) << "this command is not shown while waiting";

    auto chosen = std::make_unique<CompetitionType>();
    chosen->ID = 7;
    competition.SetCompetitionInternal(std::move(chosen));
    road->AddRequest(competitionRequest(rt_label, QStringLiteral("Mit")), TTransactionMode::tm_None);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(finished[1].outcome.ok());
    EXPECT_EQ(GetDataRetrievalPortType(false, competitionUrlHolderInstance().getFullUrl(TTVPWebServices::DRS), nullptr)
                  ->getUiInfo(QStringLiteral("Label"), 7)
                  .Value,
              QStringLiteral("Mit"));
}

TEST_F(RequestRoadTest, RefusedItemsOfAChainAreForcedSkippedOrEndTheChainAsTheUserAnswers)
{
    // One after the other, so the server numbers them in this order.
    for (const QString& name : {QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("D"), QStringLiteral("E")}) {
        road->AddRequest(competitionRequest(rt_create, name), TTransactionMode::tm_None);
        ASSERT_TRUE(settled());
    }
    finished.clear();

    // A: "Ja" (forced); B: new; C: "Nein" for all, so D is skipped without a question; E (the last
    // item) is not asked either and ends the chain as declined.
    recorder.confirmation.expect({.confirmed = true});
    recorder.confirmation.expect({.confirmed = false, .applyToAll = true});
    road->AddRequest(competitionChain(rt_create, {"A", "B", "C", "D", "E"}), TTransactionMode::tm_None);
    ASSERT_TRUE(settled());

    ASSERT_EQ(recorder.confirmation.asked.size(), 2u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Veranstaltung anlegen"));
    EXPECT_EQ(recorder.confirmation.asked[0].text, kReplaceQuestion);
    EXPECT_TRUE(recorder.confirmation.asked[0].applyToAllOffered);

    // The window heard of A (forced), B, and the declined end of the chain; not of the skipped items.
    ASSERT_EQ(finished.size(), 3u);
    EXPECT_TRUE(finished[0].outcome.ok());
    EXPECT_TRUE(finished[1].outcome.ok());
    EXPECT_FALSE(finished[2].outcome.ok());
    EXPECT_TRUE(finished[2].outcome.declined);
    EXPECT_EQ(finished[2].outcome.errorId, kNameInUse);
    EXPECT_TRUE(recorder.waits.shown.isEmpty()) << "every wait text closed again";

    // A was replaced (a new id), C, D and E stayed as they were.
    EXPECT_EQ(names(), (QStringList{"C", "D", "E", "A", "B"}));
}

TEST_F(RequestRoadTest, ARuleOfOneCommandAsksOnlyForItAndUnderItsOwnCaption)
{
    // The same refusal means another thing for another command: only the rule of the request's
    // command is asked, with its own caption.
    static const TRequestTable<TCompetitionRequest, TCompetitionResponse> table{
        competitionRequests().commands,
        {
            {kNameInUse,
             &TCompetitionRequest::replaceExisting,
             QStringLiteral("Nur beim Umbenennen"),
             {},
             int(rt_label)},
            {kNameInUse, &TCompetitionRequest::replaceExisting, kReplaceQuestion, QStringLiteral("Gleicher Name"),
             int(rt_create)},
        },
    };
    road = std::make_unique<Road>(context, table, &window,
                                  [this](std::unique_ptr<TCompetitionResponse> r, const TRequestOutcome& o) {
                                      finished.push_back({std::move(r), o});
                                  });
    road->AddRequest(competitionRequest(rt_create, QStringLiteral("A")), TTransactionMode::tm_None);
    ASSERT_TRUE(settled());
    recorder.confirmation.expect({.confirmed = false});
    road->AddRequest(competitionRequest(rt_create, QStringLiteral("A")), TTransactionMode::tm_None);
    ASSERT_TRUE(settled());
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Gleicher Name"));
    EXPECT_EQ(recorder.confirmation.asked[0].text, kReplaceQuestion);
}

TEST_F(RequestRoadTest, WithoutAChannelSlotTheWindowGetsNoResponseButKnowsTheCommand)
{
    CommTimeouts::channelWaitMs = 200;
    AquireChannel();
    AquireChannel();
    road->AddRequest(competitionRequest(rt_list), TTransactionMode::tm_readonly);
    const bool done = waitUntil([this] { return !finished.empty(); }, 5000);
    ReleaseChannel();
    ReleaseChannel();
    ASSERT_TRUE(done);
    EXPECT_FALSE(finished[0].response);
    EXPECT_FALSE(finished[0].outcome.answered);
    EXPECT_EQ(finished[0].outcome.command, int(rt_list));
    EXPECT_EQ(finished[0].outcome.error, kErrChannelTimeout);
    EXPECT_TRUE(recorder.waits.shown.isEmpty());
    EXPECT_EQ(competitionWorkerCalls, 0);
    // The road names a request that never reached its worker itself.
    road->report(finished[0].outcome);
    EXPECT_EQ(recorder.messages.lines(), QStringList{QStringLiteral("Kommunikationsfehler: ") + kErrChannelTimeout});
}

TEST_F(RequestRoadTest, AFailedTransactionStartGivesAnEmptyResponseWithoutRunningTheWorker)
{
    server.reset();
    road->AddRequest(competitionRequest(rt_create, QStringLiteral("Niemand da")), TTransactionMode::tm_readwrite);
    ASSERT_TRUE(settled());
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_TRUE(finished[0].outcome.error.startsWith(kErrBeginTransaction));
    ASSERT_TRUE(finished[0].response);
    EXPECT_EQ(finished[0].response->reqType, rt_create);
    EXPECT_EQ(finished[0].response->createdId, 0);
    EXPECT_EQ(competitionWorkerCalls, 0);
}

TEST_F(RequestRoadTest, NoCallbackAfterTheRoadIsGoneAndItsWaitTextIsClosed)
{
    road->AddRequest(competitionRequest(rt_create, QStringLiteral("Verlassen")), TTransactionMode::tm_readwrite);
    ASSERT_EQ(recorder.waits.shown, QStringList{QStringLiteral("Veranstaltung anlegen")});
    road.reset();
    EXPECT_TRUE(recorder.waits.shown.isEmpty());
    EXPECT_EQ(recorder.waits.log, (QStringList{"+Veranstaltung anlegen", "-Veranstaltung anlegen"}));
    EXPECT_TRUE(waitUntil([] { return runningRequestCount() == 0; }, 10000));
    EXPECT_TRUE(finished.empty());
}
