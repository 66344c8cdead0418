#pragma once
// A read-only view of a competition-type document as the user's current choices make it: every
// `conditionalSwitch` stands replaced by the children of its chosen branch, and every attribute and
// text comes expanded by the template evaluator. Readers see only child lists, attributes, texts
// and names; nothing can be written through it.

#include "setup/XMLEvaluator.h"

#include <QString>

#include <optional>
#include <pugixml.hpp>
#include <vector>

namespace tvp {

// A child asked for by name is not there.
class ENodeNotFound : public ERuleError {
public:
    using ERuleError::ERuleError;
};

class TXMLConditionalNode {
public:
    TXMLConditionalNode(pugi::xml_node source, TXMLEvaluator* evaluator) : source_(source), evaluator_(evaluator) {}

    // Built anew on every call, so it follows the choices made since the last one.
    std::vector<TXMLConditionalNode> childNodes() const;
    // The first child element of that name in the child list; ENodeNotFound when there is none.
    TXMLConditionalNode childNode(const QString& name) const;

    // Missing attributes stay null.
    std::optional<QString> attribute(const QString& name) const;
    bool hasAttribute(const QString& name) const;
    // The element's text, or the value of a text node.
    QString text() const;
    // The name without its prefix; empty for text and comment nodes.
    QString localName() const;
    pugi::xml_node_type nodeType() const { return source_.type(); }

    pugi::xml_node getSrcRoot() const { return source_; }
    TXMLEvaluator* evaluator() const { return evaluator_; }

private:
    QString expand(const char* value) const;

    pugi::xml_node source_;
    TXMLEvaluator* evaluator_;
};

} // namespace tvp
