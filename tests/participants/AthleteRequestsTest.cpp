// The athlete window's requests without the window: the editor read into a request, the change
// check, the list's cells and filter names, and the requests on the road against the stand-in with
// their refusals asked and sent again.

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "participants/AthleteRequests.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TestUtil.h"

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;
using enum TAthleteRequestType;

namespace {

TAthleteEditor editor(const QString& given, const QString& sur = {})
{
    TAthleteEditor e;
    e.givenName = given;
    e.surName = sur;
    return e;
}

// The problem a strict read stops at; empty when it makes a request.
QString problemOf(const TAthleteEditor& e, QString* caption = nullptr)
{
    TEditorProblem problem;
    const std::optional<TAthleteInfo> info = getAthleteRequestFromUI(e, true, &problem);
    if (caption)
        *caption = problem.caption;
    return info ? QString() : problem.text;
}

// ---- the editor ----

TEST(AthleteEditor, BibsAreCutAtSemicolonsAndCommasAndEveryPieceMustBeAPositiveNumber)
{
    EXPECT_EQ(StringToBibs(QStringLiteral("5,6;7")), (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(StringToBibs(QStringLiteral(" 12 ; 3")), (std::vector<int>{12, 3}));
    EXPECT_EQ(StringToBibs(QString()), std::vector<int>{});
    for (const char* bad : {"5;", "3;;4", "x", "0", "-2", ";"})
        EXPECT_FALSE(StringToBibs(QString::fromUtf8(bad))) << bad;
    // The change check reads what it can.
    EXPECT_EQ(StringToBibs(QStringLiteral("4;x;5"), false), std::vector<int>{4});
}

TEST(AthleteEditor, AStrictReadStopsAtTheFirstInvalidFieldWithItsMessage)
{
    QString caption;
    TAthleteEditor e = editor(QStringLiteral("Anna"));
    e.year = QStringLiteral("20x");
    EXPECT_EQ(problemOf(e, &caption),
              QStringLiteral("Ungültiges Geburtsjahr. Entweder gültige Jahreszahl oder leer lassen."));
    EXPECT_EQ(caption, QStringLiteral("AthletIn anlegen"));

    e = editor(QStringLiteral("Anna"));
    e.bibs = QStringLiteral("5;");
    EXPECT_EQ(problemOf(e, &caption), QStringLiteral("Startnummernformat ungültig. Muss eine positive Zahl oder "
                                                     ";-separierte Liste von positiven Zahlen sein."));
    EXPECT_EQ(caption, QStringLiteral("AthletIn bearbeiten"));

    EXPECT_EQ(problemOf(editor(QStringLiteral("  "), QString()), &caption),
              QStringLiteral("Vor - und Nachname dürfen nicht leer sein"));
    EXPECT_EQ(caption, QStringLiteral("AthletIn bearbeiten"));
    EXPECT_EQ(problemOf(editor(QString(), QStringLiteral("Berg"))), QString()) << "one name is enough";
}

TEST(AthleteEditor, AnInvalidBlankBarcodeIsNamedWhateverItsLetter)
{
    for (const char* bad : {"B", "B!!", "BZZZZZZZZZX", "A12X", "12", "b11X"}) {
        TAthleteEditor e = editor(QStringLiteral("Anna"));
        e.blankBarcode = QString::fromUtf8(bad);
        QString caption;
        EXPECT_EQ(problemOf(e, &caption), QStringLiteral("Ungültiges Barcodeformat")) << bad;
        EXPECT_EQ(caption, QStringLiteral("Barcode zuordnen")) << bad;
    }
    TAthleteEditor e = editor(QStringLiteral("Anna"));
    e.blankBarcode = QStringLiteral("B11X");
    EXPECT_EQ(getAthleteRequestFromUI(e, true)->customBarcode, 33);
    // Lenient: an unreadable code is no barcode.
    e.blankBarcode = QStringLiteral("A12X");
    EXPECT_EQ(getAthleteRequestFromUI(e, false)->customBarcode, 0);
}

TEST(AthleteEditor, TheRequestCarriesTrimmedNamesAndTheChosenTeamClubAndGender)
{
    TAthleteEditor e = editor(QStringLiteral("  Anna "), QStringLiteral(" Berg"));
    e.bibs = QStringLiteral("7");
    e.year = QStringLiteral("2014");
    e.gender = GenderType::FEMALE;
    e.teamId = 11;
    e.clubId = 12;
    const TAthleteInfo info = *getAthleteRequestFromUI(e, true);
    EXPECT_EQ(info,
              (TAthleteInfo{QStringLiteral("Anna"), QStringLiteral("Berg"), {7}, 11, 2014, GenderType::FEMALE, 12, 0}));
}

TEST(AthleteEditor, TheNextNewAthleteGetsTheNextBibOnlyAfterASingleBib)
{
    EXPECT_EQ(nextBibsText(QStringLiteral("7")), QStringLiteral("8"));
    EXPECT_EQ(nextBibsText(QStringLiteral("7;9")), QString());
    EXPECT_EQ(nextBibsText(QStringLiteral("x")), QString());
    EXPECT_EQ(nextBibsText(QStringLiteral("0")), QString());
    EXPECT_EQ(nextBibsText(QString()), QString());
}

TEST(AthleteEditor, TheChangeCheckCountsTeamsClubsAndBibsOnlyWhereTheyMatter)
{
    AthleteType stored;
    stored.AthleteID = 5;
    stored.Name = AthleteNameType{QStringLiteral("Anna"), QStringLiteral("Berg")};
    stored.Gender = GenderType::FEMALE;
    stored.Bib = {7};
    TAthleteInfo same{QStringLiteral("Anna"), QStringLiteral("Berg"), {7}, 0, 0, GenderType::FEMALE, 0, 0};
    EXPECT_FALSE(athleteChanged(same, stored, true));

    TAthleteInfo other = same;
    other.bibs = {7, 8};
    EXPECT_TRUE(athleteChanged(other, stored, true));
    other = same;
    other.TeamId = 3;
    EXPECT_TRUE(athleteChanged(other, stored, true)) << "an existing athlete gets a team";
    other.TeamId = 0;
    other.ClubId = 4;
    EXPECT_TRUE(athleteChanged(other, stored, true));

    // A new athlete compares with the empty default: team, club and bibs do not count.
    const AthleteType empty = [] {
        AthleteType a;
        a.Gender = GenderType::NotSpecified;
        return a;
    }();
    TAthleteInfo fresh{{}, {}, {3}, 9, 0, GenderType::NotSpecified, 8, 0};
    EXPECT_FALSE(athleteChanged(fresh, empty, false));
    fresh.fname = QStringLiteral("Cem");
    EXPECT_TRUE(athleteChanged(fresh, empty, false));

    // A stored team counts for both.
    stored.Team = TeamType{};
    stored.Team->TeamID = 3;
    other = same;
    EXPECT_TRUE(athleteChanged(other, stored, true));
    other.TeamId = 3;
    EXPECT_FALSE(athleteChanged(other, stored, true));
}

// ---- the list ----

TEST(AthleteList, CellsShowTheAbsoluteIdTheFramedBarcodeAndEmptyPlaceholders)
{
    AthleteType a;
    a.AthleteID = -42;
    a.Barcode = 33;
    a.Name = AthleteNameType{QStringLiteral("Anna"), QStringLiteral("Berg")};
    a.Bib = {5, 6};
    a.Gender = GenderType::FEMALE;
    EXPECT_EQ(athleteCellText(a, colId), QStringLiteral("42"));
    EXPECT_EQ(athleteCellText(a, colBarcode), QStringLiteral("!A11X!"));
    EXPECT_EQ(athleteCellText(a, colYear), QString());
    EXPECT_EQ(athleteCellText(a, colTeam), QString());
    EXPECT_EQ(athleteCellText(a, colClub), QStringLiteral("-"));
    EXPECT_EQ(athleteCellText(a, colGender), QStringLiteral("w"));
    EXPECT_FALSE(athleteCellText(a, colBibs).isEmpty());
    a.YearOfBirth = 2015;
    EXPECT_EQ(athleteCellText(a, colYear), QStringLiteral("2015"));
}

TEST(AthleteList, FilterNamesComeFromTheListedAthletesElseFromTheBoxes)
{
    AthleteType a;
    a.Team = TeamType{};
    a.Team->TeamID = 3;
    a.Team->Name = QStringLiteral("Adler");
    a.Team->AgeClass = AgeClassType{};
    a.Team->AgeClass->AgeClassID = 9;
    a.Team->AgeClass->Name = QStringLiteral("U10");
    const auto box = [](const QString& prefix) { return [prefix](int id) { return prefix + QString::number(id); }; };

    TAthleteFilterNames names = athleteFilterNames({a}, 9, 0, 3, box("AK"), box("T"), box("D"));
    EXPECT_EQ(names.ageClass, QStringLiteral("U10"));
    EXPECT_EQ(names.team, QStringLiteral("Adler (U10)"));
    EXPECT_EQ(names.discipline, QString());

    // No listed athlete of that age class: the box names it.
    names = athleteFilterNames({}, 7, 5, 0, box("AK"), box("T"), box("D"));
    EXPECT_EQ(names.ageClass, QStringLiteral("AK7"));
    EXPECT_EQ(names.team, QString());
    EXPECT_EQ(names.discipline, QStringLiteral("D5"));
}

// ---- on the road against the stand-in ----

class AthleteRoad : public ::testing::Test {
protected:
    using Road = TRequestRoad<TAthleteRequest, TAthleteResponse>;
    struct Finished {
        std::unique_ptr<TAthleteResponse> response;
        TRequestOutcome outcome;
    };

    void SetUp() override
    {
        InitComm();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        auto comp = std::make_unique<CompetitionType>();
        comp->ID = client->create(QStringLiteral("Kinderleichtathletik"));
        competitionId = comp->ID;
        competition.SetCompetitionInternal(std::move(comp));
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        road = std::make_unique<Road>(context, athleteRequests(), &window,
                                      [this](std::unique_ptr<TAthleteResponse> r, const TRequestOutcome& o) {
                                          if (o.ok() && r)
                                              road->continueBatch(*r);
                                          finished.push_back({std::move(r), o});
                                      });
    }
    void TearDown() override
    {
        road.reset();
        EXPECT_TRUE(recorder.confirmation.allAnswered());
    }

    // Sends and waits until the road is quiet; the outcomes in order.
    void run(std::unique_ptr<TAthleteRequest> request)
    {
        road->AddRequest(std::move(request), TTransactionMode::tm_None);
        ASSERT_TRUE(waitUntil([this] { return road->pending() == 0 && runningRequestCount() == 0; }, 10000));
    }
    int athlete(const QString& name, std::vector<int> bibs = {})
    {
        AthleteInfoDataType info;
        info.Name = AthleteNameType{name, {}};
        info.Bib = std::move(bibs);
        return client->das()->addAthlete(info, 0, competitionId, false, 0).Athlete->AthleteID;
    }

    StandinHarness standin;
    std::unique_ptr<StandinClient> client;
    int competitionId = 0;
    TCurrentCompetition competition;
    TRequestContext context{competition};
    RecordingContext recorder{context};
    QObject window;
    std::unique_ptr<StandinSeed> seed;
    std::vector<Finished> finished;
    std::unique_ptr<Road> road;
};

TEST_F(AthleteRoad, DeletingThreeAsksOnceForTheSecondAndGoesOnWithTheThird)
{
    const int disc = seed->discipline(competitionId, QStringLiteral("Sprint"));
    const int a = athlete(QStringLiteral("A")), b = athlete(QStringLiteral("B")), c = athlete(QStringLiteral("C"));
    seed->placeAthlete(disc, b);

    recorder.confirmation.expect({.confirmed = false});
    run(makeAthleteDeleteChain({a, b, c}));
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Athlet löschen"));
    EXPECT_EQ(recorder.confirmation.asked[0].text,
              QStringLiteral("Der Athlet ist schon in Disziplineinteilungen vorhanden. Trotzdem löschen?"));
    EXPECT_TRUE(recorder.confirmation.asked[0].applyToAllOffered) << "the third follows";
    EXPECT_FALSE(seed->exists(a));
    EXPECT_TRUE(seed->exists(b));
    EXPECT_FALSE(seed->exists(c));
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(AthleteRoad, AYesSendsTheSameDeleteForcedAndApplyToAllAnswersTheLaterOnes)
{
    const int disc = seed->discipline(competitionId, QStringLiteral("Sprint"));
    std::vector<int> ids;
    for (const char* name : {"A", "B", "C"}) {
        ids.push_back(athlete(QString::fromUtf8(name)));
        seed->result(disc, 1, ids.back(), 0);
    }
    recorder.confirmation.expect({.confirmed = true, .applyToAll = true});
    run(makeAthleteDeleteChain(ids));
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].text,
              QStringLiteral("Dem Athleten sind schon Ergebnisse zugewiesen. Diese werden ebenfalls gelöscht. "
                             "Fortfahren?"));
    for (int id : ids)
        EXPECT_FALSE(seed->exists(id));
    ASSERT_FALSE(finished.empty());
    EXPECT_TRUE(finished.back().outcome.ok());
    EXPECT_FALSE(finished.back().response->nextBatch) << "the last item ends the chain";
}

TEST_F(AthleteRoad, CancellingTheDeleteQuestionStopsTheChainAndLeavesTheRefusalToTheWindow)
{
    const int disc = seed->discipline(competitionId, QStringLiteral("Sprint"));
    const int a = athlete(QStringLiteral("A")), b = athlete(QStringLiteral("B"));
    seed->placeAthlete(disc, a);
    recorder.confirmation.expect({.cancel = true});
    run(makeAthleteDeleteChain({a, b}));
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].outcome.errorId, 44);
    EXPECT_FALSE(finished[0].outcome.declined);
    EXPECT_TRUE(seed->exists(a));
    EXPECT_TRUE(seed->exists(b));
}

