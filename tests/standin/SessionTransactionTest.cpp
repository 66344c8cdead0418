#include "core/protocol/SoapServer.h"
#include "tests/support/StandinHarness.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <random>
#include <set>
#include <thread>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;
using namespace std::chrono_literals;

namespace {

class StandinSessions : public StandinTest {};
class StandinTransactions : public StandinTest {};

// A setUiInfo request as the client sends it inside a transaction.
std::string setUiInfoRequest(const StandinClient& c, const QString& value)
{
    pugi::xml_document doc;
    pugi::xml_node element = codec::makeEnvelope(doc, wire::kMainNs, "setUiInfo");
    codec::encodeFields(element, proto::op::setUiInfo{QStringLiteral("Label"), value, 7}, {});
    setSessionToSoap(doc, c.sessionId, true, c.transactionId);
    return codec::serialize(doc);
}

// Posts a request over a socket of its own in two parts with a pause between, as a slow network
// would deliver it, and returns the answer.
HttpAnswer postInTwoParts(int port, const std::string& body, std::size_t firstPart, std::chrono::milliseconds pause)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(std::uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(s);
        ADD_FAILURE() << "no connection";
        return {};
    }
    const std::string head = "POST /TrivantaPentrel/services/CompetitionManagementService/ HTTP/1.1\r\n"
                             "Host: 127.0.0.1\r\nContent-Type: text/xml; charset=utf-8\r\nConnection: close\r\n"
                             "Content-Length: " +
                             std::to_string(body.size()) + "\r\n\r\n";
    auto sendAll = [&](const std::string& text) {
        for (std::size_t at = 0; at < text.size();) {
            const ssize_t n = send(s, text.data() + at, text.size() - at, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            at += std::size_t(n);
        }
    };
    sendAll(head + body.substr(0, firstPart));
    std::this_thread::sleep_for(pause);
    sendAll(body.substr(firstPart));
    std::string answer;
    char buf[4096];
    for (ssize_t n; (n = recv(s, buf, sizeof buf, 0)) > 0;)
        answer.append(buf, std::size_t(n));
    close(s);
    const auto split = answer.find("\r\n\r\n");
    if (answer.size() < 12 || split == std::string::npos)
        return {0, answer};
    return {std::stol(answer.substr(9, 3)), answer.substr(split + 4)};
}

// The session id that a request without header is handed.
std::string freshSessionId(const StandinHarness& standin)
{
    pugi::xml_document doc;
    codec::makeEnvelope(doc, wire::kProgramInfoNs, "getBackendVersion");
    const HttpAnswer a = standin.post("ProgrammInfoWebService", codec::serialize(doc));
    std::string tx;
    return getSessionfromSoap(a.body, tx);
}

// What an attacker does with ids drawn from one mt19937_64: 312 outputs in a row give away its
// state, and with it every later output.
class Mt19937Predictor {
public:
    void add(std::uint64_t output) { state_.push_back(untemper(output)); }
    bool ready() const { return state_.size() >= kN; }
    std::uint64_t next()
    {
        const std::size_t k = state_.size() - kN;
        const std::uint64_t y = (state_[k] & kUpper) | (state_[k + 1] & kLower);
        const std::uint64_t x = state_[k + kM] ^ (y >> 1) ^ ((y & 1) ? kA : 0);
        state_.push_back(x);
        return temper(x);
    }

private:
    static constexpr std::size_t kN = 312, kM = 156;
    static constexpr std::uint64_t kA = 0xB5026F5AA96619E9ULL, kUpper = ~0ULL << 31, kLower = (1ULL << 31) - 1;
    static constexpr std::uint64_t kB = 0x71D67FFFEDA60000ULL, kC = 0xFFF7EEE000000000ULL;
    static constexpr std::uint64_t kD = 0x5555555555555555ULL;
    static std::uint64_t temper(std::uint64_t y)
    {
        y ^= (y >> 29) & kD;
        y ^= (y << 17) & kB;
        y ^= (y << 37) & kC;
        return y ^ (y >> 43);
    }
    static std::uint64_t untemper(std::uint64_t y)
    {
        y ^= y >> 43;
        y ^= (y << 37) & kC;
        std::uint64_t x = y;
        for (int i = 0; i < 4; ++i)
            x = y ^ ((x << 17) & kB);
        y = x;
        for (int i = 0; i < 3; ++i)
            x = y ^ ((x >> 29) & kD);
        return x;
    }
    std::vector<std::uint64_t> state_;
};

// An id as two 64-bit numbers of 16 hex digits each, lowest digit first, as a generator's
// outputs were written into it.
std::pair<std::uint64_t, std::uint64_t> halvesOf(const std::string& id)
{
    std::uint64_t v[2] = {0, 0};
    for (std::size_t i = 0; i < 32 && i < id.size(); ++i)
        v[i / 16] |= std::uint64_t(std::stoi(id.substr(i, 1), nullptr, 16)) << (4 * (i % 16));
    return {v[0], v[1]};
}

std::string idOf(std::uint64_t a, std::uint64_t b)
{
    static const char* digits = "0123456789abcdef";
    std::string id;
    for (std::uint64_t v : {a, b})
        for (int i = 0; i < 16; ++i, v >>= 4)
            id += digits[v & 15];
    return id;
}

TEST_F(StandinSessions, NewIdWhenNoneAndTheSameIdEchoed)
{
    standin.start();
    StandinClient a = standin.client();
    a.drs()->getCompetitions();
    const std::string first = a.sessionId;
    ASSERT_FALSE(first.empty());
    a.drs()->getCompetitions();
    EXPECT_EQ(a.sessionId, first);

    StandinClient b = standin.client();
    b.drs()->getCompetitions();
    EXPECT_NE(b.sessionId, first);
}

// A client nests Transaction inside Session. One placed beside it must not run the call outside
// the transaction (and commit it at once): the request is refused.
TEST_F(StandinSessions, ATransactionBesideTheSessionIsRefusedAndNothingRuns)
{
    standin.start();
    StandinClient c = standin.client();
    c.begin(false);
    pugi::xml_document doc;
    pugi::xml_node element = codec::makeEnvelope(doc, wire::kMainNs, "createCompetition");
    CompetitionInfoType info;
    info.Name = QStringLiteral("Daneben");
    codec::encodeValue(element, "CompetitionInfo", info, {});
    const std::string ns(wire::kHeaderNs);
    pugi::xml_node header = doc.document_element().prepend_child("soapenv:Header");
    pugi::xml_node session = header.append_child("h:Session");
    session.append_attribute("xmlns:h") = ns.c_str();
    session.append_attribute("ID") = c.sessionId.c_str();
    pugi::xml_node tx = header.append_child("h:Transaction");
    tx.append_attribute("xmlns:h") = ns.c_str();
    tx.append_attribute("ID") = c.transactionId.c_str();

    const HttpAnswer a = standin.post("CompetitionManagementService", codec::serialize(doc));
    EXPECT_EQ(a.status, 500);
    EXPECT_NE(a.body.find("Transaction"), std::string::npos) << a.body;
    std::string answeredTx = "unverändert";
    EXPECT_EQ(getSessionfromSoap(a.body, answeredTx), c.sessionId);
    EXPECT_EQ(answeredTx, "unverändert") << "the refusal names no transaction";

    c.commit();
    EXPECT_TRUE(standin.client().competitionNames().isEmpty());
}

TEST_F(StandinSessions, AnswersCarryTransactionBesideSessionOnlyInsideATransaction)
{
    standin.start();
    StandinClient c = standin.client();
    c.begin(false);
    ASSERT_FALSE(c.transactionId.empty());
    c.rio.OnAfterExecute = [](std::string_view, const pugi::xml_document& answer) {
        pugi::xml_node header = answer.document_element().first_child();
        EXPECT_STREQ(codec::localName(header), "Header");
        EXPECT_TRUE(
            header.find_child([](pugi::xml_node n) { return std::string_view(codec::localName(n)) == "Transaction"; }));
    };
    c.drs()->getCompetitions();
    c.rio.OnAfterExecute = [](std::string_view, const pugi::xml_document& answer) {
        pugi::xml_node header = answer.document_element().first_child();
        EXPECT_FALSE(
            header.find_child([](pugi::xml_node n) { return std::string_view(codec::localName(n)) == "Transaction"; }));
    };
    c.commit();
    c.drs()->getCompetitions();
}

TEST_F(StandinTransactions, CommitAppliesAndRollbackLeavesNothing)
{
    standin.start();
    StandinClient c = standin.client();
    c.begin(false);
    c.create(QStringLiteral("Verworfen"));
    c.cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("x"), 7);
    EXPECT_EQ(c.competitionNames(), QStringList{QStringLiteral("Verworfen")}); // visible inside
    c.rollback();

