// The finishing order without a window: the cell's text, the rank list, and the row, shift and load
// requests through the request road against the stand-in (its stored ranks after each step) and
// against the typed fake server (the calls of a row, in order).

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "results/BibOrderRequests.h"
#include "standin/ErrorMessages.h"
#include "tests/support/FakeServer.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TestUtil.h"
#include "tests/results/StoredRanks.h"

using namespace tvp;
using namespace tvp::test;
namespace op = tvp::proto::op;

namespace {

using enum TAqBibOrderRequestType;

std::vector<int> bibsOf(const QString& text)
{
    return parseBibText(text).bibs;
}

TEST(BibOrderText, DigitRunsAreBibsOnceInTypingOrder)
{
    EXPECT_EQ(bibsOf(QStringLiteral("12, 13")), (std::vector<int>{12, 13}));
    EXPECT_EQ(bibsOf(QStringLiteral("7 7")), (std::vector<int>{7}));
    EXPECT_EQ(bibsOf(QStringLiteral(" 5;x3-5,,9 ")), (std::vector<int>{5, 3, 9}));
    EXPECT_TRUE(bibsOf(QStringLiteral("   ")).empty());
    EXPECT_TRUE(bibsOf(QStringLiteral("-")).empty());
    EXPECT_EQ(bibsOf(QStringLiteral("007")), (std::vector<int>{7}));
    // Only ASCII digits: other scripts' digits separate like letters.
    EXPECT_EQ(bibsOf(QStringLiteral("4\u0663"
                                    "2")),
              (std::vector<int>{4, 2}));
    EXPECT_EQ(bibsOf(QStringLiteral("2147483647")), (std::vector<int>{2147483647}));
}

TEST(BibOrderText, RunsBeyondTheIntegerRangeMakeTheTextInvalid)
{
    const TBibText big = parseBibText(QStringLiteral("3, 2147483648"));
    EXPECT_FALSE(big.valid());
    EXPECT_EQ(big.tooLarge, QStringLiteral("2147483648"));
    EXPECT_TRUE(big.bibs.empty());
    EXPECT_FALSE(parseBibText(QString(400, u'9')).valid());
}

TEST(RankList, TiesTakeTheirPositionsAndTheMarkShowsDoubtfulRows)
{
    TRankList list;
    EXPECT_EQ(list.AddRankItem(1, 12, QStringLiteral("Anna Berg (Füchse) "), 4), 0);
    EXPECT_EQ(list.AddRankItem(1, 13, QStringLiteral("Ben Acker (Füchse) "), 5), 0);
    // Rank 2 lies inside the tie: not shown.
    EXPECT_EQ(list.AddRankItem(2, 20, QString(), 0), -1);
    EXPECT_EQ(list.AddRankItem(5, 30, QString(), 0), 3) << "ranks 3 to 5 made, the bib on 5";
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.at(1).fRank, 3);
    list.appendNextEmpty();
    EXPECT_EQ(list.at(4).fRank, 6);
    EXPECT_EQ(list.at(0).getDisplayBibs(), QStringLiteral("12,13"));
    EXPECT_EQ(list.at(0).getDisplayName(), QStringLiteral("Anna Berg (Füchse) , Ben Acker (Füchse) "));
    EXPECT_TRUE(list.hasGap()) << "ranks 3 and 4 are empty above rank 5";
    // A stored rank far out makes no rows up to it.
    EXPECT_EQ(list.AddRankItem(2147483647, 31, QString(), 0), -1);
    EXPECT_EQ(list.count(), 5);

    TRankList empty;
    empty.appendNextEmpty();
    EXPECT_EQ(empty.at(0).fRank, 1);
    EXPECT_FALSE(empty.hasGap()) << "the empty last row alone is no gap";

    TRankItem team(3);
    team.addItem(7, QStringLiteral("Füchse"), 2);
    team.addItem(8, QStringLiteral("Füchse"), 2);
    EXPECT_TRUE(team.isSuspicious()) << "two bibs of one team";
    TRankItem unknown(4);
    unknown.addItem(0, QString(), 0);
    EXPECT_EQ(unknown.getDisplayBibs(), QStringLiteral("-"));
    EXPECT_EQ(unknown.getDisplayName(), QStringLiteral("-"));
    EXPECT_FALSE(unknown.isSuspicious());
    unknown.addItem(99, QString(), 0);
    EXPECT_TRUE(unknown.isSuspicious()) << "two bibs without participant";
}

