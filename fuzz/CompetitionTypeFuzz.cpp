// Any bytes as a competition type: name, metadata fields, age classes with every path a rule may
// read, options, each age class's view walked, and its sections with every reference, parameter,
// presentation and constraint. Only the reader's and the rule language's failures may come out.

#include "setup/CompetitionTypeSections.h"

#include <cstddef>
#include <cstdint>

namespace {

const char* const kPaths[] = {"Name",
                              "BillingPricePerTeam",
                              "MinTeamMembers",
                              "MaxTeamMembers",
                              "MinMembersPerGender",
                              "MaleMembersLessThan",
                              "FemaleMembersLessThan",
                              "AgeClassID",
                              "Barcode",
                              "SubTabCount",
                              "SelectedDisciplinesCount",
                              "YoungerAge",
                              "OlderAge",
                              "Disciplines",
                              "SelectedDisciplines[0]/Name",
                              "ResEvals/Name",
                              "Disciplines/DisciplinesCount",
                              "Disciplines/Discipline[0]/Name",
                              "Disciplines/Discipline[0]/KindTag",
                              "ResEvals/ResEvalsCount",
                              "ResEvals/ResEval[0]/DefaultSelect",
                              "SelectedNonTeamDisciplineTemplatesCount",
                              "SelectedResEvalTemplateCount"};

void walk(const tvp::TXMLConditionalNode& node, int depth)
{
    if (depth > 16)
        return;
    try {
        node.text();
        for (const tvp::TXMLConditionalNode& child : node.childNodes())
            walk(child, depth + 1);
    } catch (const tvp::ERuleError&) {
    }
}

template <class F>
void guarded(F&& f)
{
    try {
        f();
    } catch (const tvp::TvpError&) {
    }
}

void constraints(std::vector<std::unique_ptr<tvp::TConstraintExpression>>& all)
{
    for (auto& c : all) {
        QStringList errors;
        tvp::checkConstraint(*c, QStringLiteral("Fuzz"), &errors);
    }
}

void reference(tvp::CTT_AbstractTemplateType& ref)
{
    guarded([&] { ref.verifyContraints(); });
    guarded([&] { ref.hasConstraintWarnings(); });
    for (qsizetype i = 0; i < ref.getConstraintCount(); ++i) {
        QStringList errors;
        tvp::checkConstraint(ref.getConstraint(i), {}, &errors);
    }
    ref.MapGlobalParam(ref.Name);
}

void sections(tvp::CTT_AgeClassType& ageClass)
{
    guarded([&] {
        tvp::CTT_Disciplines& discs = ageClass.reloadDisciplines();
        constraints(discs.Constraints());
        for (qsizetype i = 0; i < discs.DisciplinesCount(); ++i) {
            reference(discs.Discipline(i));
            guarded([&] { discs.findByDisciplineGroup(discs.Discipline(i).DisciplineGroup); });
        }
    });
    guarded([&] {
        tvp::CTT_ResultEvaluations& res = ageClass.reloadResEvals();
        constraints(res.Constraints());
        for (qsizetype i = 0; i < res.ResEvalsCount(); ++i)
            reference(res.ResEval(i));
    });
    guarded([&] {
        for (const tvp::CTT_ResultPresentationType& p : ageClass.loadResultPresentationInfo().items())
            guarded([&] { p.definition(); });
    });
    for (tvp::TTemplateKind kind : {tvp::TTemplateKind::Discipline, tvp::TTemplateKind::ResultEvaluation})
        guarded([&] {
            QStringList errors;
            tvp::ageClassMessages(ageClass, kind, QStringLiteral("Fuzz"), &errors);
        });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<tvp::TCompetitionType> type;
    try {
        type =
            std::make_unique<tvp::TCompetitionType>(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const tvp::ECompetitionTypeError&) {
        return 0;
    }
    try {
        type->DisplayName();
    } catch (const tvp::ECompetitionTypeError&) {
    }
    try {
        type->MetaData();
    } catch (const tvp::ECompetitionTypeError&) {
    }
    type->Options();
    try {
        tvp::CTT_AgeClasses& list = type->AgeClasses();
        list.TeamStartFeeDefault();
        list.AthStartFeeDefault();
        for (qsizetype i = 0; i < list.getAgeClassCount() && i < 50; ++i) {
            tvp::CTT_AgeClassType& ageClass = list.getAgeClass(i);
            list.checkAgeClassValidForCompType(ageClass);
            for (const char* path : kPaths) {
                try {
                    ageClass.evaluator().evaluate(QStringLiteral("$(#current(AgeClass)/%1)").arg(QLatin1String(path)));
                } catch (const tvp::ERuleError&) {
                }
            }
            if (i == 0)
                walk(ageClass.view(), 0);
            if (i < 8)
                sections(ageClass);
        }
        guarded([&] { constraints(list.Section().Constraints()); });
    } catch (const tvp::ECompetitionTypeError&) {
    }
    return 0;
}
