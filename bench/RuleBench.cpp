// The rule language as the setup wizard uses it on every change of the user's choices: a text of a
// competition type expanded, and the constraints of a file checked through the document view.

#include "setup/XMLFunctions.h"
#include "setup/XMLLogic.h"
#include "tests/setup/RuleTestObjects.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using tvp::testing::TestAgeClass;
using tvp::testing::TestDiscipline;

TestAgeClass ageClassWith(int disciplines, const TestDiscipline* documentation)
{
    TestAgeClass a;
    a.Name = QStringLiteral("Kinder U10 gemischt");
    for (int i = 0; i < disciplines; ++i) {
        a.SelectedDisciplines.emplace_back(QStringLiteral("Disziplin %1").arg(i), QStringLiteral("run"));
        a.SelectedDisciplines.back().DocumentationFile = documentation;
    }
    return a;
}

// 200 characters, three expressions, each over a path of three elements.
void BM_EvaluateText(benchmark::State& state)
{
    const TestDiscipline documentation(QStringLiteral("Regeln.pdf"));
    const TestAgeClass ageClass = ageClassWith(3, &documentation);
    tvp::TXMLEvaluator evaluator;
    evaluator.registerFunction(std::make_unique<tvp::TXFcurrent>(&ageClass));
    QString text = QStringLiteral(
        "Die Altersklasse wertet zuerst $(#current(AgeClass)/SelectedDisciplines[0]/DocumentationFile/Name), "
        "danach $(#current(AgeClass)/SelectedDisciplines[1]/DocumentationFile/Name) und zuletzt "
        "$(#current(AgeClass)/SelectedDisciplines[2]/DocumentationFile/Name).");
    text += QString(200 - text.size(), u' ');
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluator.evaluate(text));
}
BENCHMARK(BM_EvaluateText)->Unit(benchmark::kMicrosecond);

// 30 constraints, each an `exists` that searches all 40 chosen disciplines without finding one.
void BM_ConstraintsOverChosenDisciplines(benchmark::State& state)
{
    const TestAgeClass ageClass = ageClassWith(40, nullptr);
    tvp::TXMLEvaluator evaluator;
    evaluator.registerFunction(std::make_unique<tvp::TXFcurrent>(&ageClass));
    std::string xml = "<section>";
    for (int i = 0; i < 30; ++i)
        xml += "<constraint failType='incompliant' userFeedbackOnFail='fehlt'><exists "
               "in='#current(AgeClass)/SelectedDisciplines' item='/Name' value='Wurf " +
               std::to_string(i) + "'/></constraint>";
    xml += "</section>";
    pugi::xml_document doc;
    doc.load_string(xml.c_str());
    std::vector<tvp::TConstraintExpression> constraints;
    for (const tvp::TXMLConditionalNode& node :
         tvp::TXMLConditionalNode(doc.document_element(), &evaluator).childNodes())
        constraints.emplace_back(node);
    for (auto _ : state)
        for (tvp::TConstraintExpression& c : constraints)
            benchmark::DoNotOptimize(c.isFullfilled());
}
BENCHMARK(BM_ConstraintsOverChosenDisciplines)->Unit(benchmark::kMicrosecond);

} // namespace