TEST(RankList, WarningsNameDoubleRanksAndBibsNotEntered)
{
    TAqBibOrderResponse r;
    r.rank = 2;
    r.allBibsOfRank = {9, 10};
    r.getBibRanking = {{1, 10}, {2, 9}, {3, 4}};
    r.bibwarnings = {44, 45};
    const QStringList w = bibOrderWarnings(r);
    ASSERT_EQ(w.size(), 2);
    EXPECT_EQ(w[0], QStringLiteral("Achtung: Team/Athleten der Startnummer 10 ist schon der Rang 1 zugewiesen. Ggf. "
                                   "korrigieren."));
    EXPECT_EQ(w[1], QStringLiteral("Achtung: Startnummern 44,45 ist nicht für diese Disziplin gemeldet. Bitte prüfen "
                                   "und ggf. in Wettkampfliste nachmelden."));
    r.bibwarnings = {44};
    EXPECT_TRUE(bibOrderWarnings(r)[1].startsWith(QStringLiteral("Achtung: Startnummer 44 ist")));
}

// The road of the window's requests, as the window drives it.
class Road {
public:
    explicit Road(TRequestContext& context)
        : road(context, aqBibOrderRequests(), &object,
               [this](std::unique_ptr<TAqBibOrderResponse> r, const TRequestOutcome& o) {
                   last = std::move(r);
                   outcome = o;
               })
    {
    }
    bool send(std::unique_ptr<TAqBibOrderRequest> r, TTransactionMode mode)
    {
        road.AddRequest(std::move(r), mode);
        EXPECT_TRUE(waitUntil([this] { return road.pending() == 0 && runningRequestCount() == 0; }, 10000));
        return outcome.ok();
    }
    QObject object;
    std::unique_ptr<TAqBibOrderResponse> last;
    TRequestOutcome outcome;
    TAqBibOrderRoad road;
};

TAqBibOrderRequest line(int disc, int rank, std::vector<int> oldBibs, std::vector<int> newBibs, bool team = false)
{
    TAqBibOrderRequest r;
    r.reqType = rt_setResult;
    r.DisciplineId = disc;
    r.attempt = 1;
    r.rank = rank;
    r.teamDisc = team;
    r.oldBibs = std::move(oldBibs);
    r.newBibs = std::move(newBibs);
    return r;
}

// Rows that leave together, as the window sends them.
std::unique_ptr<TAqBibOrderRequest> rows(std::vector<TAqBibOrderRequest> lines)
{
    auto r = std::make_unique<TAqBibOrderRequest>(lines.front());
    r->rows = std::move(lines);
    return r;
}

std::unique_ptr<TAqBibOrderRequest> row(int disc, int rank, std::vector<int> oldBibs, std::vector<int> newBibs,
                                        bool team = false)
{
    return rows({line(disc, rank, std::move(oldBibs), std::move(newBibs), team)});
}

std::unique_ptr<TAqBibOrderRequest> shift(int disc, int start, int offset)
{
    auto r = std::make_unique<TAqBibOrderRequest>();
    r->reqType = rt_shiftResult;
    r->DisciplineId = disc;
    r->attempt = 1;
    r->rank = start;
    r->shiftOffset = offset;
    return r;
}

class BibOrderRequests : public StandinTest {
protected:
    void SetUp() override
    {
        InitComm();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        comp = seed->competition(QStringLiteral("Sportfest"));
        u10 = seed->ageClass(comp, QStringLiteral("U10"));
        foxes = seed->team(comp, QStringLiteral("Füchse"), u10);
        anna = seed->athlete(comp, QStringLiteral("Anna"), QStringLiteral("Berg"), foxes, 0, {5});
        ben = seed->athlete(comp, QStringLiteral("Ben"), QStringLiteral("Acker"), foxes, 0, {6});
        cara = seed->athlete(comp, QStringLiteral("Cara"), QStringLiteral("Dorn"), 0, 0, {7, 8});
        proto::ResultTableType table;
        table.ResultsPerRow = 2;
        sprint = seed->discipline(comp, QStringLiteral("Sprint"), u10, table);
        seed->placeAthlete(sprint, anna, 1);
        seed->placeAthlete(sprint, ben, 1);
        seed->placeAthlete(sprint, cara, 2);
        table.Team = true;
        relay = seed->discipline(comp, QStringLiteral("Staffel"), u10, table);
        seed->placeTeam(relay, foxes, 1);
        auto chosen = std::make_unique<proto::CompetitionType>();
        chosen->ID = comp;
        competition.SetCompetitionInternal(std::move(chosen));
    }

    QString ranks(int disc) { return storedRanks(*seed, disc); }

    TCurrentCompetition competition;
    TRequestContext context{competition};
    RecordingContext recorder{context};
    std::unique_ptr<StandinSeed> seed;
    int comp = 0, u10 = 0, foxes = 0, anna = 0, ben = 0, cara = 0, sprint = 0, relay = 0;
};

