// The stand-in's age classes, teams and team rules over HTTP: stored values, what nil keeps, the
// refusals of what has dependants and their force flags, and the rules of the age classes.

#include "standin/ErrorMessages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

AgeClassInfoType ageInfo(const QString& name, int minimum = 0, int maximum = -1)
{
    AgeClassInfoType i;
    i.Name = name;
    i.MinTeamMembers = minimum;
    i.MaxTeamMembers = maximum;
    return i;
}

TeamInfoDataType teamInfo(const QString& name)
{
    TeamInfoDataType t;
    t.Name = name;
    return t;
}

int member(StandinSeed& seed, int competition, int team, GenderType gender)
{
    const int id = seed.athlete(competition, QStringLiteral("Kim"), QStringLiteral("Muster"), team);
    seed.setPerson(id, gender, 2016);
    return id;
}

std::optional<ResultTableType> resultTable(bool team)
{
    ResultTableType t;
    t.Team = team;
    t.ResultsPerRow = 1;
    return t;
}

class StandinTeams : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        client = standin.newClient();
        competition = client->create(QStringLiteral("Kinderleichtathletik"));
    }

    int ageClass(const AgeClassInfoType& info)
    {
        return client->cms()->createAgeClass(info, competition).AgeClass->AgeClassID;
    }
    TeamType team(const QString& name, int ageClassId, int clubId = 0)
    {
        return *client->das()->addTeam(teamInfo(name), ageClassId, clubId).Team;
    }
    // The stored team, as the rule check hands it out for a team breaking a rule.
    std::vector<InvalidParticipantType> check(const std::vector<int>& providers = {})
    {
        return client->drs()->checkParticipantConstraints(providers, providers.empty() ? competition : 0);
    }

    std::unique_ptr<StandinClient> client;
    int competition = 0;
};

} // namespace

TEST_F(StandinTeams, AgeClassesAreStoredChangedAndNilKeepsThem)
{
    AgeClassInfoType info = ageInfo(QStringLiteral("U10"), 4, 8);
    info.BillingPricePerTeam = 12.34;
    info.MinMembersPerGender = 2;
    info.MaleMembersLessThan = 5;
    info.FemaleMembersLessThan = 6;
    const createAgeClassResponse1 created = client->cms()->createAgeClass(info, competition);
    ASSERT_TRUE(created.AgeClass);
    EXPECT_EQ(static_cast<const AgeClassInfoType&>(*created.AgeClass), info);
    EXPECT_GT(created.AgeClass->AgeClassID, 0);
    const int second = ageClass(ageInfo(QStringLiteral("U12")));
    EXPECT_NE(second, created.AgeClass->AgeClassID);

    // The rule check carries the stored class with the team.
    const int id = created.AgeClass->AgeClassID;
    client->cms()->modifyAgeClass(id, nullptr);
    team(QStringLiteral("Adler"), id);
    std::vector<InvalidParticipantType> found = check();
    ASSERT_EQ(found.size(), 1u);
    const AgeClassType stored = *found[0].FailedObject->Team->AgeClass;
    EXPECT_EQ(static_cast<const AgeClassInfoType&>(stored), info) << "nil keeps every field";
    EXPECT_GE(stored.Barcode, 1);

    AgeClassInfoType changed = ageInfo(QStringLiteral("U10 neu"), 0, -1);
    client->cms()->modifyAgeClass(id, changed);
    EXPECT_TRUE(check().empty()) << "no rule left to break";

    EXPECT_EQ(errorIdOf([&] { client->cms()->modifyAgeClass(4711, changed); }), standin::errors::AgeClassNotFound);
    EXPECT_EQ(errorIdOf([&] { client->cms()->createAgeClass(changed, 4711); }), standin::errors::CompetitionNotFound);
}