TEST_F(AthleteRoad, ACreateOrChangeRefusalIsNotABatchQuestionAndItsForcedRetryAddsUpTheFlags)
{
    const int disc = seed->discipline(competitionId, QStringLiteral("Weitsprung"));
    const int anna = athlete(QStringLiteral("Anna"), {1});
    athlete(QStringLiteral("Ben"), {2});
    seed->result(disc, 1, anna, 1);

    // Bib 2 belongs to Ben, and giving up bib 1 loses Anna's result: two questions in a row.
    const TAthleteInfo info{QStringLiteral("Anna"), {}, {2}, 0, 0, GenderType::NotSpecified, 0, 0};
    run(makeAthleteSave(rt_modify, anna, info));
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].outcome.errorId, 40);
    const TAthleteForcePrompt* first = athleteForcePrompt(rt_modify, 40);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->question, QStringLiteral("Die Startnummer ist bereits einem anderen Athleten zugewiesen. Auf "
                                              "diesen Athleten umschreiben?"));

    run(forcedAthleteRequest(*finished[0].response, *first));
    ASSERT_EQ(finished.size(), 2u);
    EXPECT_EQ(finished[1].outcome.errorId, 41);
    EXPECT_TRUE(finished[1].response->allowReassignBibs);
    const TAthleteForcePrompt* second = athleteForcePrompt(rt_modify, 41);
    ASSERT_TRUE(second);

    run(forcedAthleteRequest(*finished[1].response, *second));
    ASSERT_EQ(finished.size(), 3u);
    EXPECT_TRUE(finished[2].outcome.ok()) << finished[2].outcome.error.toStdString();
    EXPECT_TRUE(finished[2].response->allowReassignBibs);
    EXPECT_TRUE(finished[2].response->forceRemoveBibs);
    EXPECT_EQ(seed->bibs(anna), std::vector<int>{2});
    EXPECT_TRUE(recorder.confirmation.asked.empty()) << "these are Yes/No questions of the window";

    // The same id means another thing for a change than for a delete.
    EXPECT_EQ(athleteForcePrompt(rt_modify, 45)->flag, &TAthleteForces::forceRemoveAssignedResults);
    EXPECT_EQ(athleteForcePrompt(rt_delete, 45), nullptr);
    EXPECT_NE(athleteForcePrompt(rt_create, 40)->question, first->question);
    EXPECT_EQ(athleteForcePrompt(rt_create, 41), nullptr);
}

