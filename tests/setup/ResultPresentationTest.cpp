// The certificate collections of a new competition: which nodes of the chosen templates each
// presentation lists, in which order, and the sort order that goes with it.

#include "setup/CompSetupCert.h"

#include <gtest/gtest.h>

using namespace tvp;
using Ids = std::vector<int>;

namespace {

TTemplateNode node(int id, const QString& name, bool cert, std::vector<TTemplateNode> inputs = {})
{
    TTemplateNode n;
    n.ID = id;
    n.name = name;
    n.VisCertificate = cert;
    n.OutputConnections = std::move(inputs);
    return n;
}

// Discipline "Ergebnis"(1) <- "Punkte"(2) <- "Rang"(3, not on certificates); server ids base+node.
std::unique_ptr<TPresentationDiscTemplate> discipline(const QString& name, int givenId, int base)
{
    auto d = std::make_unique<TPresentationDiscTemplate>();
    d->DisplayName = name;
    d->GivenID = givenId;
    d->aggRoot = node(1, "Ergebnis", true, {node(2, "Punkte", true, {node(3, "Rang", false)})});
    d->setIdMap(0, {{1, base + 1}, {2, base + 2}, {3, base + 3}});
    return d;
}

std::unique_ptr<TPresentationResultsTemplate> results(const QString& name, std::vector<TTemplateNode> top)
{
    auto r = std::make_unique<TPresentationResultsTemplate>();
    r->DisplayName = name;
    r->topLevelItems = std::move(top);
    return r;
}

TPriorityTarget target(TWrapperKind kind, const QString& name, QStringList providers = {})
{
    return {kind, name, std::move(providers)};
}

// Two overall scorings "Gesamt" and "Team", the first with the intermediate "Zwischen" that was
// created for "Sprint" only; disciplines "Sprint" (500) and "Wurf" (600).
struct AgeClassSetup {
    std::unique_ptr<TPresentationResultsTemplate> gesamt = results("Gesamt", {node(10, "Gesamt", true)});
    std::unique_ptr<TPresentationResultsTemplate> team = results("Team", {node(20, "Team", true)});
    std::unique_ptr<TPresentationResultsTemplate> zwischen = results("Zwischen", {node(30, "Zw", true)});
    std::unique_ptr<TPresentationDiscTemplate> sprint = discipline("Sprint", 500, 100);
    std::unique_ptr<TPresentationDiscTemplate> wurf = discipline("Wurf", 600, 200);
    TResultEvaluationRef gesamtRef{"Gesamt", {{"Zwischen", nullptr}}};
    TPresentationAgeClass ageClass;

    AgeClassSetup()
    {
        gesamt->setIdMap(0, {{10, 1010}});
        team->setIdMap(0, {{20, 2020}});
        zwischen->setIdMap(500, {{30, 3500}});
        ageClass.loadedResEvals = {gesamt.get(), team.get(), zwischen.get()};
        ageClass.refNames = {
            {gesamt.get(), "Gesamt"}, {team.get(), "Team"}, {sprint.get(), "Sprint"}, {wurf.get(), "Wurf"}};
        ageClass.resEvalRefs = {{gesamt.get(), &gesamtRef}};
    }

    std::vector<TPresentationOrder> make(std::vector<TResultPresentationDef> presentations)
    {
        ageClass.presentations = std::move(presentations);
        return makeResultPresentations(ageClass, {sprint.get(), wurf.get()}, {gesamt.get(), team.get()});
    }

    Ids aggIds(TResultPresentationDef pres) { return make({std::move(pres)}).at(0).collection.AggIds; }
};

TEST(ResultPresentationTest, DefaultOrderAndWholeTemplatePriorities)
{
    AgeClassSetup s;
    const Ids plain{1010, 2020, 3500, 102, 101, 500, 202, 201, 600};
    auto out = s.make({{"Urkunde", 1, {}}});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].collection.Name, "Urkunde");
    EXPECT_EQ(out[0].collection.AggIds, plain);
    EXPECT_TRUE(out[0].collection.SpecialOrderIndices.empty());
    EXPECT_TRUE(out[0].sortIds.empty()) << "no sort index anywhere";

    // An OrderIndex of 0 or not a whole number leaves the default.
    EXPECT_EQ(s.aggIds({"U", 1, {{"0", "", {target(TWrapperKind::Discipline, "*")}}}}), plain);
    EXPECT_EQ(s.aggIds({"U", 1, {{"x", "", {target(TWrapperKind::Discipline, "*")}}}}), plain);

    // "*" on Discipline moves every discipline, but neither scoring nor intermediate.
    EXPECT_EQ(s.aggIds({"U", 5, {{"1", "", {target(TWrapperKind::Discipline, "*")}}}}),
              (Ids{102, 101, 500, 202, 201, 600, 1010, 2020, 3500}));
    // By name: one discipline ahead; a name matching nothing changes nothing.
    EXPECT_EQ(s.aggIds({"U", 5, {{"1", "", {target(TWrapperKind::Discipline, "Wurf")}}}}),
              (Ids{202, 201, 600, 1010, 2020, 3500, 102, 101, 500}));
    EXPECT_EQ(s.aggIds({"U", 5, {{"1", "", {target(TWrapperKind::Discipline, "Gesamt")}}}}), plain);
    // "*" on ResultTemplate reaches the intermediate too; equal priorities keep their ranks.
    EXPECT_EQ(s.aggIds({"U", 5, {{"9", "", {target(TWrapperKind::Results, "*")}}}}),
              (Ids{102, 101, 500, 202, 201, 600, 1010, 2020, 3500}));

    // Priorities of one presentation do not leak into the next one.
    out = s.make({{"A", 5, {{"1", "", {target(TWrapperKind::Discipline, "Wurf")}}}}, {"B", 5, {}}});
    EXPECT_EQ(out[1].collection.AggIds, plain);
}

