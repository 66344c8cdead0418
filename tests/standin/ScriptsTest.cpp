// The start/stop scripts and the command line of the real executable.

#include "standin/Database.h"
#include "standin/StandinOptions.h"
#include "tests/support/StandinHarness.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>

using namespace tvp::standin;
using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

bool goneOrZombie(int pid)
{
    for (int i = 0; i < 500; ++i) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string line;
        bool zombie = !status;
        while (status && std::getline(status, line))
            if (line.rfind("State:", 0) == 0)
                zombie = line.find("zombie") != std::string::npos;
        if (zombie)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// A program folder of its own, so pid and log files never meet those of a server a developer runs.
class StandinScripts : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        root = folder.path().toStdString();
        serverDir = root / "server";
        fs::create_directories(serverDir);
        for (const char* f : {TVP_START_SCRIPT, TVP_STOP_SCRIPT, TVP_STANDIN_BINARY})
            fs::copy_file(f, serverDir / fs::path(f).filename());
    }
    void TearDown() override { run((serverDir / "stop.sh").string()); }
    // Port 0: the server takes a free port and start.sh names it; one let go beforehand could be taken.
    std::string start(const std::string& extra = "")
    {
        return (serverDir / "start.sh").string() + " --port 0 " + extra;
    }
    int run(const std::string& command)
    {
        const int status = std::system((command + " >" + (root / "said").string() + " 2>&1").c_str());
        std::ifstream said(root / "said");
        const std::string text((std::istreambuf_iterator<char>(said)), {});
        if (const auto at = text.find("auf Port "); status == 0 && at != std::string::npos)
            port = std::stoi(text.substr(at + 9));
        return status;
    }

    QTemporaryDir folder;
    fs::path root, serverDir;
    int port = 0;
};

TEST_F(StandinScripts, StartStopRestartKeepsDataInTheDefaultFile)
{
    ASSERT_EQ(run(start("--version 3.1.4")), 0);
    EXPECT_TRUE(fs::exists(serverDir / "standin.pid"));
    EXPECT_TRUE(fs::exists(serverDir / "standin.db"));
    EXPECT_EQ(run(start()), 0) << "a second start finds the running server";
    {
        StandinClient c(port);
        c.create(QStringLiteral("Über Neustart"));
        auto pis = GetProgrammInfoWebService(false, QString::fromStdString(c.url("ProgrammInfoWebService")));
        EXPECT_EQ(pis->getBackendVersion().version->minorVersion, 1);
    }
    ASSERT_EQ(run((serverDir / "stop.sh").string()), 0);
    EXPECT_FALSE(fs::exists(serverDir / "standin.pid"));
    EXPECT_THROW(StandinClient(port).competitionNames(), ESoapTransportError);

    ASSERT_EQ(run(start()), 0);
    EXPECT_EQ(StandinClient(port).competitionNames(), QStringList{QStringLiteral("Über Neustart")});
}

TEST_F(StandinScripts, AKilledServerLosesNothingCommittedAndStartsAgain)
{
    ASSERT_EQ(run(start()), 0);
    {
        StandinClient c(port);
        c.create(QStringLiteral("Gespeichert"));
        c.begin(false);
        c.create(QStringLiteral("Offen"));
    }
    std::ifstream pidFile(serverDir / "standin.pid");
    int pid = 0;
    pidFile >> pid;
    ASSERT_GT(pid, 0);
    ASSERT_EQ(run("kill -KILL " + std::to_string(pid)), 0);
    // A killed process takes a moment to die; until then it still holds its port and looks alive.
    ASSERT_TRUE(goneOrZombie(pid));

    ASSERT_EQ(run(start()), 0) << "a stale pid file does not block the start";
    EXPECT_EQ(StandinClient(port).competitionNames(), QStringList{QStringLiteral("Gespeichert")});
}

// kill -9 in the middle of concurrent transactions, three times over: every transaction whose
// commit was answered is there, and none is there in part (each writes a competition and a UI
// info naming it).
TEST_F(StandinScripts, KillDuringConcurrentWritesLosesNoAcknowledgedTransaction)
{
    std::set<QString> acknowledged;
    std::mutex m;
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_EQ(run(start()), 0);
        std::atomic<bool> killing = false;
        std::atomic<int> unexpected = 0, thisCycle = 0;
        std::vector<std::thread> writers;
        for (int t = 0; t < 8; ++t) {
            writers.emplace_back([&, t] {
                for (int n = 0; !killing; ++n) {
                    const QString name = QStringLiteral("K%1-%2-%3").arg(cycle).arg(t).arg(n);
                    try {
                        StandinClient c(port);
                        c.begin(false);
                        const int id = c.create(name);
                        c.cms()->setUiInfo(QStringLiteral("Paar"), name, id);
                        c.commit();
                        std::lock_guard lock(m);
                        acknowledged.insert(name);
                        ++thisCycle;
                    } catch (const std::exception&) {
                        if (!killing)
                            ++unexpected;
                        return;
                    }
                }
            });
        }
        for (int i = 0; i < 100 && thisCycle < 300; ++i)
            std::this_thread::sleep_for(50ms);
        std::ifstream pidFile(serverDir / "standin.pid");
        int pid = 0;
        pidFile >> pid;
        ASSERT_GT(pid, 0);
        killing = true;
        ASSERT_EQ(kill(pid, SIGKILL), 0);
        for (std::thread& w : writers)
            w.join();
        EXPECT_EQ(unexpected, 0);
        EXPECT_GT(thisCycle, 20) << "the writers got going before the kill";

        // Read the file as the next start finds it.
        for (int i = 0; i < 100 && fs::exists("/proc/" + std::to_string(pid)); ++i)
            std::this_thread::sleep_for(20ms);
        standin::Db db((serverDir / "standin.db").string());
        std::set<QString> present;
        standin::Statement q = db.query("SELECT name FROM competitions");
        while (q.next())
            present.insert(q.textAt(0));
        int lost = 0;
        for (const QString& name : acknowledged)
            lost += !present.count(name);
        standin::Statement half =
            db.query("SELECT (SELECT count(*) FROM competitions c WHERE NOT EXISTS (SELECT 1 FROM ui_infos u "
                     "         WHERE u.key = 'Paar' AND u.assoc_id = c.id AND u.value = c.name))"
                     "     + (SELECT count(*) FROM ui_infos u WHERE u.key = 'Paar' AND NOT EXISTS ("
                     "         SELECT 1 FROM competitions c WHERE c.id = u.assoc_id))");
        ASSERT_TRUE(half.next());
        EXPECT_EQ(lost, 0) << "of " << acknowledged.size() << " acknowledged";
        EXPECT_EQ(half.intAt(0), 0) << "half-applied transactions";
        std::printf("[   kill -9 ] cycle %d: %d acknowledged (%zu in all), %zu present, %d lost, %d half-applied\n",
                    cycle + 1, thisCycle.load(), acknowledged.size(), present.size(), lost, half.intAt(0));
    }
}