TEST_F(BibOrderRequests, AFailingLineOfARowStoresNothingOfIt)
{
    Road w(context);
    ASSERT_TRUE(w.send(row(sprint, 1, {}, {7}), TTransactionMode::tm_readwrite));
    // The third line names bib 0: nobody, no athlete or team either; the server refuses it.
    EXPECT_FALSE(w.send(row(sprint, 1, {7}, {5, 6, 0}), TTransactionMode::tm_readwrite));
    EXPECT_NE(w.outcome.errorId, 0);
    EXPECT_EQ(ranks(sprint), QStringLiteral("1:7")) << "the cleared bib 7 and bibs 5, 6 rolled back";
}

// Rows that leave together, each on its own: rank 2 given to bib 6 at another desk refuses the row
// of bib 8 alone; the row after it finds rank 1's bib moved on to rank 3.
TEST_F(BibOrderRequests, RowsLeavingTogetherAreEachStoredOrRefusedOnTheirOwn)
{
    Road w(context);
    ASSERT_TRUE(w.send(row(sprint, 1, {}, {5}), TTransactionMode::tm_readwrite));
    proto::ResultType second;
    second.Type_ = proto::ResultValueType::Rank;
    second.Rank = 2;
    standin.client().das()->setResult(sprint, 6, false, nullptr, 0, 0, second, 1);
    ASSERT_TRUE(w.send(rows({line(sprint, 2, {}, {8}), line(sprint, 3, {}, {5}), line(sprint, 1, {5}, {7})}),
                       TTransactionMode::tm_readwrite))
        << w.outcome.error.toStdString();
    ASSERT_EQ(w.last->rows.size(), 3u);
    EXPECT_EQ(w.last->rows[0].outcome.errorId, kRankTakenError);
    EXPECT_TRUE(w.last->rows[1].outcome.ok());
    EXPECT_TRUE(w.last->rows[2].outcome.ok());
    EXPECT_EQ(w.last->rows[2].bibs, (std::vector<int>{7}));
    ASSERT_EQ(w.last->rows[2].Athletes.size(), 1u);
    EXPECT_EQ(w.last->rows[2].Athletes[0].AthleteID, cara);
    EXPECT_EQ(ranks(sprint), QStringLiteral("1:7 2:6 3:5"));
}

TEST_F(BibOrderRequests, TeamRowsFetchTheTeamAndAllItsBibs)
{
    Road w(context);
    ASSERT_TRUE(w.send(row(relay, 1, {}, {5, 6}, true), TTransactionMode::tm_readwrite))
        << w.outcome.error.toStdString();
    const TAqBibOrderResponse& first = w.last->rows.at(0);
    ASSERT_EQ(first.Teams.size(), 2u);
    EXPECT_EQ(first.Teams[0].TeamID, foxes);
    EXPECT_EQ(first.Teams[1].Name, QStringLiteral("Füchse"));
    EXPECT_EQ(first.allBibsOfRank, (std::vector<int>{5, 6, 5, 6}));
    // Cara has no team: an empty one takes her place.
    ASSERT_TRUE(w.send(row(relay, 3, {}, {7}, true), TTransactionMode::tm_readwrite));
    ASSERT_EQ(w.last->rows.at(0).Teams.size(), 1u);
    EXPECT_EQ(w.last->rows.at(0).Teams[0].TeamID, 0);
}

TEST_F(BibOrderRequests, ShiftsThatWouldRankBelowOneOrNameNoDisciplineAreRefused)
{
    Road w(context);
    ASSERT_TRUE(w.send(row(sprint, 1, {}, {5}), TTransactionMode::tm_readwrite));
    EXPECT_FALSE(w.send(shift(sprint, 1, -1), TTransactionMode::tm_readwrite));
    EXPECT_EQ(w.outcome.errorId, standin::errors::RankBelowOne);
    EXPECT_EQ(ranks(sprint), QStringLiteral("1:5"));
    EXPECT_FALSE(w.send(shift(4711, 1, 1), TTransactionMode::tm_readwrite));
    EXPECT_EQ(w.outcome.errorId, 13);
}

