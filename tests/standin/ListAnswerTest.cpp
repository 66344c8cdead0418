// The long list answers (athletes, cup athletes) are written as text with each team, club and
// competition written once: their bytes must be those of the records filled in full. And the
// statements a connection keeps for reuse must behave like fresh ones.

#include "core/protocol/SoapWriter.h"
#include "standin/Records.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

template <class Op>
std::string request(const Op& args)
{
    pugi::xml_document doc;
    pugi::xml_node element = codec::makeEnvelope(doc, serviceNamespace(Op::service), Op::name);
    codec::encodeFields(element, args, {});
    return codec::serialize(doc);
}

// What the answer's response element holds, byte for byte.
std::string resultOf(const std::string& body, std::string_view operation)
{
    const std::string response = std::string(operation) + "Response";
    const std::size_t open = body.find(response);
    const std::size_t close = body.rfind(response);
    if (open == std::string::npos)
        return "(no " + response + " in: " + body.substr(0, 400) + ")";
    const std::size_t start = body.find('>', open) + 1;
    if (close == open) // an empty element
        return body.compare(start - 2, 2, "/>") == 0 ? "" : "(unclosed " + response + ")";
    return body.substr(start, body.rfind("</", close) - start);
}

class StandinListAnswers : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        comp = seed->competition(QStringLiteral("Kreisfinale"));
        AgeClassInfoType rules;
        rules.BillingPricePerTeam = 12.5;
        rules.MinTeamMembers = 6;
        const int u10 = seed->ageClass(comp, QStringLiteral("U10 <klein>"), rules);
        const int u12 = seed->ageClass(comp, QStringLiteral("U12"));
        const int olbach =
            seed->club(comp, QStringLiteral("TV Ölbach"), QStringLiteral("Bemerkung & mehr"), QStringLiteral("kasse"));
        const int sued = seed->club(comp, QStringLiteral("SC Süd"));
        foxes = seed->team(comp, QStringLiteral("Füchse"), u10, olbach);
        const int bears = seed->team(comp, QStringLiteral("Bären"), u12);
        seed->squad(comp, 3, QStringLiteral("Blau"), u10, {foxes});
        const int ida = seed->athlete(comp, QStringLiteral("Ida"), QStringLiteral("Ahorn"), foxes, olbach, {17, 4});
        seed->setPerson(ida, GenderType::FEMALE, 2016);
        seed->giveBlankBarcode(comp, ida);
        seed->athlete(comp, QStringLiteral("Ole"), QString());
        seed->athlete(comp, QStringLiteral("Zoë"), QStringLiteral("Birke\x01"), foxes, sued, {5});
        seed->athlete(comp, QStringLiteral("Max"), QStringLiteral("Eiche"), bears, sued);
        seed->athlete(comp, QStringLiteral("Paul"), QStringLiteral("Eiche"), 0, olbach);
        const int other = seed->competition(QStringLiteral("Anderswo"));
        seed->athlete(other, QStringLiteral("Fremd"), QStringLiteral("Ling"), seed->team(other, QStringLiteral("X")));
    }

    // The athletes as the records filled in full write them.
    std::string recordsWritten(const standin::AthleteSelection& selection = {})
    {
        standin::Db db(standin.dataFile());
        const standin::CompetitionParticipants participants(db, comp);
        std::string out;
        codec::writeResult(out, standin::readAthletes(db, comp, participants, selection));
        return out;
    }

    std::unique_ptr<StandinSeed> seed;
    int comp = 0;
    int foxes = 0;
};

TEST_F(StandinListAnswers, AthletesAreTheBytesOfTheirFullRecords)
{
    op::getAthletes all;
    all.CompetitionID = comp;
    const std::string written = recordsWritten();
    EXPECT_EQ(resultOf(standin.post("DataRetrievalService", request(all)).body, op::getAthletes::name), written);
    EXPECT_NE(written.find("<Name>U10 &lt;klein&gt;</Name>"), std::string::npos);
    EXPECT_NE(written.find("<surName>Birke</surName>"), std::string::npos) << "a stored control character stays home";

    op::getAthletes team = all;
    team.TeamID = foxes;
    standin::AthleteSelection foxesOnly;
    foxesOnly.teamId = foxes;
    EXPECT_EQ(resultOf(standin.post("DataRetrievalService", request(team)).body, op::getAthletes::name),
              recordsWritten(foxesOnly));

    op::getAthletes nobody = all;
    nobody.SurName = StringSearchType{QStringLiteral("Niemand"), false};
    EXPECT_EQ(resultOf(standin.post("DataRetrievalService", request(nobody)).body, op::getAthletes::name), "");
}