TEST_F(AthleteRoad, CreateSwapAndCheckCarryTheirDataAndComeBackWithTheirCommand)
{
    const int team = seed->team(competitionId, QStringLiteral("Adler"));
    const TAthleteInfo info{QStringLiteral("Anna"), QStringLiteral("Berg"), {7}, team, 2014, GenderType::FEMALE, 0, 0};
    run(makeAthleteSave(rt_create, 0, info));
    ASSERT_EQ(finished.size(), 1u);
    ASSERT_TRUE(finished[0].outcome.ok()) << finished[0].outcome.error.toStdString();
    EXPECT_EQ(finished[0].response->reqType, rt_create);
    EXPECT_EQ(finished[0].response->athleteInfo, info);
    const int id = seed->count("SELECT MAX(id) FROM athletes WHERE competition_id = ?", competitionId);
    EXPECT_EQ(seed->column("team_id", id), QString::number(team));
    EXPECT_EQ(seed->bibs(id), std::vector<int>{7});

    run(makeFlipNames({id}));
    EXPECT_EQ(finished.back().response->reqType, rt_flipAthleteNames);
    EXPECT_EQ(seed->column("given_name", id), QStringLiteral("Berg"));
    EXPECT_TRUE(recorder.waits.log.isEmpty()) << "saves show no wait window";
}

} // namespace