TEST_F(StandinTeams, AnAgeClassInUseIsNotRemoved)
{
    const int used = ageClass(ageInfo(QStringLiteral("U8")));
    const int unused = ageClass(ageInfo(QStringLiteral("U14")));
    const TeamType t = team(QStringLiteral("Füchse"), used);

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { client->cms()->removeAgeClass(used); }, &parameters), standin::errors::AgeClassInUse);
    EXPECT_EQ(parameters, (QStringList{"U8", "1", "0", "0"}));
    try {
        client->cms()->removeAgeClass(used);
    } catch (const ETvExceptionDetail& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Die Altersklasse U8 wird noch von 1 Team(s), 0 Riege(n) und 0 "
                                              "Disziplin(en) verwendet und kann nicht gelöscht werden."));
    }
    EXPECT_NO_THROW(client->cms()->removeAgeClass(unused));
    EXPECT_EQ(errorIdOf([&] { client->cms()->removeAgeClass(unused); }), standin::errors::AgeClassNotFound);

    client->cms()->removeTeam(t.TeamID, false);
    EXPECT_NO_THROW(client->cms()->removeAgeClass(used));
}

TEST_F(StandinTeams, TeamsTakeTheCompetitionOfTheirAgeClassAndABillingClubOfIt)
{
    StandinSeed seed(standin.dataFile());
    const int club = seed.club(competition, QStringLiteral("TV Nord"), QStringLiteral("Halle 2"));
    const int other = client->create(QStringLiteral("Andere"));
    const int foreignClub = seed.club(other, QStringLiteral("Fremd"));
    const int u10 = ageClass(ageInfo(QStringLiteral("U10")));

    const TeamType t = team(QStringLiteral("Adler"), u10, club);
    EXPECT_EQ(t.Name, QStringLiteral("Adler"));
    ASSERT_TRUE(t.AgeClass);
    EXPECT_EQ(t.AgeClass->AgeClassID, u10);
    ASSERT_TRUE(t.BillingClub);
    EXPECT_EQ(t.BillingClub->ClubId, club);
    EXPECT_EQ(t.BillingClub->Name, QStringLiteral("TV Nord"));
    EXPECT_EQ(t.BillingClub->Comment, QStringLiteral("Halle 2"));
    EXPECT_FALSE(t.SquadInfo);
    EXPECT_EQ(t.NoOfAthletes, 0);
    EXPECT_GE(t.Barcode, 1);
    EXPECT_EQ(seed.value("SELECT competition_id FROM teams WHERE id = ?", t.TeamID), competition);

    const TeamType second = team(QStringLiteral("Adler"), u10);
    EXPECT_NE(second.Barcode, t.Barcode);
    EXPECT_FALSE(second.BillingClub);

    EXPECT_EQ(errorIdOf([&] { team(QStringLiteral("X"), 0); }), standin::errors::AgeClassNotFound);
    EXPECT_EQ(errorIdOf([&] { team(QStringLiteral("X"), u10, foreignClub); }), standin::errors::ClubNotFound);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM teams WHERE competition_id = ?", competition), 2);
}