TEST_F(StandinListAnswers, CupAthletesAreTheBytesOfTheirFullRecordsWithEachAthleteAsRead)
{
    const int second = seed->competition(QStringLiteral("Rückrunde"));
    const int team = seed->team(second, QStringLiteral("Füchse 2"), seed->ageClass(second, QStringLiteral("U10")));
    seed->athlete(second, QStringLiteral("Ida"), QStringLiteral("Ahorn"), team, 0, {3});
    seed->athlete(second, QStringLiteral("Nur"), QStringLiteral("Hier"), team);
    const std::unique_ptr<StandinClient> client = standin.newClient();
    CupInfoDataType info;
    info.Name = QStringLiteral("Kreiscup");
    const int cup = client->css()->createCup(info).CupID;
    client->css()->assignCompetitions(cup, {comp, second});
    const getCupAthletesResponse items = client->crs()->getCupAthletes(cup, 0, 0);
    ASSERT_FALSE(items.PendingCupAthletes.empty());
    client->css()->markCompletionState({items.PendingCupAthletes.front().AthleteID}, true);

    op::getCupAthletes args;
    args.CupID = cup;
    const std::string body = standin.post("CupRetrievalService", request(args)).body;
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(body.c_str()));
    const getCupAthletesResponse decoded = codec::decodeResult<getCupAthletesResponse>(codec::bodyElement(doc));
    ASSERT_EQ(decoded.CompletedCupAthletes.size(), 1u);
    std::string written;
    codec::writeResult(written, decoded);
    EXPECT_EQ(resultOf(body, op::getCupAthletes::name), written);

    // Each entry carries the athlete exactly as the competition's own read fills it, as far as
    // the wire carries it (Zoë's stored control character is not).
    standin::Db db(standin.dataFile());
    std::map<int, AthleteType> read;
    for (int c : {comp, second})
        for (AthleteType& a : standin::readAthletes(db, c, standin::CompetitionParticipants(db, c)))
            read.emplace(a.AthleteID, std::move(a));
    std::size_t entries = 0;
    for (const auto* list : {&decoded.CompletedCupAthletes, &decoded.PendingCupAthletes})
        for (const CupAthleteType& cupAthlete : *list)
            for (const CompetitionAthleteType& e : cupAthlete.AssignedAthletes) {
                ASSERT_TRUE(e.Athlete && e.Competition);
                std::string got, expected;
                codec::writeValue(got, "Athlete", *e.Athlete);
                codec::writeValue(expected, "Athlete", read.at(e.Athlete->AthleteID));
                EXPECT_EQ(got, expected);
                ++entries;
            }
    EXPECT_EQ(entries, 7u); // every athlete of both competitions
}

TEST(StandinStatements, AReusedStatementIsFreshEachTimeAndLetsGoOfItsSnapshot)
{
    StandinHarness standin;
    standin.start();
    StandinSeed seed(standin.dataFile());
    const int comp = seed.competition(QStringLiteral("Kreisfinale"));
    for (const char* name : {"A", "B", "C"})
        seed.athlete(comp, QString::fromLatin1(name), QString());
    const char* sql = "SELECT given_name FROM athletes WHERE competition_id = ? ORDER BY id";
    standin::Db reader(standin.dataFile());

    // The same text asked for while its statement steps (a nested read) must not restart it.
    QStringList pairs;
    standin::Statement outer = reader.query(sql, comp);
    while (outer.next()) {
        standin::Statement inner = reader.query(sql, comp);
        ASSERT_TRUE(inner.next());
        pairs << outer.textAt(0) + inner.textAt(0);
    }
    EXPECT_EQ(pairs, (QStringList{"AA", "BA", "CA"}));

    // Left after its first row, it must not keep the file as it was then.
    {
        standin::Statement once = reader.query(sql, comp);
        ASSERT_TRUE(once.next());
    }
    seed.athlete(comp, QStringLiteral("D"), QString());
    QStringList names;
    for (standin::Statement again = reader.query(sql, comp); again.next();)
        names << again.textAt(0);
    EXPECT_EQ(names, (QStringList{"A", "B", "C", "D"}));
}

} // namespace
