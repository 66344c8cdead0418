#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/protocol/SoapHeader.h"
#include "core/protocol/TVPWebServices2.h"
#include "tests/support/FakeServer.h"
#include "tests/support/TestUtil.h"

#include <QThread>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

using namespace tvp;
using namespace tvp::proto;
using tvp::test::FakeServerInstall;
using tvp::test::waitUntil;

namespace {

struct Req : TRequest {
    explicit Req(bool* destroyed = nullptr) : destroyed(destroyed) {}
    ~Req() override
    {
        if (destroyed)
            *destroyed = true;
    }
    bool* destroyed;
};
struct Resp : TResponse {
    int calls = 0;
};

struct Outcome {
    bool done = false;
    bool hadResponse = false;
    QString error;
    int id = -1;
    QStringList params;
    quint32 requestId = 0;
    bool onGuiThread = false;
};

class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitComm();
        fake->acceptTransactions();
        fake->answer<op::getCompetitions>(getCompetitionsResponse1{});
        competitionUrlHolderInstance().setServerUrl(QStringLiteral("127.0.0.1:8080"));
        runner = std::make_unique<TCommunicationThread>();
        runner->commandCallback = [this](THTTPRIO* rio, TRequest*, std::unique_ptr<TResponse>& response,
                                         TSoapThread* thread) {
            response = std::make_unique<Resp>();
            if (!thread)
                return;
            command(rio);
        };
        runner->OnFinished = [this](std::unique_ptr<TResponse> r, const QString& e, int id, const QStringList& p,
                                    quint32 rid) {
            Outcome& o = outcomes[rid];
            o = {true, r != nullptr, e, id, p, rid, QThread::currentThread() == qApp->thread()};
        };
    }
    void TearDown() override
    {
        runner.reset();
        CommTimeouts::channelWaitMs = 35000;
        InitComm();
    }

    Outcome run(TTransactionMode mode)
    {
        const quint32 id = runner->AddRequest(std::make_unique<Req>(), mode);
        EXPECT_TRUE(waitUntil([&] { return outcomes[id].done; }));
        return outcomes[id];
    }

    std::function<void(THTTPRIO*)> command = [](THTTPRIO* rio) {
        GetDataRetrievalPortType(false, competitionUrlHolderInstance().getFullUrl(TTVPWebServices::DRS), rio)
            ->getCompetitions();
    };
    FakeServerInstall fake;
    std::unique_ptr<TCommunicationThread> runner;
    std::map<quint32, Outcome> outcomes;
};

using Ops = std::vector<std::string>;

} // namespace

TEST_F(RunnerTest, TransactionCallsFollowTheMode)
{
    EXPECT_EQ(run(TTransactionMode::tm_None).error, QString());
    EXPECT_EQ(fake->operations(), (Ops{"getCompetitions"}));

    fake->clearRequests();
    run(TTransactionMode::tm_readonly);
    EXPECT_EQ(fake->operations(), (Ops{"beginTransaction", "getCompetitions", "rollbackTransaction"}));

    fake->clearRequests();
    const Outcome ok = run(TTransactionMode::tm_readwrite);
    EXPECT_EQ(fake->operations(), (Ops{"beginTransaction", "getCompetitions", "commitTransaction"}));
    EXPECT_TRUE(ok.hadResponse);
    EXPECT_TRUE(ok.onGuiThread);
}

TEST_F(RunnerTest, AnyFailureIsFollowedByOneRollback)
{
    fake->fault<op::getCompetitions>(45, {QStringLiteral("erster"), QStringLiteral("zweiter")},
                                     QStringLiteral("kaputt"));
    for (auto mode : {TTransactionMode::tm_None, TTransactionMode::tm_readonly, TTransactionMode::tm_readwrite}) {
        fake->clearRequests();
        const Outcome o = run(mode);
        EXPECT_EQ(o.error, QStringLiteral("kaputt"));
        EXPECT_EQ(o.id, 45);
        EXPECT_EQ(o.params, (QStringList{QStringLiteral("erster"), QStringLiteral("zweiter")}));
        const Ops ops = fake->operations();
        ASSERT_FALSE(ops.empty());
        EXPECT_EQ(ops.back(), "rollbackTransaction");
        EXPECT_EQ(std::count(ops.begin(), ops.end(), "rollbackTransaction"), 1);
        EXPECT_EQ(std::count(ops.begin(), ops.end(), "commitTransaction"), 0);
    }
}

