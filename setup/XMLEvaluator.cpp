#include "setup/XMLEvaluator.h"

#include <algorithm>

namespace tvp {

namespace {

const QString kNotLiteral = QStringLiteral("Path \"%1\" does not lead to a literal that can be evaluated.");

bool isPathSeparator(QChar c)
{
    // Paths are ASCII nearly always; the character tables are asked only beyond it.
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u == u'/' || u <= 0x20 || u == 0x7f;
    return c.isSpace() || c.category() == QChar::Other_Control;
}

// A whole number of at least 0, digits only; -1 otherwise.
qsizetype parseIndex(QStringView text)
{
    if (text.isEmpty() || text.size() > 9)
        return -1;
    qsizetype value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

} // namespace

QString TEvalFunction::resolvePathOnObject(const IPathObject* object, const QString& path)
{
    std::vector<QStringView> elements;
    const QStringView all(path);
    qsizetype start = -1;
    for (qsizetype i = 0; i <= all.size(); ++i) {
        if (i == all.size() || isPathSeparator(all[i])) {
            if (start >= 0)
                elements.push_back(all.mid(start, i - start));
            start = -1;
        } else if (start < 0) {
            start = i;
        }
    }
    if (elements.empty())
        throw EPathNotLeadingToLiteralError(kNotLiteral.arg(path));

    const IPathObject* current = object;
    for (std::size_t e = 0; e < elements.size(); ++e) {
        const QStringView element = elements[e];
        const bool last = e + 1 == elements.size();
        QStringView name = element;
        qsizetype index = -1;
        const qsizetype open = element.indexOf(u'[');
        if (open >= 0) {
            const qsizetype close = element.indexOf(u']', open + 1);
            if (close < 0)
                throw EFunctionEvalException(QStringLiteral("Unclosed objectindex in path: ") + element.toString());
            const QStringView indexText = element.mid(open + 1, close - open - 1);
            index = parseIndex(indexText);
            if (index < 0)
                throw EFunctionEvalException(QStringLiteral("Invalid objectindex in path: ") + indexText.toString());
            // "A[0][1]" would read A[0] for every second index, so a search over it never ends.
            if (close != element.size() - 1)
                throw EFunctionEvalException(QStringLiteral("Invalid path element: ") + element.toString());
            name = element.left(open);
        }
        if (!current)
            throw EPathNotLeadingToLiteralError(kNotLiteral.arg(path));
        const TPathProperty prop = current->pathProperty(name);
        switch (prop.kind) {
        case TPathKind::None: throw EFunctionEvalException(QStringLiteral("Invalid path element: ") + name.toString());
        case TPathKind::Integer:
        case TPathKind::Text: {
            if (index >= 0)
                throw EPropertyConvertError(
                    QStringLiteral("Path element \"%1\" is not an array but index is specified").arg(name));
            const bool number = prop.kind == TPathKind::Integer;
            const QString value = number ? QString::number(prop.integer) : prop.text;
            if (!last)
                throw EPathAfterLiteralError(
                    QStringLiteral("Path \"%1\" has further elements after literal %2 \"%3\" (%4).")
                        .arg(path, number ? QStringLiteral("number") : QStringLiteral("string"), name.toString(),
                             value));
            return value;
        }
        case TPathKind::Object:
            if (index >= 0)
                throw EPropertyConvertError(
                    QStringLiteral("Path element \"%1\" is not an array but index is specified").arg(name));
            current = prop.object;
            break;
        case TPathKind::ObjectArray:
        case TPathKind::TextArray:
            if (index < 0)
                throw EPropertyConvertError(
                    QStringLiteral("Path element \"%1\" is an array but no valid index is specified").arg(name));
            // A text of a text array is no object a path could go on from, nor a value of its own.
            if (prop.kind == TPathKind::TextArray)
                throw EPathNotLeadingToLiteralError(kNotLiteral.arg(path));
            if (index >= prop.count)
                throw EListError(QStringLiteral("FunctionEval: Index out of bounds"));
            current = current->pathItem(name, index);
            break;
        case TPathKind::Unsupported:
            throw EPropertyConvertError(QStringLiteral("Path element \"%1\" is not a supported type").arg(name));
        }
    }
    throw EPathNotLeadingToLiteralError(kNotLiteral.arg(path));
}

void TXMLEvaluator::registerFunction(std::unique_ptr<TEvalFunction> fn)
{
    std::erase_if(functions_, [&](const auto& f) { return f->Name == fn->Name; });
    functions_.push_back(std::move(fn));
}

TEvalFunction* TXMLEvaluator::getFunctionForName(QStringView name) const
{
    for (const auto& f : functions_)
        if (f->Name == name)
            return f.get();
    return nullptr;
}

QString TXMLEvaluator::evaluate(const QString& text)
{
    qsizetype start = text.indexOf(QLatin1String("$("));
    if (start < 0)
        return text;
    QString result;
    qsizetype from = 0;
    while (start >= 0) {
        result += QStringView(text).mid(from, start - from);
        const QStringView rest = QStringView(text).mid(start + 2);
        const qsizetype close = findClosingSign(rest);
        result += evaluateExpression(rest.left(close).toString());
        from = start + 2 + close + 1;
        start = text.indexOf(QLatin1String("$("), from);
    }
    result += QStringView(text).mid(from);
    return result;
}

qsizetype TXMLEvaluator::findClosingSign(QStringView text)
{
    int depth = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\'')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'(')
            ++depth;
        else if (c == u')' && --depth < 0)
            return i;
    }
    throw EExpressionParseException(QStringLiteral("No closing sign found: ") + text.toString());
}