TEST_F(StandinTeams, ModifyTeamKeepsWhatIsNotGivenAndAsksBeforeLeavingItsSquadsAgeClass)
{
    StandinSeed seed(standin.dataFile());
    const int club = seed.club(competition, QStringLiteral("TV Nord"));
    const int u10 = ageClass(ageInfo(QStringLiteral("U10")));
    const int u12 = ageClass(ageInfo(QStringLiteral("U12")));
    const TeamType t = team(QStringLiteral("Adler"), u10, club);

    // The club window's form: no team data, age class 0, only the billing club.
    client->das()->modifyTeam(t.TeamID, nullptr, 0, false, false, 0);
    EXPECT_EQ(seed.value("SELECT billing_club_id FROM teams WHERE id = ?", t.TeamID), club);
    EXPECT_EQ(seed.value("SELECT age_class_id FROM teams WHERE id = ?", t.TeamID), u10);

    client->das()->modifyTeam(t.TeamID, teamInfo(QStringLiteral("Falken")), u12, false, true, 0);
    EXPECT_EQ(seed.value("SELECT billing_club_id IS NULL FROM teams WHERE id = ?", t.TeamID), 1);
    EXPECT_EQ(seed.value("SELECT age_class_id FROM teams WHERE id = ?", t.TeamID), u12);
    EXPECT_EQ(seed.value("SELECT name = 'Falken' FROM teams WHERE id = ?", t.TeamID), 1);

    // In a U12 squad the team may only change its class when forced.
    const int squad = seed.squad(competition, 3, QString(), u12, {t.TeamID});
    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { client->das()->modifyTeam(t.TeamID, nullptr, u10, false, false, club); }, &parameters),
              standin::errors::TeamSquadOfOtherAgeClass);
    EXPECT_EQ(parameters, (QStringList{"Falken", "3", "U12"}));
    EXPECT_EQ(seed.value("SELECT age_class_id FROM teams WHERE id = ?", t.TeamID), u12);
    EXPECT_EQ(seed.value("SELECT billing_club_id IS NULL FROM teams WHERE id = ?", t.TeamID), 1)
        << "a refused call changes nothing";
    client->das()->modifyTeam(t.TeamID, nullptr, u10, true, false, club);
    EXPECT_EQ(seed.value("SELECT age_class_id FROM teams WHERE id = ?", t.TeamID), u10);
    EXPECT_EQ(seed.value("SELECT squad_id FROM squad_teams WHERE team_id = ?", t.TeamID), squad);

    EXPECT_EQ(errorIdOf([&] { client->das()->modifyTeam(4711, nullptr, 0, false, false, 0); }),
              standin::errors::TeamNotFound);
}

TEST_F(StandinTeams, RemoveTeamIsRefusedForMembersResultsAndListsUntilForced)
{
    StandinSeed seed(standin.dataFile());
    const int u10 = ageClass(ageInfo(QStringLiteral("U10")));
    const int relay = seed.discipline(competition, QStringLiteral("Staffel"), u10, resultTable(true));

    const TeamType withMembers = team(QStringLiteral("Mitglieder"), u10);
    const int kid = member(seed, competition, withMembers.TeamID, GenderType::FEMALE);
    seed.result(relay, kid, 0);
    const TeamType withResults = team(QStringLiteral("Ergebnisse"), u10);
    seed.result(relay, 0, withResults.TeamID);
    const TeamType listed = team(QStringLiteral("Eingeteilt"), u10);
    seed.placeTeam(relay, listed.TeamID);
    const TeamType empty = team(QStringLiteral("Leer"), u10);

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { client->cms()->removeTeam(withMembers.TeamID, false); }, &parameters),
              standin::errors::TeamHasAthletes);
    EXPECT_EQ(parameters, QStringList{QStringLiteral("Mitglieder")});
    EXPECT_EQ(errorIdOf([&] { client->cms()->removeTeam(withResults.TeamID, false); }),
              standin::errors::TeamHasResults);
    EXPECT_EQ(errorIdOf([&] { client->cms()->removeTeam(listed.TeamID, false); }),
              standin::errors::TeamInDisciplineLists);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM teams WHERE competition_id = ?", competition), 4);

    client->cms()->removeTeam(empty.TeamID, false);
    client->cms()->removeTeam(withMembers.TeamID, true);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM athletes WHERE id = ?", kid), 0) << "the members go with it";
    client->cms()->removeTeam(withResults.TeamID, true);
    client->cms()->removeTeam(listed.TeamID, true);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM teams WHERE competition_id = ?", competition), 0);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM results WHERE discipline_id = ?", relay), 0);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM heat_assignments WHERE discipline_id = ?", relay), 0);
    EXPECT_EQ(errorIdOf([&] { client->cms()->removeTeam(empty.TeamID, true); }), standin::errors::TeamNotFound);
}