TEST_F(RunnerTest, FailedRollbackIsNotReportedButFailedCommitIs)
{
    fake->fault<op::getCompetitions>(45, {}, QStringLiteral("weg"));
    fake->fault<op::rollbackTransaction>(45, {}, QStringLiteral("weg auch"));
    EXPECT_EQ(run(TTransactionMode::tm_readwrite).error, QStringLiteral("weg"));

    fake->answer<op::getCompetitions>(getCompetitionsResponse1{});
    fake->answer<op::rollbackTransaction>();
    fake->fault<op::commitTransaction>(45, {}, QStringLiteral("nein"));
    const Outcome o = run(TTransactionMode::tm_readwrite);
    EXPECT_EQ(o.error, QStringLiteral("nein"));
    EXPECT_EQ(o.id, 45);
}

TEST_F(RunnerTest, AFailedCommitIsRolledBackInsideItsTransaction)
{
    fake->fault<op::commitTransaction>(45, {}, QStringLiteral("nein"));
    EXPECT_EQ(run(TTransactionMode::tm_readwrite).error, QStringLiteral("nein"));
    EXPECT_EQ(fake->operations(),
              (Ops{"beginTransaction", "getCompetitions", "commitTransaction", "rollbackTransaction"}));
    const auto sent = fake->requests();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[3].transactionId, sent[2].transactionId)
        << "the rollback names the transaction the commit left open";
    EXPECT_FALSE(sent[3].transactionId.empty());
}

TEST_F(RunnerTest, FailedBeginStillBuildsResponseAndKeepsNoErrorId)
{
    fake->fault<op::beginTransaction>(45, {QStringLiteral("p")}, QStringLiteral("voll"));
    const Outcome o = run(TTransactionMode::tm_readwrite);
    EXPECT_EQ(o.error, QStringLiteral("Transaktion starten: voll"));
    EXPECT_EQ(o.id, 0);
    EXPECT_TRUE(o.params.isEmpty());
    EXPECT_TRUE(o.hadResponse);
    EXPECT_EQ(fake->operations(), (Ops{"beginTransaction", "rollbackTransaction"}));
}

TEST_F(RunnerTest, SessionHeaderAppearsAfterFirstAnswerWithTransactionNested)
{
    run(TTransactionMode::tm_None);
    run(TTransactionMode::tm_readwrite);
    const auto sent = fake->requests();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_FALSE(sent[0].hasSession);
    EXPECT_EQ(sent[1].operation, "beginTransaction");
    EXPECT_EQ(sent[1].sessionId, "S1");
    EXPECT_EQ(sent[1].transactionId, "");
    EXPECT_EQ(sent[2].transactionId, "T1");
    EXPECT_EQ(sent[3].operation, "commitTransaction");
    EXPECT_EQ(sent[3].transactionId, "T1");
    EXPECT_EQ(runner->sessionId(), QStringLiteral("S1"));
}

TEST_F(RunnerTest, RequestIdsCountPerRunnerFromTwo)
{
    TCommunicationThread other;
    EXPECT_EQ(runner->AddRequest(std::make_unique<Req>(), TTransactionMode::tm_None), 2u);
    EXPECT_EQ(runner->AddRequest(std::make_unique<Req>(), TTransactionMode::tm_None), 3u);
    EXPECT_EQ(other.AddRequest(std::make_unique<Req>(), TTransactionMode::tm_None), 2u);
    EXPECT_TRUE(waitUntil([] { return runningRequestCount() == 0; }));
}