TEST_F(StandinScripts, StartFailsWithAMessageWhenTheServerCannotRun)
{
    EXPECT_NE(run(start("--compatibility KAPUTT")), 0);
    EXPECT_FALSE(fs::exists(serverDir / "standin.pid"));
    std::ifstream log(serverDir / "standin.log");
    const std::string text((std::istreambuf_iterator<char>(log)), {});
    EXPECT_NE(text.find("--compatibility"), std::string::npos);
}

TEST_F(StandinScripts, ADataFileOfItsOwn)
{
    const fs::path data = root / "eigene.db";
    ASSERT_EQ(run(start("--data " + data.string())), 0);
    StandinClient(port).create(QStringLiteral("X"));
    run((serverDir / "stop.sh").string());
    EXPECT_TRUE(fs::exists(data));
    EXPECT_FALSE(fs::exists(serverDir / "standin.db"));
}

TEST(StandinCommandLine, DefaultsAndRefusals)
{
    const StandinOptions d = parseOptions({});
    EXPECT_EQ(d.port, 8080);
    EXPECT_EQ(d.bindAddress, "127.0.0.1");
    EXPECT_EQ(d.version, (GenericTvpVersion{1, 0, 0}));
    EXPECT_EQ(d.compatibility, CompatibilityInformation::FULL);
    // An abandoned writer holds up every other client's writes until it is swept.
    EXPECT_LE(d.txIdle, std::chrono::seconds(30));

    const StandinOptions o = parseOptions({"--port", "9000", "--version", "2.10.333", "--compatibility",
                                           "NO_COMPATIBILITY", "--tx-idle-seconds", "5", "--data", "x.db"});
    EXPECT_EQ(o.port, 9000);
    EXPECT_EQ(o.version, (GenericTvpVersion{2, 10, 333}));
    EXPECT_EQ(o.compatibility, CompatibilityInformation::NO_COMPATIBILITY);
    EXPECT_EQ(o.txIdle, std::chrono::seconds(5));
    EXPECT_EQ(o.dataFile, "x.db");

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{{"--port"},
                                                                                     {"--port", "70000"},
                                                                                     {"--port", "8o"},
                                                                                     {"--version", "1.2"},
                                                                                     {"--version", "1.2.x"},
                                                                                     {"--compatibility", "full"},
                                                                                     {"--tx-idle-seconds", "0"},
                                                                                     {"--discovery-port", "70000"},
                                                                                     {"--data", ""}})
        EXPECT_THROW(parseOptions(bad), std::invalid_argument) << bad[0];
}

TEST(StandinCommandLine, SharedServerLimits)
{
    const StandinOptions d = parseOptions({});
    // A writer is refused before the client gives up its channel wait of 35 s, and waiting ones
    // always leave workers free.
    EXPECT_LT(d.writeWait, std::chrono::seconds(35));
    EXPECT_LT(d.maxWaiting(), d.threads - 1);
    EXPECT_GE(d.maxRequestBytes, 256LL << 20) << "an exported competition can be imported again";

    const StandinOptions o =
        parseOptions({"--threads", "64", "--tx-idle-readonly-seconds", "2", "--max-transactions", "40",
                      "--max-transactions-per-session", "4", "--write-wait-seconds", "3", "--max-sessions", "500",
                      "--request-timeout-seconds", "7", "--max-request-mb", "16"});
    EXPECT_EQ(o.threads, 64);
    EXPECT_EQ(o.maxWaiting(), 56);
    EXPECT_EQ(o.txIdleReadOnly, std::chrono::seconds(2));
    EXPECT_EQ(o.maxTransactions, 40);
    EXPECT_EQ(o.maxTransactionsPerSession, 4);
    EXPECT_EQ(o.writeWait, std::chrono::seconds(3));
    EXPECT_EQ(o.maxSessions, 500u);
    EXPECT_EQ(o.requestTimeout, std::chrono::seconds(7));
    EXPECT_EQ(o.maxRequestBytes, 16LL << 20);

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{{"--threads", "4"},
                                                                                     {"--write-wait-seconds", "35"},
                                                                                     {"--max-transactions", "0"},
                                                                                     {"--max-request-mb", "0"}})
        EXPECT_THROW(parseOptions(bad), std::invalid_argument) << bad[0];
}

} // namespace
