// Any text as an attribute value of a competition-type file, expanded against an age class: only
// the rule language's own failures may come out, never a crash or another exception.

#include "setup/XMLFunctions.h"
#include "tests/setup/RuleTestObjects.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const tvp::testing::TestAgeClass ageClass = [] {
        tvp::testing::TestAgeClass a;
        a.Name = QStringLiteral("U10");
        a.MinTeamMembers = 4;
        a.SelectedDisciplines = {{QStringLiteral("Sprint")}, {QStringLiteral("Wurf")}};
        a.SelectedResEvals = {{QStringLiteral("Team"), {QStringLiteral("Sprint")}}};
        return a;
    }();
    tvp::TXMLEvaluator evaluator;
    evaluator.registerFunction(std::make_unique<tvp::TXFcurrent>(&ageClass));
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        evaluator.evaluate(text);
    } catch (const tvp::ERuleError&) {
    }
    return 0;
}
