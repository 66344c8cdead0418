// The stand-in's disciplines and scoring nodes over HTTP: the refusals that guard results, heats,
// squads and schedule items until their force flag comes, and the scoring-node trees.

#include "tests/support/DisciplineSeed.h"
#include "tests/support/StandinHarness.h"

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

DisciplinInfoType settings(const QString& name, int attempts = 3, bool team = false, int ageClass = 0)
{
    DisciplinInfoType s;
    s.Name = name;
    s.AgeClassID = ageClass;
    s.maxParticipantsPerHeat = 8;
    ResultTableType& t = s.ResultTableType.ensure();
    t.Team = team;
    t.ResultsPerRow = attempts;
    return s;
}

ResultAggregatorInstanceInfoType node(int templateId, std::vector<int> sources, std::vector<QString> parameters)
{
    ResultAggregatorInstanceInfoType n;
    n.TemplateID = templateId;
    n.ConnectedAggregators = std::move(sources);
    n.Parameters = std::move(parameters);
    return n;
}

class StandinDisciplines : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        c = standin.newClient();
        competition = c->create(QStringLiteral("Kinderleichtathletik"));
    }

    int createDisc(const DisciplinInfoType& s)
    {
        return c->cms()->createDisciplin(s, competition).Disciplin->DisciplinID;
    }

    // modifyDisciplin with the given force flags; the result kind stays unless changeKind.
    int modify(int disc, const DisciplinInfoType& s, bool forceModify = false, bool forceAgeClass = false,
               bool forceReassign = false, bool forceRemoveResults = false, bool changeKindAllowed = true)
    {
        return errorIdOf([&] {
            c->cms()->modifyDisciplin(disc, s, forceModify, forceAgeClass, forceReassign, forceRemoveResults,
                                      changeKindAllowed);
        });
    }

    std::unique_ptr<StandinClient> c;
    int competition = 0;
};

class StandinScoringNodes : public StandinDisciplines {};

} // namespace

TEST_F(StandinDisciplines, CreatedDisciplinesComeBackWithTheirSettingsAndAnOwnBarcode)
{
    DisciplinInfoType s = settings(QStringLiteral("Sprint"), 2, true);
    s.ResultAssignment = ResultAssignmentType::byLane;
    s.SquadAssignment = SquadAssignmentType::allSquadsInOneHeat;
    s.maxParticipantsPerHeat = 45;
    const createDisciplinResponse r = c->cms()->createDisciplin(s, competition);
    ASSERT_TRUE(r.Disciplin);
    EXPECT_EQ(r.Disciplin->Name, QStringLiteral("Sprint"));
    EXPECT_EQ(r.Disciplin->CompetitionID, competition);
    EXPECT_EQ(r.Disciplin->maxParticipantsPerHeat, 45);
    EXPECT_EQ(r.Disciplin->ResultAssignment, ResultAssignmentType::byLane);
    EXPECT_EQ(r.Disciplin->SquadAssignment, SquadAssignmentType::allSquadsInOneHeat);
    ASSERT_TRUE(r.Disciplin->ResultTableType);
    EXPECT_TRUE(r.Disciplin->ResultTableType->Team);
    EXPECT_EQ(r.Disciplin->ResultTableType->ResultsPerRow, 2);
    const int second = createDisc(settings(QStringLiteral("Weitsprung")));
    EXPECT_NE(second, r.Disciplin->DisciplinID);
    EXPECT_GT(r.Disciplin->Barcode, 0);

    // Refused: no competition, no name, no attempt, an age class of nobody.
    EXPECT_EQ(errorIdOf([&] { c->cms()->createDisciplin(settings(QStringLiteral("X")), 999); }), 3);
    EXPECT_EQ(errorIdOf([&] { createDisc(settings(QStringLiteral("  "))); }), 609);
    EXPECT_EQ(errorIdOf([&] { createDisc(settings(QStringLiteral("X"), 0)); }), 609);
    EXPECT_EQ(errorIdOf([&] { createDisc(settings(QStringLiteral("X"), 1, false, 4711)); }), 920);
}

