// The request runner against the stand-in server over real HTTP on loopback.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/protocol/TVPWebServices2.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tvp;
using namespace tvp::proto;
using tvp::test::waitUntil;

namespace {

struct NameRequest : TRequest {
    QString name;
    bool failAfterCreate = false;
};

struct Outcome {
    bool done = false;
    QString error;
    int id = 0;
    QStringList params;
};

class RunnerOverHttp : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitComm();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());

        runner.commandCallback = [](THTTPRIO* rio, TRequest* request, std::unique_ptr<TResponse>& response,
                                    TSoapThread* thread) {
            response = std::make_unique<TResponse>();
            if (!thread)
                return;
            auto* r = static_cast<NameRequest*>(request);
            CompetitionInfoType info;
            info.Name = r->name;
            info.Date = QDate(2026, 6, 13);
            GetCompetitionManagementPortType(false, competitionUrlHolderInstance().getFullUrl(TTVPWebServices::CMS),
                                             rio)
                ->createCompetition(info);
            if (r->failAfterCreate)
                throw ETvExceptionDetail(QStringLiteral("lokal abgebrochen"), -1);
        };
        runner.OnFinished = [this](std::unique_ptr<TResponse>, const QString& e, int id, const QStringList& p,
                                   quint32 rid) {
            outcomes[rid] = {true, e, id, p};
        };
    }

    Outcome create(const QString& name, TTransactionMode mode, bool fail = false)
    {
        auto request = std::make_unique<NameRequest>();
        request->name = name;
        request->failAfterCreate = fail;
        const quint32 id = runner.AddRequest(std::move(request), mode);
        EXPECT_TRUE(waitUntil([&] { return outcomes[id].done; }, 10000));
        return outcomes[id];
    }

    QStringList names()
    {
        QStringList out;
        auto drs =
            GetDataRetrievalPortType(false, competitionUrlHolderInstance().getFullUrl(TTVPWebServices::DRS), nullptr);
        for (const CompetitionType& c : drs->getCompetitions())
            out << c.Name;
        return out;
    }

    test::StandinHarness standin;
    TCommunicationThread runner;
    std::map<quint32, Outcome> outcomes;
};

} // namespace

TEST_F(RunnerOverHttp, CommitsKeepsAndRollsBackPerMode)
{
    EXPECT_EQ(create(QStringLiteral("Sportfest Nord"), TTransactionMode::tm_readwrite).error, QString());
    // A write in a read-only transaction is refused rather than dropped silently at its end.
    EXPECT_EQ(create(QStringLiteral("Nur gelesen"), TTransactionMode::tm_readonly).id, 904);
    EXPECT_EQ(create(QStringLiteral("Abgebrochen"), TTransactionMode::tm_readwrite, true).error,
              QStringLiteral("lokal abgebrochen"));
    EXPECT_EQ(create(QStringLiteral("Ohne Transaktion"), TTransactionMode::tm_None).error, QString());
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Sportfest Nord"), QStringLiteral("Ohne Transaktion")}));
}

TEST_F(RunnerOverHttp, ServerFaultArrivesWithIdAndParameters)
{
    create(QStringLiteral("Kinderolympiade"), TTransactionMode::tm_None);
    const Outcome o = create(QStringLiteral("Kinderolympiade"), TTransactionMode::tm_readwrite);
    EXPECT_FALSE(o.error.isEmpty());
    EXPECT_EQ(o.id, 2);
    EXPECT_EQ(o.params, QStringList{QStringLiteral("Kinderolympiade")});
}

TEST_F(RunnerOverHttp, KeepsTheServerSession)
{
    create(QStringLiteral("Erste"), TTransactionMode::tm_None);
    const QString session = runner.sessionId();
    EXPECT_FALSE(session.isEmpty());
    create(QStringLiteral("Zweite"), TTransactionMode::tm_readwrite);
    EXPECT_EQ(runner.sessionId(), session);
}

// A window shown and reloaded at once starts its first requests before the server has named a
// session: each read then begins in a session of its own and must go on in it.
TEST_F(RunnerOverHttp, ReadsStartedTogetherOnAFreshRunnerStayInTheSessionOfTheirTransaction)
{
    for (int round = 0; round < 50; ++round) {
        TCommunicationThread fresh;
        std::map<quint32, Outcome> done;
        fresh.commandCallback = [](THTTPRIO* rio, TRequest*, std::unique_ptr<TResponse>& response,
                                   TSoapThread* thread) {
            response = std::make_unique<TResponse>();
            if (thread)
                GetDataRetrievalPortType(false, competitionUrlHolderInstance().getFullUrl(TTVPWebServices::DRS), rio)
                    ->getCompetitions();
        };
        fresh.OnFinished = [&done](std::unique_ptr<TResponse>, const QString& e, int id, const QStringList& p,
                                   quint32 rid) {
            done[rid] = {true, e, id, p};
        };
        std::vector<quint32> ids;
        for (int i = 0; i < 4; ++i)
            ids.push_back(fresh.AddRequest(std::make_unique<TRequest>(), TTransactionMode::tm_readonly));
        ASSERT_TRUE(
            waitUntil([&] { return std::ranges::all_of(ids, [&](quint32 id) { return done[id].done; }); }, 10000));
        for (const quint32 id : ids)
            ASSERT_EQ(done[id].error, QString()) << "round " << round << ", error id " << done[id].id;
    }
}

TEST_F(RunnerOverHttp, UnreachableServerIsAClearErrorNotAHang)
{
    const int port = standin.port();
    standin.stop();
    const Outcome o = create(QStringLiteral("Niemand da"), TTransactionMode::tm_None);
    // In German, naming the address; libcurl's English is for the log.
    EXPECT_EQ(o.error, QStringLiteral("Verbindung zum Server fehlgeschlagen: Unter 127.0.0.1:%1 nimmt kein Server "
                                      "Verbindungen an (Verbindung abgewiesen).")
                           .arg(port));
    EXPECT_EQ(o.id, 0);
}