TEST(ResultPresentationTest, SingleNodePriorities)
{
    AgeClassSetup s;
    // Negative removes the node; the discipline id itself stays.
    EXPECT_EQ(s.aggIds({"U", 1, {{"-1", "", {target(TWrapperKind::Discipline, "Sprint", {"Punkte"})}}}}),
              (Ids{1010, 2020, 3500, 101, 500, 202, 201, 600}));
    s.sprint->aggRoot.OutputConnections.push_back(node(4, "Bonus", true));
    s.sprint->setIdMap(0, {{1, 101}, {2, 102}, {3, 103}, {4, 104}});
    // Punkte above its template's priority goes after the equal Bonus; lower ones go first, by priority.
    EXPECT_EQ(s.aggIds({"U", 5, {{"9", "", {target(TWrapperKind::Discipline, "Sprint", {"Punkte"})}}}}),
              (Ids{1010, 2020, 3500, 104, 102, 101, 500, 202, 201, 600}));
    EXPECT_EQ(s.aggIds({"U",
                        5,
                        {{"2", "", {target(TWrapperKind::Discipline, "Sprint", {"Punkte"})}},
                         {"1", "", {target(TWrapperKind::Discipline, "Sprint", {"Bonus"})}}}}),
              (Ids{1010, 2020, 3500, 104, 102, 101, 500, 202, 201, 600}));
    EXPECT_EQ(s.aggIds({"U", 5, {{"1", "", {target(TWrapperKind::Discipline, "Sprint", {"Punkte", "Bonus"})}}}}),
              (Ids{1010, 2020, 3500, 102, 104, 101, 500, 202, 201, 600}));
    // A node not on certificates stays out whatever its priority.
    EXPECT_EQ(s.aggIds({"U", 1, {{"3", "", {target(TWrapperKind::Discipline, "Wurf", {"Rang"})}}}}),
              (Ids{1010, 2020, 3500, 102, 104, 101, 500, 202, 201, 600}));
}

TEST(ResultPresentationTest, NodesFeedingOverallScorings)
{
    AgeClassSetup s;
    // Ergebnis(1) <- Punkte(2) <- {Lauf(3), Zeit(4)}; 3 feeds Gesamt then Team, 4 feeds Team.
    auto& d = *s.sprint;
    d.aggRoot = node(1, "Ergebnis", true, {node(2, "Punkte", true, {node(3, "Lauf", true), node(4, "Zeit", true)})});
    d.setIdMap(0, {{1, 101}, {2, 102}, {3, 103}, {4, 104}});
    d.connections.setPrioForID(3, &s.gesamt->getCertPriority(0));
    d.connections.setPrioForID(4, &s.team->getCertPriority(0));
    d.connections.setPrioForID(3, &s.team->getCertPriority(0));

    // Team ahead: Zeit's chain first; the shared Punkte stands where it last occurs.
    Ids ids = s.aggIds({"U", 5, {{"1", "", {target(TWrapperKind::Results, "Team")}}}});
    EXPECT_EQ(Ids(ids.begin() + 3, ids.begin() + 7), (Ids{104, 103, 102, 500}));
    // Gesamt ahead: Lauf's chain first.
    ids = s.aggIds({"U", 5, {{"1", "", {target(TWrapperKind::Results, "Gesamt")}}}});
    EXPECT_EQ(Ids(ids.begin() + 3, ids.begin() + 7), (Ids{103, 104, 102, 500}));

    // A node left out by priority leaves the chains.
    ids = s.aggIds({"U", 5, {{"-1", "", {target(TWrapperKind::Discipline, "Sprint", {"Punkte"})}}}});
    EXPECT_EQ(Ids(ids.begin() + 3, ids.begin() + 6), (Ids{103, 104, 500}));
}

TEST(ResultPresentationTest, SortIds)
{
    AgeClassSetup s;
    auto out = s.make({{"A",
                        1,
                        {{"", "2", {target(TWrapperKind::Discipline, "Sprint")}},
                         {"", "1", {target(TWrapperKind::Results, "Gesamt", {"Gesamt"})}}}},
                       {"B", 1, {}}});
    EXPECT_EQ(out[0].sortIds, (Ids{1010, 103, 102, 101, 500}));
    // The discipline's sort index stays for the age class's later presentations.
    EXPECT_EQ(out[1].sortIds, (Ids{103, 102, 101, 500}));
}

TEST(ResultPresentationTest, IntermediatesAndBrokenInputs)
{
    AgeClassSetup s;
    // Both scorings name the intermediate, whose reference names Gesamt again in a circle: it is
    // listed once and the walk ends.
    TResultEvaluationRef zwRef{"Zwischen", {{"Gesamt", &s.gesamtRef}}};
    s.gesamtRef.IntermediateResultTemplates[0].resolved = &zwRef;
    TResultEvaluationRef teamRef{"Team", {{"Zwischen", nullptr}}};
    s.ageClass.resEvalRefs[s.team.get()] = &teamRef;
    EXPECT_EQ(s.aggIds({"U", 1, {}}), (Ids{1010, 2020, 3500, 102, 101, 500, 202, 201, 600}));

    // A node the creation made nothing for would only make the server refuse the collection.
    s.wurf->setIdMap(0, {{1, 201}, {3, 203}});
    EXPECT_EQ(s.aggIds({"U", 1, {}}), (Ids{1010, 2020, 3500, 102, 101, 500, 201, 600}));
}

} // namespace
