#include "setup/XMLLogic.h"

#include <QLocale>

namespace tvp {

namespace {

// A backstop for a search that never meets the end of its list; no list of a competition type
// comes near this.
constexpr int kMaxExistsItems = 10000;

class TXMLBeExists : public TBooleanExpression {
public:
    using TBooleanExpression::TBooleanExpression;
    bool evaluate() override
    {
        requireNoChildren(QStringLiteral("Exists must not have child tags"));
        const QString in = attr("in");
        const QString item = attr("item");
        const QString value = attr("value");
        for (int i = 0; i < kMaxExistsItems; ++i) {
            const QString body = QStringLiteral("%1[%2]%3)").arg(in, QString::number(i), item);
            // An index outside the expression would never meet the end of the list.
            if (TXMLEvaluator::findClosingSign(body) != body.size() - 1)
                throw EXMLBoolException(QStringLiteral("Exists: \"in\" and \"item\" do not form one expression: $(") +
                                        body);
            try {
                if (evaluator()->evaluate(QStringLiteral("$(") + body) == value)
                    return true;
            } catch (const EListError&) {
                return false;
            }
        }
        throw EXMLBoolException(QStringLiteral("Exists: list has no end: ") + in);
    }
};

class TXMLBeEquals : public TBooleanExpression {
public:
    using TBooleanExpression::TBooleanExpression;
    bool evaluate() override
    {
        requireNoChildren(QStringLiteral("Equals must not have child tags"));
        return attr("expression1") == attr("expression2");
    }
};

// `greater` and `less`: both operands as numbers in the user's number format.
class TXMLBeCompare : public TBooleanExpression {
public:
    TXMLBeCompare(const TXMLConditionalNode& node, int depth, bool greater)
        : TBooleanExpression(node, depth), greater_(greater)
    {
    }
    bool evaluate() override
    {
        const QString name = greater_ ? QStringLiteral("Greater") : QStringLiteral("Less");
        requireNoChildren(QStringLiteral("\"%1\" must not have child tags").arg(name));
        const double a = number(name, "expression1");
        const double b = number(name, "expression2");
        return greater_ ? a > b : a < b;
    }

private:
    double number(const QString& element, const char* attribute) const
    {
        const QString text = attr(attribute);
        bool ok = false;
        const double value = QLocale().toDouble(text, &ok);
        if (!ok)
            throw EXMLBoolException(
                QStringLiteral("%1: %2 is is not a number: ").arg(element, QLatin1String(attribute)) + text);
        return value;
    }

    bool greater_;
};

// `and` stops at the first false child, `or` at the first true one.
class TXMLBeAndOr : public TBooleanExpression {
public:
    TXMLBeAndOr(const TXMLConditionalNode& node, int depth, bool isAnd) : TBooleanExpression(node, depth), and_(isAnd)
    {
    }
    bool evaluate() override
    {
        if (children_.empty())
            throw EXMLBoolException(and_ ? QStringLiteral("\"and\" must have child tags")
                                         : QStringLiteral("\"or\" must have child tags"));
        for (const auto& child : children_)
            if (child->evaluate() != and_)
                return !and_;
        return and_;
    }

private:
    bool and_;
};

class TXMLBeNot : public TBooleanExpression {
public:
    using TBooleanExpression::TBooleanExpression;
    bool evaluate() override
    {
        if (children_.size() != 1)
            throw EXMLBoolException(QStringLiteral("\"not\" must exactly have one child tag"));
        return !children_.front()->evaluate();
    }
};

class TXMLBeXor : public TBooleanExpression {
public:
    using TBooleanExpression::TBooleanExpression;
    bool evaluate() override
    {
        if (children_.size() != 2)
            throw EXMLBoolException(QStringLiteral("\"xor\" must exactly have two child tags"));
        const bool first = children_[0]->evaluate();
        const bool second = children_[1]->evaluate();
        return first != second;
    }
};

// The condition of a constraint or switch: its first child node, whatever kind it is.
std::unique_ptr<TBooleanExpression> firstChildCondition(const TXMLConditionalNode& node)
{
    return CreateBooleanExpressionFromNode(TXMLConditionalNode(node.getSrcRoot().first_child(), node.evaluator()));
}

} // namespace

TBooleanExpression::TBooleanExpression(const TXMLConditionalNode& node, int depth) : node_(node)
{
    for (pugi::xml_node child : node.getSrcRoot().children())
        children_.push_back(CreateBooleanExpressionFromNode(TXMLConditionalNode(child, node.evaluator()), depth + 1));
}

QString TBooleanExpression::attr(const char* name) const
{
    return node_.attribute(QLatin1String(name)).value_or(QString());
}

void TBooleanExpression::requireNoChildren(const QString& message) const
{
    if (!children_.empty())
        throw EXMLBoolException(message);
}

std::unique_ptr<TBooleanExpression> CreateBooleanExpressionFromNode(const TXMLConditionalNode& node, int depth)
{
    const QString name = node.localName();
    if (depth >= TBooleanExpression::kMaxNesting)
        throw EXMLBoolException(QStringLiteral("Logikoperatoren tiefer als %1 Ebenen verschachtelt: ")
                                    .arg(TBooleanExpression::kMaxNesting) +
                                name);
    if (name == QLatin1String("exists"))
        return std::make_unique<TXMLBeExists>(node, depth);
    if (name == QLatin1String("equals"))
        return std::make_unique<TXMLBeEquals>(node, depth);
    if (name == QLatin1String("greater"))
        return std::make_unique<TXMLBeCompare>(node, depth, true);
    if (name == QLatin1String("less"))
        return std::make_unique<TXMLBeCompare>(node, depth, false);
    if (name == QLatin1String("and"))
        return std::make_unique<TXMLBeAndOr>(node, depth, true);
    if (name == QLatin1String("or"))
        return std::make_unique<TXMLBeAndOr>(node, depth, false);
    if (name == QLatin1String("not"))
        return std::make_unique<TXMLBeNot>(node, depth);
    if (name == QLatin1String("xor"))
        return std::make_unique<TXMLBeXor>(node, depth);
    throw EXMLBoolException(QStringLiteral("Logic operator not found: ") + name);
}

TConstraintExpression::TConstraintExpression(const TXMLConditionalNode& node) : node_(node)
{
    const QString type = node.attribute(QStringLiteral("failType")).value_or(QString());
    if (type == QLatin1String("warn"))
        failType_ = warn;
    else if (type == QLatin1String("incompliant"))
        failType_ = incompliant;
    else
        throw ERuleError(QStringLiteral("Invalid failType in constraint (use \"warn\" or \"incompliant\")"));
    condition_ = firstChildCondition(node);
}

QString TConstraintExpression::getFailMessage() const
{
    return node_.attribute(QStringLiteral("userFeedbackOnFail")).value_or(QString());
}

bool TConstraintExpression::hasWarning()
{
    return failType_ == warn && !condition_->evaluate();
}

bool TConstraintExpression::isFullfilled()
{
    return failType_ == warn || condition_->evaluate();
}

TConditionalSwitch::TConditionalSwitch(const TXMLConditionalNode& node)
    : node_(node), condition_(firstChildCondition(node))
{
}

std::vector<TXMLConditionalNode> TConditionalSwitch::getEffectiveNodes()
{
    const char* branch = condition_->evaluate() ? "then" : "else";
    for (pugi::xml_node child : node_.getSrcRoot().children())
        if (child.type() == pugi::node_element &&
            TXMLConditionalNode(child, nullptr).localName() == QLatin1String(branch))
            return TXMLConditionalNode(child, node_.evaluator()).childNodes();
    return {};
}

} // namespace tvp