TEST_F(StandinDisciplines, RemovingIsRefusedWhileResultsHeatsOrScheduleItemsDependUntilForced)
{
    const int disc = createDisc(settings(QStringLiteral("Wurf")));
    DisciplineSeed seed(standin.dataFile());
    const DisciplineSeed::Squad s = seed.squad(competition, 0);
    seed.heat(disc, s.athlete);
    seed.scheduleItem(competition, disc, s.squad);
    const auto remove = [&](bool force, bool forceSchedule) {
        return errorIdOf([&] { c->cms()->removeDisciplin(disc, force, forceSchedule); });
    };
    EXPECT_EQ(remove(false, false), 35) << "heats only";
    seed.result(disc, s.athlete);
    EXPECT_EQ(remove(false, false), 36) << "results and heats";
    EXPECT_EQ(remove(true, false), 168) << "the schedule item is asked about on its own";
    EXPECT_EQ(remove(false, true), 36);
    EXPECT_EQ(seed.count("SELECT COUNT(*) FROM disciplines WHERE id = ?", disc), 1) << "nothing went";
    EXPECT_EQ(remove(true, true), -1000);
    EXPECT_EQ(seed.count("SELECT COUNT(*) FROM disciplines WHERE id = ?", disc), 0);
    EXPECT_EQ(seed.count("SELECT COUNT(*) FROM results WHERE discipline_id = ?", disc), 0);
    EXPECT_EQ(seed.count("SELECT COUNT(*) FROM schedule_items WHERE squad_id = ?", s.squad), 0);
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeDisciplin(disc, true, true); }), 13);
}

TEST_F(StandinDisciplines, ChangesThatWouldLoseResultsOrHeatsWaitForTheirFlag)
{
    DisciplineSeed seed(standin.dataFile());
    const int u10 = seed.ageClass(competition, QStringLiteral("U10"));
    const int u12 = seed.ageClass(competition, QStringLiteral("U12"));
    const int disc = createDisc(settings(QStringLiteral("Weitsprung"), 3, false, u10));
    const DisciplineSeed::Squad own = seed.squad(competition, u10);
    const DisciplineSeed::Squad other = seed.squad(competition, u12);
    seed.assignSquad(disc, own.squad);
    seed.heat(disc, own.athlete);
    seed.result(disc, own.athlete, 3);

    // An unchanged discipline is no change at all.
    EXPECT_EQ(modify(disc, settings(QStringLiteral("Weitsprung"), 3, false, u10)), -1000);
    // The result kind, fewer attempts, another assignment, the team flag.
    EXPECT_EQ(modify(disc, settings(QStringLiteral("Weitsprung"), 3, false, u10), false, false, false, false, false),
              182);
    EXPECT_EQ(modify(disc, settings(QStringLiteral("Weitsprung"), 2, false, u10)), 37);
    DisciplinInfoType byBib = settings(QStringLiteral("Weitsprung"), 3, false, u10);
    byBib.ResultAssignment = ResultAssignmentType::byBib;
    EXPECT_EQ(modify(disc, byBib), 12);
    EXPECT_EQ(modify(disc, settings(QStringLiteral("Weitsprung"), 3, true, u10)), 38);

    // Another age class drops the squads of the old one: asked for the assignment, then for its results.
    EXPECT_EQ(modify(disc, settings(QStringLiteral("Weitsprung"), 3, false, u12)), 70);
    EXPECT_EQ(modify(disc, settings(QStringLiteral("Weitsprung"), 3, false, u12), false, true), 45);
    EXPECT_EQ(seed.count("SELECT COUNT(*) FROM results WHERE discipline_id = ?", disc), 1) << "refusals change nothing";
    EXPECT_EQ(modify(disc, settings(QStringLiteral("Weitsprung"), 3, false, u12), false, true, false, true), -1000);
    EXPECT_EQ(seed.count("SELECT COUNT(*) FROM results WHERE discipline_id = ?", disc), 0);
    EXPECT_EQ(seed.count("SELECT COUNT(*) FROM discipline_squads WHERE discipline_id = ?", disc), 0);
    EXPECT_EQ(seed.count("SELECT COUNT(*) FROM heat_assignments WHERE discipline_id = ?", disc), 0);

    // Heats alone: the team flag asks with 39; forced, the heats go.
    seed.assignSquad(disc, other.squad);
    seed.heat(disc, other.athlete);
    EXPECT_EQ(modify(disc, settings(QStringLiteral("Weitsprung"), 3, true, u12)), 39);
    EXPECT_EQ(modify(disc, settings(QStringLiteral("Weitsprung"), 3, true, u12), true), -1000);
    EXPECT_EQ(seed.count("SELECT COUNT(*) FROM heat_assignments WHERE discipline_id = ?", disc), 0);

    // Fewer attempts forced drops only the higher ones.
    seed.result(disc, other.athlete, 1);
    seed.result(disc, other.athlete, 3);
    EXPECT_EQ(modify(disc, settings(QStringLiteral("Weitsprung"), 2, true, u12), true), -1000);
    EXPECT_EQ(seed.count("SELECT COUNT(*) FROM results WHERE discipline_id = ?", disc), 1);
}