TEST_F(RunnerTest, ThirdRequestTimesOutWhileTwoHoldTheSlots)
{
    CommTimeouts::channelWaitMs = 200;
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    int blocked = 0;
    command = [&](THTTPRIO*) {
        std::unique_lock lock(m);
        ++blocked;
        cv.notify_all();
        cv.wait(lock, [&] { return release; });
    };
    const quint32 a = runner->AddRequest(std::make_unique<Req>(), TTransactionMode::tm_None);
    const quint32 b = runner->AddRequest(std::make_unique<Req>(), TTransactionMode::tm_None);
    {
        std::unique_lock lock(m);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return blocked == 2; }));
    }
    const quint32 c = runner->AddRequest(std::make_unique<Req>(), TTransactionMode::tm_None);
    ASSERT_TRUE(waitUntil([&] { return outcomes[c].done; }));
    EXPECT_EQ(outcomes[c].error, kErrChannelTimeout);
    EXPECT_FALSE(outcomes[c].hadResponse);
    EXPECT_EQ(blocked, 2);
    {
        std::lock_guard lock(m);
        release = true;
    }
    cv.notify_all();
    ASSERT_TRUE(waitUntil([&] { return outcomes[a].done && outcomes[b].done; }));
    EXPECT_EQ(outcomes[a].error, QString());
    // Both slots are free again.
    AquireChannel();
    AquireChannel();
    ReleaseChannel();
    ReleaseChannel();
}

TEST_F(RunnerTest, ShutDownRefusesNewRequestsAndStopsLateHandBacks)
{
    CommTimeouts::shutDownStepMs = 10;
    CommTimeouts::shutDownRounds = 5;
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    command = [&](THTTPRIO*) {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return release; });
    };
    const quint32 late = runner->AddRequest(std::make_unique<Req>(), TTransactionMode::tm_None);
    ReqShutDown();

    bool destroyed = false;
    EXPECT_EQ(runner->AddRequest(std::make_unique<Req>(&destroyed), TTransactionMode::tm_None), 0u);
    EXPECT_TRUE(destroyed);
    {
        std::lock_guard lock(m);
        release = true;
    }
    cv.notify_all();
    waitUntil([] { return false; }, 200);
    EXPECT_FALSE(outcomes[late].done);
    CommTimeouts::shutDownStepMs = 100;
    CommTimeouts::shutDownRounds = 100;
}

TEST_F(RunnerTest, RequestFinishingDuringShutDownWaitStillCallsBack)
{
    CommTimeouts::shutDownStepMs = 10;
    command = [](THTTPRIO*) { QThread::msleep(100); };
    const quint32 id = runner->AddRequest(std::make_unique<Req>(), TTransactionMode::tm_None);
    ReqShutDown();
    EXPECT_TRUE(outcomes[id].done);
    EXPECT_EQ(runningRequestCount(), 0);
    CommTimeouts::shutDownStepMs = 100;
}

TEST_F(RunnerTest, RunnerGoneBeforeHandBackIsSafe)
{
    command = [](THTTPRIO*) { QThread::msleep(50); };
    runner->AddRequest(std::make_unique<Req>(), TTransactionMode::tm_readwrite);
    runner.reset();
    EXPECT_TRUE(waitUntil([] { return runningRequestCount() == 0; }));
    EXPECT_TRUE(outcomes.empty());
}

TEST_F(RunnerTest, ThrowingFinishedCallbackDoesNotEscape)
{
    runner->OnFinished = [](std::unique_ptr<TResponse>, const QString&, int, const QStringList&, quint32) {
        throw std::runtime_error("boom");
    };
    runner->AddRequest(std::make_unique<Req>(), TTransactionMode::tm_None);
    EXPECT_TRUE(waitUntil([] { return runningRequestCount() == 0; }));
}

