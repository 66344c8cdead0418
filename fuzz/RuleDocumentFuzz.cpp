// Any XML as a competition-type document: every element taken as a condition and as a constraint,
// and the view's child lists walked with their branches chosen. Only the rule language's failures
// may come out.

#include "setup/XMLFunctions.h"
#include "setup/XMLLogic.h"
#include "tests/setup/RuleTestObjects.h"

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void walk(const tvp::TXMLConditionalNode& node, int depth)
{
    if (depth > 32)
        return;
    try {
        node.attribute(QStringLiteral("name"));
        node.text();
        for (const tvp::TXMLConditionalNode& child : node.childNodes())
            walk(child, depth + 1);
    } catch (const tvp::ERuleError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const tvp::testing::TestAgeClass ageClass = [] {
        tvp::testing::TestAgeClass a;
        a.Name = QStringLiteral("U10");
        a.SelectedDisciplines = {{QStringLiteral("Sprint")}, {QStringLiteral("Wurf")}};
        return a;
    }();
    pugi::xml_document doc;
    if (!doc.load_buffer(data, size, pugi::parse_default | pugi::parse_comments))
        return 0;
    tvp::TXMLEvaluator evaluator;
    evaluator.registerFunction(std::make_unique<tvp::TXFcurrent>(&ageClass));

    // Every element, document order, at most a few hundred of them.
    struct Elements : pugi::xml_tree_walker {
        std::vector<pugi::xml_node> nodes;
        bool for_each(pugi::xml_node& node) override
        {
            if (node.type() == pugi::node_element)
                nodes.push_back(node);
            return nodes.size() < 200;
        }
    } elements;
    doc.traverse(elements);
    for (pugi::xml_node node : elements.nodes) {
        const tvp::TXMLConditionalNode view(node, &evaluator);
        try {
            auto condition = tvp::CreateBooleanExpressionFromNode(view);
            condition->evaluate();
        } catch (const tvp::ERuleError&) {
        }
        try {
            tvp::TConstraintExpression constraint(view);
            constraint.hasWarning();
            constraint.isFullfilled();
            constraint.getFailMessage();
        } catch (const tvp::ERuleError&) {
        }
    }
    walk(tvp::TXMLConditionalNode(doc.document_element(), &evaluator), 0);
    return 0;
}