TEST_F(StandinDisciplines, ModifyWithoutSettingsKeepsEverythingAndAWarningNamesMixedAgeClasses)
{
    DisciplineSeed seed(standin.dataFile());
    const int u10 = seed.ageClass(competition, QStringLiteral("U10"));
    const int u12 = seed.ageClass(competition, QStringLiteral("U12"));
    const int a = createDisc(settings(QStringLiteral("Sprint"), 1, false, u10));
    const int b = createDisc(settings(QStringLiteral("Wurf"), 1, false, u10));
    c->cms()->assignResultAggregator(node(2, {a, b}, {QStringLiteral("0")}));

    EXPECT_EQ(errorIdOf([&] { c->cms()->modifyDisciplin(b, nullptr, false, false, false, false, true); }), -1000);
    const modifyDisciplinResponse1 r =
        c->cms()->modifyDisciplin(b, settings(QStringLiteral("Wurf"), 1, false, u12), false, false, false, false, true);
    ASSERT_TRUE(r.Warnings && r.Warnings->MixedAgeClassesWarning);
    const auto& mixed = r.Warnings->MixedAgeClassesWarning->MixedDisciplines;
    ASSERT_EQ(mixed.size(), 2u);
    EXPECT_EQ(mixed[0].AgeClass->Name, QStringLiteral("U10"));
    ASSERT_EQ(mixed[0].Disciplines.size(), 1u);
    EXPECT_EQ(mixed[0].Disciplines[0].DisciplinID, a);
    EXPECT_EQ(mixed[1].AgeClass->Name, QStringLiteral("U12"));
}

TEST_F(StandinScoringNodes, TheDisciplineIsTheBottomOfItsTreeAndNodesShareItsIdSpace)
{
    const int disc = createDisc(settings(QStringLiteral("Sprint")));
    const assignResultAggregatorResponse1 best =
        c->cms()->assignResultAggregator(node(1, {disc}, {QStringLiteral("1")}));
    ASSERT_TRUE(best.CreatedResultAggregator);
    const int a = best.CreatedResultAggregator->ID;
    EXPECT_GT(a, disc);
    EXPECT_NE(a, 1);
    EXPECT_EQ(best.CreatedResultAggregator->ConnectedAggregators, std::vector<int>{disc});
    GlobalParametersInfoType par;
    par.Key = QStringLiteral("Par");
    par.Value = 3;
    c->cms()->setGlobalParameter(competition, {par});
    const int b =
        c->cms()
            ->assignResultAggregator(node(4, {a}, {QStringLiteral("1.5"), QStringLiteral("2"), QStringLiteral("Par")}))
            .CreatedResultAggregator->ID;
    // A discipline's id is taken by nothing else, so a new one follows the nodes.
    EXPECT_GT(createDisc(settings(QStringLiteral("Wurf"))), b);

    const getResultAggregatorTreeResponse1 tree = c->drs()->getResultAggregatorTree(disc, 0);
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree[0].ID, disc);
    EXPECT_FALSE(tree[0].AggregatorInfo) << "the discipline's own node has no aggregator";
    ASSERT_EQ(tree[0].OutputConnections.size(), 1u);
    const AggregatorTreeNodeType& first = tree[0].OutputConnections[0];
    EXPECT_EQ(first.ID, a);
    ASSERT_TRUE(first.AggregatorInfo);
    EXPECT_EQ(first.AggregatorInfo->TemplateID, 1);
    ASSERT_EQ(first.OutputConnections.size(), 1u);
    EXPECT_EQ(first.OutputConnections[0].ID, b);
    EXPECT_EQ(first.OutputConnections[0].AggregatorInfo->Parameters,
              (std::vector<QString>{QStringLiteral("1.5"), QStringLiteral("2"), QStringLiteral("Par")}));

    // The template of a node; a discipline is none (21); the disciplines at the bottom.
    EXPECT_EQ(c->drs()->getResultAggregatorInfo(b).ResultAggregator->Name, QStringLiteral("Punkte nach Tabelle"));
    EXPECT_EQ(errorIdOf([&] { c->drs()->getResultAggregatorInfo(disc); }), 21);
    const getToplevelSourceDisciplinesResponse1 bottom = c->drs()->getToplevelSourceDisciplines(b);
    ASSERT_EQ(bottom.size(), 1u);
    EXPECT_EQ(bottom[0].Name, QStringLiteral("Sprint"));
}

