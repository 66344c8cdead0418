// Any bytes as a competition type: name, metadata fields, age classes with every path a rule may
// read, options and each age class's view walked. Only the reader's and the rule language's
// failures may come out.

#include "setup/CompetitionType.h"

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
                              "ResEvals/Name"};

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
        }
    } catch (const tvp::ECompetitionTypeError&) {
    }
    return 0;
}