TEST_F(StandinTeams, ARefusedCallInATransactionLeavesTheEarlierOnesAndARollbackLeavesNothing)
{
    StandinSeed seed(standin.dataFile());
    const int u10 = ageClass(ageInfo(QStringLiteral("U10")));
    const TeamType keeps = team(QStringLiteral("Bleibt"), u10);
    member(seed, competition, keeps.TeamID, GenderType::MALE);
    const TeamType goes = team(QStringLiteral("Geht"), u10);

    client->begin(false);
    client->cms()->removeTeam(goes.TeamID, false);
    EXPECT_EQ(errorIdOf([&] { client->cms()->removeTeam(keeps.TeamID, false); }), standin::errors::TeamHasAthletes);
    team(QStringLiteral("Neu"), u10);
    client->commit();
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM teams WHERE competition_id = ?", competition), 2);

    client->begin(false);
    client->cms()->removeTeam(keeps.TeamID, true);
    client->cms()->createAgeClass(ageInfo(QStringLiteral("U12")), competition);
    client->rollback();
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM teams WHERE competition_id = ?", competition), 2);
    EXPECT_EQ(seed.value("SELECT COUNT(*) FROM age_classes WHERE competition_id = ?", competition), 1);
}

TEST_F(StandinTeams, TheRuleCheckNamesEachTeamWithTheRulesItBreaks)
{
    StandinSeed seed(standin.dataFile());
    AgeClassInfoType rules = ageInfo(QStringLiteral("U10"), 4, -1);
    rules.MinMembersPerGender = 2;
    rules.FemaleMembersLessThan = 3; // at most 2 girls
    rules.MaleMembersLessThan = 0;   // boys unbounded
    const int u10 = ageClass(rules);
    const int free = ageClass(ageInfo(QStringLiteral("Offen"), 0, -1));
    const int capped = ageClass(ageInfo(QStringLiteral("Klein"), 1, 2));

    // 3 members: too few, and only one boy.
    const TeamType few = team(QStringLiteral("B-Wenige"), u10);
    for (GenderType g : {GenderType::MALE, GenderType::FEMALE, GenderType::FEMALE})
        member(seed, competition, few.TeamID, g);
    // 5 members: 3 girls (one too many), 2 boys.
    const TeamType girls = team(QStringLiteral("A-Mädchen"), u10);
    for (GenderType g :
         {GenderType::MALE, GenderType::MALE, GenderType::FEMALE, GenderType::FEMALE, GenderType::FEMALE})
        member(seed, competition, girls.TeamID, g);
    // Fine: 4 members, 2 and 2.
    const TeamType fine = team(QStringLiteral("C-Gut"), u10);
    for (GenderType g : {GenderType::MALE, GenderType::MALE, GenderType::FEMALE, GenderType::FEMALE})
        member(seed, competition, fine.TeamID, g);
    const TeamType open = team(QStringLiteral("D-Offen"), free);
    member(seed, competition, open.TeamID, GenderType::NotSpecified);
    const TeamType large = team(QStringLiteral("E-Groß"), capped);
    for (int i = 0; i < 3; ++i)
        member(seed, competition, large.TeamID, GenderType::MALE);

    const std::vector<InvalidParticipantType> found = check();
    ASSERT_EQ(found.size(), 3u);
    // In name order.
    EXPECT_EQ(found[0].FailedObject->Team->Name, QStringLiteral("A-Mädchen"));
    EXPECT_FALSE(found[0].FailedConstraints->InvalidNoOfMembers);
    EXPECT_FALSE(found[0].FailedConstraints->MixedGendersViolation);
    EXPECT_TRUE(found[0].FailedConstraints->MaxFemaleViolation);
    EXPECT_FALSE(found[0].FailedConstraints->MaxMaleViolation);
    EXPECT_FALSE(found[0].FailedObject->Athlete);

    EXPECT_EQ(found[1].FailedObject->Team->Name, QStringLiteral("B-Wenige"));
    EXPECT_TRUE(found[1].FailedConstraints->InvalidNoOfMembers);
    EXPECT_TRUE(found[1].FailedConstraints->MixedGendersViolation);
    EXPECT_FALSE(found[1].FailedConstraints->MaxFemaleViolation);
    EXPECT_EQ(found[1].FailedObject->Team->NoOfAthletes, 3);
    EXPECT_EQ(found[1].FailedObject->Team->AgeClass->MinTeamMembers, 4);
    EXPECT_EQ(found[1].FailedObject->Team->AgeClass->MaxTeamMembers, -1);

    EXPECT_EQ(found[2].FailedObject->Team->Name, QStringLiteral("E-Groß"));
    EXPECT_TRUE(found[2].FailedConstraints->InvalidNoOfMembers);
}