TEST_F(StandinScoringNodes, TheCatalogueNamesItsParametersAndNodesMustMatchIt)
{
    const getResultAggregatorsResponse1 catalogue = c->drs()->getResultAggregators(competition, nullptr, nullptr);
    QStringList names;
    for (const ResultAggregatorTemplateType& t : catalogue)
        names << t.Name;
    EXPECT_EQ(names, (QStringList{"Bester Versuch", "Summe", "Rang", "Punkte nach Tabelle", "Team: Beste N"}));
    ASSERT_EQ(catalogue[4].ParameterTypes.size(), 1u);
    EXPECT_EQ(catalogue[4].ParameterTypes[0].Name, QStringLiteral("N"));
    StringSearchType search;
    search.Name = QStringLiteral("punkte nach tabelle");
    EXPECT_EQ(c->drs()->getResultAggregators(competition, search, nullptr).size(), 1u);

    const int disc = createDisc(settings(QStringLiteral("Sprint")));
    EXPECT_EQ(errorIdOf([&] { c->cms()->assignResultAggregator(node(99, {disc}, {})); }), 602);
    EXPECT_EQ(errorIdOf([&] { c->cms()->assignResultAggregator(node(1, {disc}, {})); }), 603);
    EXPECT_EQ(errorIdOf([&] { c->cms()->assignResultAggregator(node(1, {}, {QStringLiteral("1")})); }), 606);
    EXPECT_EQ(errorIdOf([&] { c->cms()->assignResultAggregator(node(1, {4711}, {QStringLiteral("1")})); }), 604);
    const int other = c->create(QStringLiteral("Andere Veranstaltung"));
    const int foreign = c->cms()->createDisciplin(settings(QStringLiteral("Fremd")), other).Disciplin->DisciplinID;
    EXPECT_EQ(errorIdOf([&] {
                  c->cms()->assignResultAggregator(node(2, {disc, foreign}, {QStringLiteral("0")}));
              }),
              604)
        << "sources of one competition only";
}

TEST_F(StandinScoringNodes, SourcesChangeWithoutEverFormingACycleOrLeavingANodeWithout)
{
    const int disc = createDisc(settings(QStringLiteral("Sprint")));
    const int wurf = createDisc(settings(QStringLiteral("Wurf")));
    const int a = c->cms()->assignResultAggregator(node(1, {disc}, {QStringLiteral("1")})).CreatedResultAggregator->ID;
    const int b = c->cms()->assignResultAggregator(node(2, {a}, {QStringLiteral("0")})).CreatedResultAggregator->ID;

    EXPECT_EQ(errorIdOf([&] { c->cms()->connectProviderToResultAggregator(a, b); }), 605);
    EXPECT_EQ(errorIdOf([&] { c->cms()->modifyAssignedResultAggregator(a, node(1, {a}, {QStringLiteral("1")})); }),
              605);
    c->cms()->connectProviderToResultAggregator(b, wurf);
    c->cms()->connectProviderToResultAggregator(b, wurf); // already there: no second entry
    EXPECT_EQ(c->drs()->getResultAggregatorTree(wurf, 0)[0].OutputConnections[0].AggregatorInfo->ConnectedAggregators,
              (std::vector<int>{a, wurf}));
    c->cms()->disconnectProviderFromResultAggregator(b, a);
    EXPECT_EQ(errorIdOf([&] { c->cms()->disconnectProviderFromResultAggregator(b, wurf); }), 606);

    c->cms()->modifyAssignedResultAggregator(a, node(3, {disc, wurf}, {QStringLiteral("1")}));
    const getResultAggregatorTreeResponse1 tree = c->drs()->getResultAggregatorTree(disc, 0);
    EXPECT_EQ(tree[0].OutputConnections[0].AggregatorInfo->TemplateID, 3);
    // The whole competition: every discipline a root.
    EXPECT_EQ(c->drs()->getResultAggregatorTree(0, competition).size(), 2u);
}