    c.begin(false);
    c.create(QStringLiteral("Behalten"));
    c.commit();

    StandinClient other = standin.client();
    EXPECT_EQ(other.competitionNames(), QStringList{QStringLiteral("Behalten")});
    EXPECT_EQ(other.drs()->getUiInfo(QStringLiteral("Label"), 7).Value, QString());
}

// A write in a read-only transaction would answer success and be dropped at its end.
TEST_F(StandinTransactions, WritesInAReadOnlyTransactionAreRefused)
{
    standin.start();
    StandinClient writer = standin.client();
    writer.create(QStringLiteral("Vorher"));

    StandinClient c = standin.client();
    c.begin(true);
    QStringList params;
    EXPECT_EQ(errorIdOf([&] { c.create(QStringLiteral("Nur gelesen")); }, &params), 904);
    EXPECT_EQ(params, QStringList{QStringLiteral("createCompetition")});
    EXPECT_EQ(errorIdOf([&] { c.cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("x"), 7); }), 904);
    // Reading goes on in the same transaction, and its end is no failure.
    EXPECT_EQ(c.competitionNames(), QStringList{QStringLiteral("Vorher")});
    EXPECT_NO_THROW(c.commit());
    EXPECT_EQ(c.competitionNames(), QStringList{QStringLiteral("Vorher")});
    EXPECT_EQ(c.drs()->getUiInfo(QStringLiteral("Label"), 7).Value, QString());
}