TEST_F(BibOrderRequests, TeamInfoIsFoundByIdOrByBarcodeOfTheCompetition)
{
    std::unique_ptr<StandinClient> client = standin.newClient();
    const int barcode = seed->value("SELECT barcode FROM teams WHERE id = ?", foxes);
    const proto::getTeamInfoResponse1 byId = client->drs()->getTeamInfo(foxes, 0, 0);
    ASSERT_TRUE(byId.Team && byId.Competition);
    EXPECT_EQ(byId.Team->Name, QStringLiteral("Füchse"));
    EXPECT_EQ(byId.Team->NoOfAthletes, 2);
    EXPECT_EQ(byId.Competition->ID, comp);
    EXPECT_EQ(client->drs()->getTeamInfo(0, comp, barcode).Team->TeamID, foxes);
    const int other = seed->competition(QStringLiteral("Andere"));
    EXPECT_EQ(errorIdOf([&] { (void)client->drs()->getTeamInfo(0, other, barcode); }), standin::errors::TeamNotFound);
    EXPECT_EQ(errorIdOf([&] { (void)client->drs()->getTeamInfo(0, comp, 0); }), standin::errors::TeamNotFound);
    EXPECT_EQ(errorIdOf([&] { (void)client->drs()->getTeamInfo(4711, 0, 0); }), standin::errors::TeamNotFound);
}

// The row's writes in one transaction; the lookups after its commit, holding up no other writer.
TEST(BibOrderWire, ARowClearsOldBibsThenStoresInOneTransactionAndLooksUpEachNewOneAfterIt)
{
    FakeServerInstall fake;
    fake->acceptTransactions();
    competitionUrlHolderInstance().setServerUrl(QStringLiteral("127.0.0.1:1"));
    TCurrentCompetition competition;
    auto chosen = std::make_unique<proto::CompetitionType>();
    chosen->ID = 5;
    competition.SetCompetitionInternal(std::move(chosen));
    TRequestContext context{competition};
    RecordingContext recorder{context};
    fake->on<op::setResult>([](const op::setResult& a) {
        proto::setResultResponse1 r;
        r.AthleteTeamIDret = a.AthleteBib == 9 ? 0 : a.AthleteBib * 10;
        r.NotAParticipantWarning = a.AthleteBib == 9;
        return r;
    });
    fake->on<op::getAthleteInfo>([](const op::getAthleteInfo& a) {
        proto::getAthleteInfoResponse1 r;
        r.Athlete.ensure().AthleteID = a.AthletID;
        r.Athlete->Bib = {a.AthletID / 10};
        return r;
    });
    fake->on<op::getDisciplinParticipants>(
        [](const op::getDisciplinParticipants&) { return proto::getDisciplinParticipantsResponse1{}; });
    // Read before the row is stored (bib 4 holds rank 2), and after.
    int rankingReads = 0;
    fake->on<op::getBibRanking>([&rankingReads](const op::getBibRanking&) {
        return ++rankingReads == 1 ? proto::getBibRankingResponse1{{2, 4}}
                                   : proto::getBibRankingResponse1{{2, 3}, {2, 9}};
    });

    Road w(context);
    ASSERT_TRUE(w.send(row(11, 2, {4}, {3, 9}), TTransactionMode::tm_readwrite)) << w.outcome.error.toStdString();
    EXPECT_EQ(
        fake->operations(),
        (std::vector<std::string>{"beginTransaction", "getBibRanking", "setResult", "setResult", "setResult",
                                  "commitTransaction", "getDisciplinParticipants", "getBibRanking", "getAthleteInfo"}))
        << "no lookup for bib 9, which nobody holds; bib 3's holder is not among the participants";
    const std::vector<op::setResult> calls = fake->callsOf<op::setResult>();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].AthleteBib, 4);
    EXPECT_FALSE(calls[0].DiscResult) << "the old bib is cleared";
    EXPECT_FALSE(calls[0].removeAmbiguousResults);
    EXPECT_EQ(calls[1].AthleteBib, 3);
    ASSERT_TRUE(calls[1].DiscResult);
    EXPECT_EQ(calls[1].DiscResult->Type_, proto::ResultValueType::Rank);
    EXPECT_EQ(calls[1].DiscResult->Rank, 2);
    EXPECT_EQ(calls[1].Attempt, 1);
    EXPECT_FALSE(calls[1].LaneHeat);
    EXPECT_EQ(calls[2].AthleteBib, 9);
    for (const auto& r : fake->requests())
        if (r.operation == "setResult" || r.operation == "getAthleteInfo") {
            EXPECT_EQ(r.transactionId.empty(), r.operation == "getAthleteInfo")
                << r.operation << ": every line inside the row's transaction, no lookup";
        }
    ASSERT_EQ(w.last->rows.size(), 1u);
    EXPECT_EQ(w.last->rows[0].bibwarnings, (std::vector<int>{9}));
    EXPECT_EQ(w.last->rows[0].bibs, (std::vector<int>{3, 9}));
    EXPECT_EQ(w.last->rows[0].getBibRanking.size(), 2u) << "the ranking read after the commit";
}

} // namespace
