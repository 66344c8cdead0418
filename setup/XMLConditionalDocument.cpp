#include "setup/XMLConditionalDocument.h"

#include "setup/XMLLogic.h"

#include <cstring>

namespace tvp {

namespace {

const char* localPart(const char* name)
{
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

} // namespace

std::vector<TXMLConditionalNode> TXMLConditionalNode::childNodes() const
{
    std::vector<TXMLConditionalNode> nodes;
    for (pugi::xml_node child : source_.children()) {
        if (child.type() == pugi::node_element && std::strcmp(localPart(child.name()), "conditionalSwitch") == 0) {
            std::vector<TXMLConditionalNode> chosen =
                TConditionalSwitch(TXMLConditionalNode(child, evaluator_)).getEffectiveNodes();
            nodes.insert(nodes.end(), chosen.begin(), chosen.end());
        } else {
            nodes.emplace_back(child, evaluator_);
        }
    }
    return nodes;
}

TXMLConditionalNode TXMLConditionalNode::childNode(const QString& name) const
{
    for (const TXMLConditionalNode& child : childNodes())
        if (child.nodeType() == pugi::node_element && child.localName() == name)
            return child;
    throw ENodeNotFound(QStringLiteral("Element nicht gefunden: ") + name);
}

std::optional<QString> TXMLConditionalNode::attribute(const QString& name) const
{
    const pugi::xml_attribute a = source_.attribute(name.toUtf8().constData());
    if (!a)
        return std::nullopt;
    return expand(a.value());
}

bool TXMLConditionalNode::hasAttribute(const QString& name) const
{
    return bool(source_.attribute(name.toUtf8().constData()));
}

QString TXMLConditionalNode::text() const
{
    if (source_.type() == pugi::node_element)
        return expand(source_.text().get());
    return expand(source_.value());
}

QString TXMLConditionalNode::localName() const
{
    return QString::fromUtf8(localPart(source_.name()));
}

QString TXMLConditionalNode::expand(const char* value) const
{
    const QString raw = QString::fromUtf8(value);
    return evaluator_ ? evaluator_->evaluate(raw) : raw;
}

} // namespace tvp