TEST_F(StandinTransactions, TwoOfOneSessionAtOnceStayApart)
{
    standin.start();
    StandinClient a = standin.client();
    a.drs()->getCompetitions();
    StandinClient b = standin.client();
    b.sessionId = a.sessionId;

    a.begin(false);
    b.begin(true);
    ASSERT_NE(a.transactionId, b.transactionId);
    a.create(QStringLiteral("In A"));
    EXPECT_TRUE(b.competitionNames().isEmpty());
    EXPECT_EQ(a.competitionNames(), QStringList{QStringLiteral("In A")});
    a.commit();
    b.rollback();
    EXPECT_EQ(b.competitionNames(), QStringList{QStringLiteral("In A")});
}

TEST_F(StandinTransactions, ConcurrentWritersWaitInsteadOfFailing)
{
    standin.start();
    StandinClient holder = standin.client();
    holder.begin(false);
    holder.create(QStringLiteral("Erster"));

    std::atomic<bool> done = false;
    auto second = std::async(std::launch::async, [&] {
        auto c = standin.newClient();
        c->begin(false);
        c->create(QStringLiteral("Zweiter"));
        c->commit();
        done = true;
    });
    auto third = std::async(std::launch::async, [&] { standin.newClient()->create(QStringLiteral("Dritter")); });

    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(done) << "the second writer must wait for the first";
    holder.commit();
    EXPECT_NO_THROW(second.get());
    EXPECT_NO_THROW(third.get());
    QStringList names = standin.client().competitionNames();
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("Dritter"), QStringLiteral("Erster"), QStringLiteral("Zweiter")}));
}

TEST_F(StandinTransactions, ReadersDoNotWaitForAWriter)
{
    standin.start();
    StandinClient writer = standin.client();
    writer.begin(false);
    writer.create(QStringLiteral("Offen"));
    const auto t0 = std::chrono::steady_clock::now();
    StandinClient reader = standin.client();
    EXPECT_TRUE(reader.competitionNames().isEmpty());
    reader.begin(true);
    EXPECT_TRUE(reader.competitionNames().isEmpty());
    reader.rollback();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 2s);
    writer.rollback();
}

