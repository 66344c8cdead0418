// The stand-in as a shared server: writers that wait never take every worker, open transactions
// and descriptors stay bounded, slow and oversized requests are cut, lookups use indexes.

#include "standin/Database.h"
#include "tests/support/StandinHarness.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class StandinWriters : public StandinTest {};
class StandinLimits : public StandinTest {};
class StandinSlowClients : public StandinTest {};

double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

int openDescriptors()
{
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            ++n;
        closedir(d);
    }
    return n;
}

// A request as raw text, outside any session.
std::string beginRequest(bool readonly)
{
    pugi::xml_document doc;
    pugi::xml_node element = codec::makeEnvelope(doc, wire::kMainNs, "beginTransaction");
    codec::encodeFields(element, op::beginTransaction{readonly}, {});
    return codec::serialize(doc);
}

// A TCP connection to the stand-in for clients that misbehave.
class RawConnection {
public:
    explicit RawConnection(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(std::uint16_t(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~RawConnection() { close(fd_); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool connected() const { return connected_; }
    bool send(std::string_view text)
    {
        for (std::size_t at = 0; at < text.size();) {
            const ssize_t n = ::send(fd_, text.data() + at, text.size() - at, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            at += std::size_t(n);
        }
        return true;
    }
    // True once the server has closed the connection; what it sent is in received().
    bool ended(std::chrono::milliseconds wait = 0ms)
    {
        pollfd p{fd_, POLLIN, 0};
        while (!ended_ && poll(&p, 1, int(wait.count())) > 0) {
            char buf[4096];
            const ssize_t n = recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
            if (n <= 0)
                ended_ = true;
            else
                received_.append(buf, std::size_t(n));
        }
        return ended_;
    }
    // True once `text` has come, within the time.
    bool receives(std::string_view text, std::chrono::milliseconds within)
    {
        const auto until = Clock::now() + within;
        while (received_.find(text) == std::string::npos && !ended_ && Clock::now() < until)
            ended(50ms);
        return received_.find(text) != std::string::npos;
    }
    const std::string& received() const { return received_; }

private:
    int fd_;
    bool connected_ = false;
    bool ended_ = false;
    std::string received_;
};

std::string postHead(const char* service, long long contentLength)
{
    std::string head = std::string("POST /TrivantaPentrel/services/") + service +
                       "/ HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: text/xml; charset=utf-8\r\n";
    if (contentLength >= 0)
        head += "Content-Length: " + std::to_string(contentLength) + "\r\n";
    return head + "\r\n";
}

// --- Writers waiting for the write lock ---------------------------------------------------------

// 33 clients in transactions once froze the server: every worker waited in BEGIN IMMEDIATE, so the
// lock holder's own next request found none. Waiting writers are capped below the worker count,
// the rest are refused at once, and the holder is served.
TEST_F(StandinWriters, WaitingWritersNeverTakeEveryWorker)
{
    standin.options.threads = 8; // 6 may wait
    standin.options.writeWait = 10s;
    standin.start();
    StandinClient holder = standin.client();
    holder.begin(false);
    holder.create(QStringLiteral("Halter"));

    struct Outcome {
        int error = 0;
        double seconds = 0;
    };
    std::vector<std::future<Outcome>> writers;
    for (int i = 0; i < 12; ++i) {
        writers.push_back(std::async(std::launch::async, [&, i] {
            auto c = standin.newClient();
            const auto t0 = Clock::now();
            const int error = errorIdOf([&] {
                c->begin(false);
                c->create(QStringLiteral("W%1").arg(i));
                c->commit();
            });
            return Outcome{error == -1000 ? 0 : error, secondsSince(t0)};
        }));
    }
    std::this_thread::sleep_for(700ms);

    auto t0 = Clock::now();
    holder.create(QStringLiteral("Halter 2"));
    EXPECT_LT(secondsSince(t0), 1.0) << "the lock holder's request found a worker";
    t0 = Clock::now();
    standin.client().pis()->getBackendVersion();
    EXPECT_LT(secondsSince(t0), 1.0);
    holder.commit();

    int committed = 0, refused = 0;
    for (auto& w : writers) {
        const Outcome o = w.get();
        if (o.error == 902) {
            ++refused;
            EXPECT_LT(o.seconds, 1.0) << "a writer beyond the waiting places is refused at once";
        } else {
            EXPECT_EQ(o.error, 0);
            ++committed;
        }
    }
    EXPECT_EQ(refused, 6);
    EXPECT_EQ(committed, 6) << "the waiting writers went through one after the other";
    EXPECT_EQ(standin.client().competitionNames().size(), 2 + committed);
}

TEST_F(StandinWriters, AWriterWaitsAtMostTheLimitAndHearsWhy)
{
    standin.options.writeWait = 600ms;
    standin.start();
    StandinClient holder = standin.client();
    holder.begin(false);

    for (const bool inTransaction : {true, false}) {
        SCOPED_TRACE(inTransaction ? "begin" : "single write");
        StandinClient c = standin.client();
        const auto t0 = Clock::now();
        try {
            if (inTransaction)
                c.begin(false);
            else
                c.create(QStringLiteral("Wartet"));
            ADD_FAILURE() << "not refused";
        } catch (const ETvExceptionDetail& e) {
            EXPECT_EQ(e.ExceptionID, 902);
            EXPECT_EQ(e.message(), QStringLiteral("Server ausgelastet, bitte erneut versuchen"));
        }
        EXPECT_GE(secondsSince(t0), 0.5);
        EXPECT_LT(secondsSince(t0), 2.0);
    }
    holder.commit();
    // Readers never wait for the gate.
    StandinClient reader = standin.client();
    holder.begin(false);
    const auto t0 = Clock::now();
    reader.begin(true);
    EXPECT_TRUE(reader.competitionNames().isEmpty());
    reader.rollback();
    EXPECT_LT(secondsSince(t0), 0.5);
    holder.rollback();
}

// The gate is first come, first served: a stream of writers cannot starve an early one.
TEST_F(StandinWriters, WaitingWritersGoThroughInTheOrderTheyCame)
{
    standin.start();
    StandinClient holder = standin.client();
    holder.begin(false);
    std::mutex m;
    std::vector<int> order;
    std::vector<std::future<void>> writers;
    for (int i = 0; i < 5; ++i) {
        writers.push_back(std::async(std::launch::async, [&, i] {
            auto c = standin.newClient();
            c->begin(false);
            {
                std::lock_guard lock(m);
                order.push_back(i);
            }
            c->commit();
        }));
        ASSERT_TRUE(standin.waitingComesTo(i + 1)) << "each is in the queue before the next asks";
    }
    holder.commit();
    for (auto& w : writers)
        w.get();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

// --- Bounded resources ----------------------------------------------------------------------------

TEST_F(StandinLimits, OpenTransactionsAreCappedPerSessionAndInTotal)
{
    standin.options.maxTransactionsPerSession = 3;
    standin.options.maxTransactions = 5;
    standin.start();
    StandinClient first = standin.client();
    first.drs()->getCompetitions();
    std::vector<std::unique_ptr<StandinClient>> same;
    for (int i = 0; i < 4; ++i) {
        same.push_back(standin.newClient());
        same.back()->sessionId = first.sessionId;
    }
    for (int i = 0; i < 3; ++i)
        same[i]->begin(true);
    QStringList params;
    EXPECT_EQ(errorIdOf([&] { same[3]->begin(true); }, &params), 903);
    EXPECT_EQ(params, QStringList{QStringLiteral("3")});

    StandinClient b = standin.client(), c = standin.client(), d = standin.client();
    b.begin(true);
    c.begin(false);
    EXPECT_EQ(errorIdOf([&] { d.begin(true); }), 902) << "five are open in total";
    same[0]->rollback();
    b.rollback();
    EXPECT_NO_THROW(d.begin(true));
    EXPECT_NO_THROW(same[3]->begin(true)) << "the session has a place again";
    EXPECT_EQ(standin.server().transactions().openCount(), 5u);
}

TEST_F(StandinLimits, IdleReadOnlyTransactionsAreReleasedQuickly)
{
    standin.options.txIdleReadOnly = 300ms;
    standin.start();
    StandinClient reader = standin.client(), writer = standin.client();
    reader.begin(true);
    writer.begin(false);
    std::this_thread::sleep_for(1200ms);
    EXPECT_EQ(standin.server().transactions().openCount(), 1u);
    EXPECT_EQ(errorIdOf([&] { reader.competitionNames(); }), 901);
    writer.create(QStringLiteral("Schreiber"));
    EXPECT_NO_THROW(writer.commit());
}

// 8,000 read-only begins once left 16,007 descriptors open, and then every request failed with
// "unable to open database file".
TEST_F(StandinLimits, DescriptorsStayBoundedWhateverClientsDo)
{
    standin.options.txIdleReadOnly = 60s; // none is swept while the flood runs
    standin.start();
    standin.client().competitionNames();
    const int before = openDescriptors();
    int opened = 0, refused = 0;
    for (int i = 0; i < 2000; ++i) {
        // Each without session header, so each in a session of its own.
        const HttpAnswer a = standin.post("CompetitionManagementService", beginRequest(true));
        if (a.status == 200)
            ++opened;
        else if (a.body.find(">902<") != std::string::npos)
            ++refused;
    }
    EXPECT_EQ(opened, standin.options.maxTransactions);
    EXPECT_EQ(refused, 2000 - opened);
    const int grown = openDescriptors() - before;
    EXPECT_LE(grown, 2 * standin.options.maxTransactions + 16) << "two per open transaction, and a few more";

    StandinClient c = standin.client();
    EXPECT_NO_THROW(c.create(QStringLiteral("Geht noch")));
    EXPECT_EQ(c.competitionNames(), QStringList{QStringLiteral("Geht noch")});
}

// What the server looks up by name or id goes through an index instead of reading the whole table.
TEST_F(StandinLimits, LookupsUseAnIndex)
{
    standin.start();
    standin.stop();
    standin::Db db(standin.dataFile());
    const char* lookups[] = {
        "SELECT 1 FROM competitions WHERE name = ? AND id <> ?",
        "SELECT value FROM ui_infos WHERE key = ? AND assoc_id = ?",
        "SELECT key, value FROM ui_infos WHERE assoc_id = ? ORDER BY key",
        "DELETE FROM ui_infos WHERE assoc_id = ?",
        // A result's key: by bib, by athlete, by team; the participant at a place.
        "SELECT id FROM results WHERE discipline_id = ? AND attempt = ? AND bib = ? LIMIT 1",
        "SELECT id FROM results WHERE discipline_id = ? AND athlete_id = ? AND attempt = ? AND bib IS NULL LIMIT 1",
        "SELECT r.id FROM result_teams rt JOIN results r ON r.id = rt.result_id WHERE rt.team_id = ? "
        "AND r.discipline_id = ? AND r.attempt = ? AND r.bib IS NULL AND r.athlete_id IS NULL LIMIT 1",
        "SELECT athlete_id, team_id FROM heat_assignments WHERE discipline_id = ? AND heat_no = ? AND position = ?",
        // The results of an attempt with their bibs' holders.
        "SELECT r.id, hb.athlete_id, ha.team_id FROM results r LEFT JOIN athlete_bibs hb ON hb.competition_id = ? "
        "AND hb.bib = r.bib LEFT JOIN athletes ha ON ha.id = hb.athlete_id WHERE r.discipline_id = ? "
        "AND r.attempt = ?",
    };
    for (const char* sql : lookups) {
        SCOPED_TRACE(sql);
        standin::Statement plan = db.query((std::string("EXPLAIN QUERY PLAN ") + sql).c_str());
        QString steps;
        while (plan.next())
            steps += plan.textAt(3) + QLatin1Char('\n');
        EXPECT_TRUE(steps.contains(QStringLiteral("USING"))) << steps.toStdString();
        EXPECT_FALSE(steps.contains(QStringLiteral("SCAN"))) << steps.toStdString();
    }
}

// --- Slow and oversized requests ------------------------------------------------------------------

// 40 connections trickling their requests (a byte at a time) once kept every other request
// unanswered. Each is cut once it falls behind; the others are served meanwhile.
TEST_F(StandinSlowClients, TricklingRequestsAreCutAndOthersServed)
{
    standin.options.threads = 16;
    standin.options.requestTimeout = 1s;
    standin.start();
    std::vector<std::unique_ptr<RawConnection>> slow;
    for (int i = 0; i < 40; ++i) {
        slow.push_back(std::make_unique<RawConnection>(standin.port()));
        ASSERT_TRUE(slow.back()->connected());
        // Most trickle their body, some already their header.
        if (i % 4 != 0)
            slow.back()->send(postHead("DataRetrievalService", 400));
        else
            slow.back()->send("POST /TrivantaPentrel/services/DataRetrievalService/ HTTP/1.1\r\n");
    }
    std::atomic<bool> stop = false;
    std::thread trickler([&] {
        while (!stop) {
            for (auto& c : slow)
                if (!c->ended())
                    c->send("x");
            std::this_thread::sleep_for(200ms);
        }
    });

    const auto t0 = Clock::now();
    for (int i = 0; i < 4; ++i) {
        const auto asked = Clock::now();
        EXPECT_NO_THROW(standin.client().competitionNames());
        EXPECT_LT(secondsSince(asked), 6.0) << "request " << i;
    }
    bool allCut = false;
    while (!allCut && secondsSince(t0) < 20) {
        allCut = std::all_of(slow.begin(), slow.end(), [](auto& c) { return c->ended(50ms); });
    }
    stop = true;
    trickler.join();
    EXPECT_TRUE(allCut);
    int answered408 = 0;
    for (auto& c : slow)
        answered408 += c->received().find(" 408 ") != std::string::npos;
    EXPECT_GT(answered408, 0) << "a cut body is told why";
}

// A client that stops reading its answer is cut too.
TEST_F(StandinSlowClients, AClientThatDoesNotReadItsAnswerIsCut)
{
    standin.options.threads = 8;
    standin.options.requestTimeout = 1s;
    standin.start();
    {
        StandinClient c = standin.client();
        c.cms()->setUiInfo(QStringLiteral("Groß"), QString(8 << 20, QLatin1Char('g')), 1);
    }
    pugi::xml_document doc;
    pugi::xml_node element = codec::makeEnvelope(doc, wire::kMainNs, "getUiInfo");
    codec::encodeFields(element, op::getUiInfo{QStringLiteral("Groß"), 1}, {});
    const std::string request = codec::serialize(doc);
    std::vector<std::unique_ptr<RawConnection>> readers;
    for (int i = 0; i < 12; ++i) {
        readers.push_back(std::make_unique<RawConnection>(standin.port()));
        readers.back()->send(postHead("DataRetrievalService", qsizetype(request.size())) + request);
    }
    std::this_thread::sleep_for(3s);
    const auto t0 = Clock::now();
    EXPECT_NO_THROW(standin.client().competitionNames());
    EXPECT_LT(secondsSince(t0), 4.0);
}

TEST_F(StandinSlowClients, RequestsAboveTheSizeLimitAreRefused)
{
    standin.options.maxRequestBytes = 1 << 20;
    standin.start();
    {
        // Announced too large: refused before the body is read.
        RawConnection c(standin.port());
        c.send(postHead("DataRetrievalService", 2 << 20));
        EXPECT_TRUE(c.receives(" 413 ", 2000ms)) << c.received();
    }
    {
        // In chunks, without length: cut once it grows past the limit.
        RawConnection c(standin.port());
        std::string head = postHead("DataRetrievalService", -1);
        head.insert(head.size() - 2, "Transfer-Encoding: chunked\r\n");
        c.send(head);
        const std::string block = "10000\r\n" + std::string(64 << 10, 'x') + "\r\n";
        for (int i = 0; i < 40 && !c.ended(); ++i)
            c.send(block);
        EXPECT_TRUE(c.receives(" 413 ", 2000ms)) << c.received().substr(0, 200);
    }
    // Below the limit all is well.
    StandinClient c = standin.client();
    const QString value(900 << 10, QLatin1Char('v'));
    c.cms()->setUiInfo(QStringLiteral("Fast voll"), value, 2);
    EXPECT_EQ(c.drs()->getUiInfo(QStringLiteral("Fast voll"), 2).Value, value);
}

} // namespace