QString TXMLEvaluator::evaluateExpression(const QString& expr)
{
    if (expr == QLatin1String("$"))
        return expr;
    if (expr.isEmpty())
        throw EExpressionParseException(QStringLiteral("Error: expression is empty"));
    if (!expr.startsWith(u'#'))
        throw EExpressionParseException(QStringLiteral("Error: expression must start with function: ") + expr);
    const qsizetype open = expr.indexOf(u'(');
    if (open < 0)
        throw EExpressionParseException(QStringLiteral("Function has no starting brace: ") + expr);
    if (depth_ >= kMaxNesting)
        throw EExpressionParseException(
            QStringLiteral("Ausdruck tiefer als %1 Ebenen verschachtelt: ").arg(kMaxNesting) + expr);
    const DepthGuard guard(depth_);

    const QStringView name = QStringView(expr).mid(1, open - 1);
    TEvalFunction* fn = getFunctionForName(name);
    if (!fn)
        throw EExpressionParseException(QStringLiteral("Function not registered: ") + name.toString());
    const QStringView rest = QStringView(expr).mid(open + 1);
    const qsizetype close = findClosingSign(rest);
    const QStringList params = splitParameters(rest.left(close).toString());
    if (params.size() != fn->ParamCount)
        throw EExpressionParseException(QStringLiteral("Function \"%1\" requires %2, found %3")
                                            .arg(fn->Name)
                                            .arg(fn->ParamCount)
                                            .arg(params.size()));
    const QString path = evaluateParameter(rest.mid(close + 1).toString());
    return fn->evaluate(params, path);
}

QStringList TXMLEvaluator::splitParameters(const QString& text)
{
    QStringList params;
    QStringView rest(text);
    while (!rest.isEmpty()) {
        bool quoted = false;
        for (qsizetype i = 0;; ++i) {
            if (i >= rest.size())
                throw EExpressionParseException(QStringLiteral("Literal not closed: ") + rest.toString());
            const QChar c = rest[i];
            if (c == u'\'')
                quoted = !quoted;
            else if (!quoted && c == u'(')
                i += 1 + findClosingSign(rest.mid(i + 1)); // commas of a nested call do not split
            if (!quoted && (i == rest.size() - 1 || rest[i + 1] == u',')) {
                params.append(evaluateParameter(rest.left(i + 1).toString()));
                rest = rest.mid(std::min(i + 2, rest.size()));
                break;
            }
        }
    }
    return params;
}

QString TXMLEvaluator::evaluateParameter(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(u'#'))
        return evaluateExpression(trimmed);
    if (trimmed.startsWith(u'\''))
        return evaluateLiteral(trimmed);
    return trimmed;
}

QString TXMLEvaluator::evaluateLiteral(const QString& text)
{
    if (text.isEmpty())
        throw EExpressionParseException(QStringLiteral("Literal must not be empty"));
    if (!text.startsWith(u'\''))
        throw EExpressionParseException(QStringLiteral("Literal must start with literal Sign \"'\": ") + text);
    if (text.size() < 2 || !text.endsWith(u'\''))
        throw EExpressionParseException(QStringLiteral("Literal has addtional character after closing literalSign: ") +
                                        text);
    QString value;
    const QStringView inner = QStringView(text).mid(1, text.size() - 2);
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == u'\'') {
            if (i + 1 >= inner.size() || inner[i + 1] != u'\'')
                throw EExpressionParseException(QStringLiteral("Single \"'\" not allowed in literal string."));
            ++i;
        }
        value += inner[i];
    }
    return value;
}

} // namespace tvp
