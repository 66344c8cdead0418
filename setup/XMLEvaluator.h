#pragma once
// The template evaluator of competition-type files: "$(" expression ")" in attribute values and
// texts stands for a property of the age class being set up. Expressions only read.

#include "core/protocol/Errors.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <vector>

namespace tvp {

// Every failure of the rule language is one of these; nothing else leaves it.
class ERuleError : public TvpError {
public:
    using TvpError::TvpError;
};
class EExpressionParseException : public ERuleError {
public:
    using ERuleError::ERuleError;
};
class EFunctionEvalException : public ERuleError {
public:
    using ERuleError::ERuleError;
};
class EPathAfterLiteralError : public ERuleError {
public:
    using ERuleError::ERuleError;
};
class EPathNotLeadingToLiteralError : public ERuleError {
public:
    using ERuleError::ERuleError;
};
class EPropertyConvertError : public ERuleError {
public:
    using ERuleError::ERuleError;
};
// Ends the search of `exists`; kept apart from the other failures for that reason.
class EListError : public ERuleError {
public:
    using ERuleError::ERuleError;
};

// What a property path can read of an object: the property table of the competition-type classes.
enum class TPathKind { None, Integer, Text, Object, ObjectArray, TextArray, Unsupported };

class IPathObject;

struct TPathProperty {
    TPathKind kind = TPathKind::None;
    qint64 integer = 0;
    QString text;
    const IPathObject* object = nullptr; // Object: may hold none
    qsizetype count = 0;                 // ObjectArray
};

class IPathObject {
public:
    virtual ~IPathObject() = default;
    // Kind None when the object has no readable property of that name (names compare with case).
    virtual TPathProperty pathProperty(QStringView name) const = 0;
    // The element of an object array; index is below the count pathProperty gave.
    virtual const IPathObject* pathItem(QStringView name, qsizetype index) const = 0;
};

class TEvalFunction {
public:
    TEvalFunction(QString name, int paramCount) : Name(std::move(name)), ParamCount(paramCount) {}
    virtual ~TEvalFunction() = default;
    virtual QString evaluate(const QStringList& params, const QString& path) = 0;

    static QString resolvePathOnObject(const IPathObject* object, const QString& path);

    const QString Name;
    const int ParamCount;
};

class TXMLEvaluator {
public:
    // Deeper nesting of function calls in one expression is refused rather than recursed into.
    static constexpr int kMaxNesting = 64;

    void registerFunction(std::unique_ptr<TEvalFunction> fn);
    TEvalFunction* getFunctionForName(QStringView name) const;

    QString evaluate(const QString& text);
    QString evaluateExpression(const QString& expr);
    QString evaluateParameter(const QString& text);
    static QString evaluateLiteral(const QString& text);
    QStringList splitParameters(const QString& text);
    static qsizetype findClosingSign(QStringView text);

private:
    std::vector<std::unique_ptr<TEvalFunction>> functions_;
    int depth_ = 0;
};

} // namespace tvp