TEST_F(StandinScoringNodes, ANodeThatIsTheOnlySourceOfAnotherGoesOnlyWhenForcedOrAfterIt)
{
    const int disc = createDisc(settings(QStringLiteral("Sprint")));
    const int wurf = createDisc(settings(QStringLiteral("Wurf")));
    const int a = c->cms()->assignResultAggregator(node(1, {disc}, {QStringLiteral("1")})).CreatedResultAggregator->ID;
    const int only = c->cms()->assignResultAggregator(node(2, {a}, {QStringLiteral("0")})).CreatedResultAggregator->ID;
    const int shared =
        c->cms()->assignResultAggregator(node(2, {a, wurf}, {QStringLiteral("0")})).CreatedResultAggregator->ID;
    c->cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("Gesamt"), only);

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeResultAggregator(a, false); }, &parameters), 607);
    EXPECT_EQ(parameters, (QStringList{QString::number(a), QString::number(only)}));
    // The window's order: the node above first, then the one it drew on.
    c->cms()->removeResultAggregator(only, false);
    c->cms()->removeResultAggregator(a, false);
    const getResultAggregatorTreeResponse1 tree = c->drs()->getResultAggregatorTree(wurf, 0);
    ASSERT_EQ(tree[0].OutputConnections.size(), 1u);
    EXPECT_EQ(tree[0].OutputConnections[0].ID, shared);
    EXPECT_EQ(tree[0].OutputConnections[0].AggregatorInfo->ConnectedAggregators, std::vector<int>{wurf});
    EXPECT_TRUE(c->drs()->getUiInfo(QStringLiteral("Label"), only).Value.isEmpty()) << "its labels went with it";
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeResultAggregator(disc, false); }), 21);

    // Forced, the nodes left without sources go too; removing a discipline takes its own nodes.
    const int b = c->cms()->assignResultAggregator(node(1, {wurf}, {QStringLiteral("1")})).CreatedResultAggregator->ID;
    c->cms()->assignResultAggregator(node(2, {b}, {QStringLiteral("0")}));
    c->cms()->removeResultAggregator(b, true);
    EXPECT_EQ(c->drs()->getResultAggregatorTree(wurf, 0)[0].OutputConnections.size(), 1u);
    c->cms()->removeDisciplin(wurf, false, false);
    EXPECT_EQ(errorIdOf([&] { c->drs()->getResultAggregatorInfo(shared); }), 21);
}

TEST_F(StandinScoringNodes, EveryRefusalHasAGermanTextWithItsParameters)
{
    const getExceptionMessagesResponse1 texts = c->drs()->getExceptionMessages(0);
    const auto textOf = [&](int id) {
        for (const ExceptionMessageType& m : texts)
            if (m.ExceptionID == id)
                return m.ExceptionMessage;
        return QString();
    };
    for (int id : {12, 21, 35, 36, 37, 38, 39, 45, 70, 168, 182, 13, 602, 604, 605, 607, 609, 920})
        EXPECT_TRUE(textOf(id).contains(QStringLiteral("%s"))) << id;
    EXPECT_EQ(textOf(603).count(QStringLiteral("%s")), 3);
    EXPECT_FALSE(textOf(606).isEmpty());
}

TEST_F(StandinScoringNodes, ATeamTableIsNoSourceOfTheTeamRuleWhereverItComesFrom)
{
    const int sprint = createDisc(settings(QStringLiteral("Sprint")));
    const int staffel = createDisc(settings(QStringLiteral("Staffel"), 1, true));
    const int best =
        c->cms()->assignResultAggregator(node(1, {staffel}, {QStringLiteral("1")})).CreatedResultAggregator->ID;
    const int team =
        c->cms()->assignResultAggregator(node(5, {sprint}, {QStringLiteral("2")})).CreatedResultAggregator->ID;

    // A team discipline, and a node fed by one, already give team tables.
    for (int source : {staffel, best, team}) {
        try {
            c->cms()->assignResultAggregator(node(5, {source}, {QStringLiteral("2")}));
            ADD_FAILURE() << "taken: " << source;
        } catch (const ETvExceptionDetail& e) {
            EXPECT_EQ(e.ExceptionID, 143);
            EXPECT_EQ(e.ExceptionParameters.value(0), QStringLiteral("Team: Beste N"));
            EXPECT_EQ(e.message(), QStringLiteral("Der Ergebnis-Aggregator \"Team: Beste N\" unterstützt das "
                                                  "Eingabeformat der Quelle %1 nicht.")
                                       .arg(source));
        }
    }
    EXPECT_EQ(errorIdOf([&] { c->cms()->connectProviderToResultAggregator(team, staffel); }), 143);
    EXPECT_EQ(errorIdOf([&] { c->cms()->modifyAssignedResultAggregator(team, node(5, {sprint, best}, {"2"})); }), 143);
    // Other rules take them.
    c->cms()->connectProviderToResultAggregator(best, team);
    EXPECT_EQ(
        c->drs()->getResultAggregatorTree(staffel, 0)[0].OutputConnections[0].AggregatorInfo->ConnectedAggregators,
        (std::vector<int>{staffel, team}));
}
