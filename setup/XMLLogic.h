#pragma once
// Conditions of competition-type files (`exists`, `equals`, `greater`, `less`, `and`, `or`, `not`,
// `xor`), the `constraint` elements that turn them into warnings for the setup wizard, and the
// `conditionalSwitch` that picks a branch. Values are computed at every call from the evaluator's
// current age class.

#include "setup/XMLConditionalDocument.h"

#include <memory>
#include <vector>

namespace tvp {

class EXMLBoolException : public ERuleError {
public:
    using ERuleError::ERuleError;
};

class TBooleanExpression {
public:
    TBooleanExpression(const TXMLConditionalNode& node, int depth);
    virtual ~TBooleanExpression() = default;
    virtual bool evaluate() = 0;

    // Element nesting deeper than this is refused rather than recursed into.
    static constexpr int kMaxNesting = 64;

protected:
    TXMLEvaluator* evaluator() const { return node_.evaluator(); }
    QString attr(const char* name) const;
    void requireNoChildren(const QString& message) const;

    TXMLConditionalNode node_;
    std::vector<std::unique_ptr<TBooleanExpression>> children_;
};

// Builds the element named by the node's local name, and its children.
std::unique_ptr<TBooleanExpression> CreateBooleanExpressionFromNode(const TXMLConditionalNode& node, int depth = 0);

class TConstraintExpression {
public:
    enum TFailType { warn = 0, incompliant = 1 };

    explicit TConstraintExpression(const TXMLConditionalNode& node);
    QString getFailMessage() const;
    bool hasWarning();
    bool isFullfilled();
    TFailType failType() const { return failType_; }

private:
    TXMLConditionalNode node_;
    TFailType failType_ = warn;
    std::unique_ptr<TBooleanExpression> condition_;
};

class TConditionalSwitch {
public:
    explicit TConditionalSwitch(const TXMLConditionalNode& node);
    std::vector<TXMLConditionalNode> getEffectiveNodes();

private:
    TXMLConditionalNode node_;
    std::unique_ptr<TBooleanExpression> condition_;
};

} // namespace tvp