// The client sends a rollback after every failure, whatever its mode: without a Transaction
// element it is harmless. Naming one that is not open is refused like any other use.
TEST_F(StandinTransactions, WithoutTransactionRollbackIsANoOpAndUnknownOnesAreRefused)
{
    standin.start();
    StandinClient c = standin.client();
    EXPECT_NO_THROW(c.commit());
    EXPECT_NO_THROW(c.rollback());
    c.drs()->getCompetitions();
    c.transactionId = "nicht-vorhanden";
    EXPECT_EQ(errorIdOf([&] { c.commit(); }), 901);
    c.transactionId = "nicht-vorhanden";
    EXPECT_EQ(errorIdOf([&] { c.rollback(); }), 901);
    c.transactionId = "nicht-vorhanden";
    EXPECT_EQ(errorIdOf([&] { c.drs()->getCompetitions(); }), 901);
}

TEST_F(StandinTransactions, AFailedOperationInsideLeavesTheRestOfTheTransaction)
{
    standin.start();
    StandinClient c = standin.client();
    c.begin(false);
    c.create(QStringLiteral("A"));
    EXPECT_EQ(errorIdOf([&] { c.create(QStringLiteral("A")); }), 2);
    c.create(QStringLiteral("B"));
    c.commit();
    EXPECT_EQ(c.competitionNames(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}

TEST_F(StandinTransactions, AbandonedOnesAreRolledBackAndReleaseTheWriteLock)
{
    standin.options.txIdle = 300ms;
    standin.start();
    StandinClient c = standin.client();
    c.begin(false);
    c.create(QStringLiteral("Vergessen"));
    const std::string abandoned = c.transactionId;
    std::this_thread::sleep_for(1200ms);

    // The lock is gone: another writer gets through at once.
    const auto t0 = std::chrono::steady_clock::now();
    StandinClient other = standin.client();
    other.create(QStringLiteral("Danach"));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 2s);
    EXPECT_EQ(other.competitionNames(), QStringList{QStringLiteral("Danach")});

    // Work naming the dropped transaction is refused rather than done outside it.
    QStringList params;
    EXPECT_EQ(errorIdOf([&] { c.create(QStringLiteral("Zu spät")); }, &params), 901);
    EXPECT_EQ(params, QStringList{QString::fromStdString(abandoned)});
    // Committing it is refused too: the work is lost and the client must hear so.
    c.transactionId = abandoned;
    EXPECT_EQ(errorIdOf([&] { c.commit(); }), 901);
    EXPECT_EQ(other.competitionNames(), QStringList{QStringLiteral("Danach")});
}

// A slow network may take longer to deliver a large request than the idle limit; the
// transaction it names is in use from the moment its header is in.
TEST_F(StandinTransactions, ARequestStillArrivingKeepsItsTransaction)
{
    standin.options.txIdle = 300ms;
    standin.start();
    StandinClient c = standin.client();
    c.begin(false);
    const QString big(60000, QLatin1Char('x'));
    const std::string request = setUiInfoRequest(c, big);

    const HttpAnswer a = postInTwoParts(standin.port(), request, request.size() / 3, 1500ms);
    ASSERT_EQ(a.status, 200) << a.body.substr(0, 600);
    c.commit();
    EXPECT_EQ(c.drs()->getUiInfo(QStringLiteral("Label"), 7).Value, big);
}

// Its requests come a tenth of the idle limit apart, so a loaded machine's pauses never make one
// late; together they last longer than the limit.
TEST_F(StandinTransactions, ABusyTransactionIsNotSweptWhileInUse)
{
    standin.options.txIdle = 1s;
    standin.start();
    StandinClient c = standin.client();
    c.begin(false);
    for (int i = 0; i < 15; ++i) {
        c.create(QStringLiteral("K%1").arg(i));
        std::this_thread::sleep_for(100ms);
    }
    c.commit();
    EXPECT_EQ(c.competitionNames().size(), 15);
}

// Ids drawn from a seeded mt19937_64 were predicted exactly from 156 earlier ones.
TEST_F(StandinSessions, IdsDoNotGiveAwayTheNextOne)
{
    {
        // The attack itself works on such a generator.
        std::mt19937_64 gen{12345};
        Mt19937Predictor p;
        while (!p.ready())
            p.add(gen());
        ASSERT_EQ(p.next(), gen());
    }
    standin.start();
    Mt19937Predictor p;
    std::set<std::string> seen;
    while (!p.ready()) {
        const std::string id = freshSessionId(standin);
        ASSERT_EQ(id.size(), 32u) << id;
        EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << id;
        EXPECT_TRUE(seen.insert(id).second) << "repeated: " << id;
        const auto [a, b] = halvesOf(id);
        p.add(a);
        p.add(b);
    }
    const std::uint64_t a = p.next(), b = p.next();
    EXPECT_NE(freshSessionId(standin), idOf(a, b));
}

// Only the session that began a transaction may use, commit or roll it back; to any other it is
// as unknown as an id never handed out, so its existence cannot be probed either.
TEST_F(StandinTransactions, OnlyTheOwningSessionReachesATransaction)
{
    standin.start();
    StandinClient owner = standin.client();
    owner.begin(false);
    owner.create(QStringLiteral("Vom Besitzer"));
    const std::string tx = owner.transactionId;

    StandinClient other = standin.client();
    other.drs()->getCompetitions();
    ASSERT_NE(other.sessionId, owner.sessionId);
    QStringList params;
    other.transactionId = tx;
    EXPECT_EQ(errorIdOf([&] { other.create(QStringLiteral("Fremd")); }, &params), 901);
    EXPECT_EQ(params, QStringList{QString::fromStdString(tx)});
    other.transactionId = tx;
    EXPECT_EQ(errorIdOf([&] { other.competitionNames(); }), 901);
    other.transactionId = tx;
    EXPECT_EQ(errorIdOf([&] { other.commit(); }), 901);
    other.transactionId = tx;
    EXPECT_EQ(errorIdOf([&] { other.rollback(); }), 901);

    // A session id the server never handed out is no session: a new one comes back, and the
    // transaction stays out of reach.
    StandinClient forger = standin.client();
    forger.sessionId = "00000000000000000000000000000000";
    forger.transactionId = tx;
    EXPECT_EQ(errorIdOf([&] { forger.commit(); }), 901);
    EXPECT_NE(forger.sessionId, "00000000000000000000000000000000");
    EXPECT_EQ(forger.sessionId.size(), 32u);

    // The owner's transaction went through all that untouched.
    EXPECT_EQ(owner.competitionNames(), QStringList{QStringLiteral("Vom Besitzer")});
    owner.create(QStringLiteral("Noch eine"));
    owner.commit();
    other.transactionId.clear();
    EXPECT_EQ(other.competitionNames(), (QStringList{QStringLiteral("Vom Besitzer"), QStringLiteral("Noch eine")}));
}

TEST_F(StandinSessions, AnUnknownSessionIdGetsANewOneThatIsThenKept)
{
    standin.start();
    StandinClient c = standin.client();
    c.sessionId = "ausgedacht";
    c.drs()->getCompetitions();
    const std::string handedOut = c.sessionId;
    EXPECT_NE(handedOut, "ausgedacht");
    c.drs()->getCompetitions();
    EXPECT_EQ(c.sessionId, handedOut);
}

// The oldest sessions are forgotten beyond the cap, but never one with an open transaction.
TEST_F(StandinSessions, ForgottenSessionsAreBoundedButNeverOneInATransaction)
{
    standin.options.maxSessions = 20;
    standin.start();
    StandinClient busy = standin.client();
    busy.begin(false);
    StandinClient idle = standin.client();
    idle.drs()->getCompetitions();
    const std::string idleSession = idle.sessionId;
    for (int i = 0; i < 50; ++i)
        freshSessionId(standin);
    EXPECT_LE(standin.server().transactions().sessions().size(), 20u);

    busy.create(QStringLiteral("Trotzdem"));
    busy.commit();
    EXPECT_EQ(busy.competitionNames(), QStringList{QStringLiteral("Trotzdem")});
    idle.drs()->getCompetitions();
    EXPECT_NE(idle.sessionId, idleSession) << "a forgotten session is handed a new id";
}

} // namespace