TEST(CompetitionUrlHolder, NormalisesTheStoredAddress)
{
    TCompetitionUrlHolder h;
    h.setServerUrl(QStringLiteral("10.0.0.9"));
    EXPECT_EQ(h.getFullUrl(TTVPWebServices::CMS),
              QStringLiteral("http://10.0.0.9:8080/TrivantaPentrel/services/CompetitionManagementService/"));
    EXPECT_EQ(h.getServerUrl(), QStringLiteral("http://10.0.0.9:8080"));

    h.setServerUrl(QStringLiteral("192.168.0.5"));
    EXPECT_EQ(h.getFullUrl(TTVPWebServices::DRS),
              QStringLiteral("http://192.168.0.5:8080/TrivantaPentrel/services/DataRetrievalService/"));
    h.setServerUrl(QStringLiteral("https://10.0.0.2:9443/"));
    EXPECT_EQ(h.getFullUrl(TTVPWebServices::CSS),
              QStringLiteral("https://10.0.0.2:9443/TrivantaPentrel/services/CupSetupService/"));
    h.setServerUrl(QStringLiteral("http://10.0.0.2:8080/TrivantaPentrel/services/"));
    EXPECT_EQ(h.getFullUrl(TTVPWebServices::UIS),
              QStringLiteral("http://10.0.0.2:8080/TrivantaPentrel/services/UiStoreService/"));
    h.setServerUrl(QStringLiteral("HTTP://10.0.0.2"));
    EXPECT_EQ(h.getFullUrl(TTVPWebServices::CMS).left(21), QStringLiteral("HTTP://10.0.0.2:8080/"));
    h.setServerUrl(QStringLiteral("abcd"));
    EXPECT_EQ(h.getFullUrl(TTVPWebServices::CMS).left(10), QStringLiteral("abcd:8080/"));
}

TEST(CompetitionUrlHolder, HostAndPortOfTheBrowserClient)
{
    TCompetitionUrlHolder h;
    EXPECT_EQ(h.getHost(), QString());
    EXPECT_EQ(h.getPort(), 0);
    h.setServerUrl(QStringLiteral("10.0.0.2:8181"));
    EXPECT_EQ(h.getFullUrl(TTVPWebServices::WEB_UI), QStringLiteral("http://10.0.0.2:8181/TVPWebClient/static/"));
    EXPECT_EQ(h.getHost(), QStringLiteral("10.0.0.2"));
    EXPECT_EQ(h.getPort(), 8181);
}

TEST_F(RunnerTest, AFailureWithoutTextIsStillAFailure)
{
    command = [](THTTPRIO*) { throw TvpError(QString()); };
    EXPECT_EQ(run(TTransactionMode::tm_None).error, kErrUnknown);

    // A server fault whose text is empty reads by its error id.
    fake->fault<op::getCompetitions>(45, {}, QStringLiteral(" "));
    command = [](THTTPRIO* rio) {
        GetDataRetrievalPortType(false, competitionUrlHolderInstance().getFullUrl(TTVPWebServices::DRS), rio)
            ->getCompetitions();
    };
    const Outcome o = run(TTransactionMode::tm_None);
    EXPECT_EQ(o.error, QStringLiteral("Fehler des Servers (Fehlernummer 45)."));
    EXPECT_EQ(o.id, 45);
}

TEST(Channels, GuiThreadCallsShareTheTwoSlotsAndTimeOut)
{
    CommTimeouts::channelWaitMs = 50;
    AquireChannel();
    {
        ChannelGuard second;
        try {
            AquireChannel();
            ADD_FAILURE() << "a third slot";
            ReleaseChannel();
        } catch (const TvpError& e) {
            EXPECT_EQ(e.message(), kErrChannelTimeout);
        }
    }
    ReleaseChannel();
    CommTimeouts::channelWaitMs = 35000;
}

TEST_F(RunnerTest, HandBackWaitsWhileHeld)
{
    const quint32 id = runner->AddRequest(std::make_unique<Req>(), TTransactionMode::tm_None);
    {
        THandBackHold hold;
        waitUntil([] { return false; }, 100);
        EXPECT_FALSE(outcomes[id].done);
    }
    EXPECT_TRUE(waitUntil([&] { return outcomes[id].done; }));
}