TEST_F(StandinTeams, TheRuleCheckOfProvidersLooksOnlyAtTheTeamsBehindThem)
{
    StandinSeed seed(standin.dataFile());
    const int u10 = ageClass(ageInfo(QStringLiteral("U10"), 2, -1));
    const TeamType byTeam = team(QStringLiteral("Team-Eintrag"), u10);
    const TeamType bySquad = team(QStringLiteral("Riegen-Eintrag"), u10);
    const TeamType byAthlete = team(QStringLiteral("Athleten-Eintrag"), u10);
    const TeamType elsewhere = team(QStringLiteral("Anderswo"), u10);
    const int runner = member(seed, competition, byAthlete.TeamID, GenderType::MALE);

    const int relay = seed.discipline(competition, QStringLiteral("Staffel"), u10, resultTable(true));
    const int sprint = seed.discipline(competition, QStringLiteral("Sprint"), u10, resultTable(false));
    const int other = seed.discipline(competition, QStringLiteral("Weitsprung"), u10, resultTable(true));
    seed.placeTeam(relay, byTeam.TeamID);
    const int squad = seed.squad(competition, 1, QString(), u10, {bySquad.TeamID});
    seed.assignSquad(relay, squad);
    seed.placeAthlete(sprint, runner);
    seed.placeTeam(other, elsewhere.TeamID);

    auto names = [](const std::vector<InvalidParticipantType>& found) {
        QStringList out;
        for (const InvalidParticipantType& f : found)
            out << f.FailedObject->Team->Name;
        return out;
    };
    EXPECT_EQ(names(check({relay})), (QStringList{"Riegen-Eintrag", "Team-Eintrag"}));
    EXPECT_EQ(names(check({sprint})), QStringList{"Athleten-Eintrag"});
    // A scoring node stands for its sources, nested ones too.
    const int inner = seed.aggregator(competition, {sprint});
    const int outer = seed.aggregator(competition, {inner, relay});
    EXPECT_EQ(names(check({outer})), (QStringList{"Athleten-Eintrag", "Riegen-Eintrag", "Team-Eintrag"}));
    EXPECT_EQ(check().size(), 4u);
    EXPECT_EQ(errorIdOf([&] { client->drs()->checkParticipantConstraints({}, 4711); }),
              standin::errors::CompetitionNotFound);
}

TEST(StandinTeamMessages, EveryTeamsAreaIdHasAGermanTextTakingItsParameters)
{
    namespace e = standin::errors;
    const std::vector<std::pair<int, int>> idsAndParameters{{e::TeamHasAthletes, 1},
                                                            {e::TeamHasResults, 1},
                                                            {e::TeamInDisciplineLists, 1},
                                                            {e::AgeClassInUse, 4},
                                                            {e::TeamSquadOfOtherAgeClass, 3},
                                                            {e::AgeClassNotFound, 1},
                                                            {e::TeamNotFound, 1},
                                                            {e::ClubNotFound, 1}};
    for (const auto& [id, count] : idsAndParameters) {
        const auto m = std::find_if(e::messages().begin(), e::messages().end(),
                                    [id = id](const e::Message& msg) { return msg.id == id; });
        ASSERT_NE(m, e::messages().end()) << id;
        EXPECT_EQ(QString::fromUtf8(m->text).count(QStringLiteral("%s")), count) << id;
        EXPECT_EQ(std::count_if(e::messages().begin(), e::messages().end(),
                                [id = id](const e::Message& msg) { return msg.id == id; }),
                  1)
            << "one text per id";
    }
}
