#include "results/ResultUnitParser.h"

#include <QLocale>
#include <QStringView>

#include <charconv>
#include <cmath>

namespace tvp {

namespace {

// Decimals and digit minimums beyond this make no sense for a result and would let a pattern ask
// for texts of any length.
constexpr int kMaxDigits = 30;

[[noreturn]] void fail(const QString& message)
{
    throw EInvalidResultUnitPattern(message);
}

[[noreturn]] void invalidParameter()
{
    fail(QStringLiteral("Ungültiger Parameter für Operator"));
}

struct Bracket {
    QStringView content;
    qsizetype next = 0; // position after the closing ")"
};

// open is the position of the "(". "$" and "?" take the following character with them, and only a
// "(" taken that way opens a nested bracket; a plain "(" does not count.
Bracket getExpressionInBracket(QStringView pattern, qsizetype open)
{
    int depth = 1;
    qsizetype i = open + 1;
    while (i < pattern.size()) {
        const QChar c = pattern[i];
        if (c == u'$' || c == u'?') {
            if (i + 1 >= pattern.size())
                fail(QStringLiteral("\"$\" oder \"?\" muss ein Operator/eine Klammer folgen"));
            if (pattern[i + 1] == u'(')
                ++depth;
            i += 2;
            continue;
        }
        if (c == u')' && --depth == 0)
            return {pattern.mid(open + 1, i - open - 1), i + 1};
        ++i;
    }
    fail(QStringLiteral("Schließende Klammer \")\" nicht gefunden"));
}

// Every "|" separates, a "$" protects nothing; the empty content is one empty argument.
template <class Visit>
void splitArguments(QStringView content, Visit&& visit)
{
    qsizetype start = 0;
    for (;;) {
        const qsizetype bar = content.indexOf(u'|', start);
        if (bar < 0) {
            visit(content.mid(start));
            return;
        }
        visit(content.mid(start, bar - start));
        start = bar + 1;
    }
}

// "." is always a decimal separator, the locale's own one too; group separators are refused.
double getParam(QStringView step, QChar localeDecimal)
{
    QStringView text = step.mid(1).trimmed();
    if (text.startsWith(u'+'))
        text = text.mid(1);
    char buffer[64];
    if (text.isEmpty() || text.size() >= qsizetype(sizeof buffer))
        invalidParameter();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == localeDecimal)
            buffer[i] = '.';
        else if (c.unicode() < 128)
            buffer[i] = char(c.unicode());
        else
            invalidParameter();
    }
    const char* end = buffer + text.size();
    double n = 0;
    const std::from_chars_result r = std::from_chars(buffer, end, n);
    if (r.ec != std::errc() || r.ptr != end || !std::isfinite(n))
        invalidParameter();
    return n;
}

// Nearest integer, halves to the even neighbour; above kMaxDigits the parameter is refused.
int digitCount(double n)
{
    const double rounded = std::nearbyint(n);
    if (rounded > kMaxDigits)
        invalidParameter();
    return static_cast<int>(rounded);
}

QString formatValue(double value, int decimals, int minDigits, QChar localeDecimal)
{
    // Fixed notation like "%.<decimals>f": the largest double has 309 integer digits.
    char buffer[400];
    const std::to_chars_result r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    QString text = QString::fromLatin1(buffer, r.ec == std::errc() ? r.ptr - buffer : 0);
    if (localeDecimal != u'.')
        text.replace(u'.', localeDecimal);
    if (minDigits > 1 && std::isfinite(value)) {
        // The zeros go after a minus sign: -5 with three digits is "-005".
        const qsizetype sign = text.startsWith(u'-') ? 1 : 0;
        qsizetype intEnd = text.indexOf(localeDecimal);
        if (intEnd < 0)
            intEnd = text.size();
        const qsizetype digits = intEnd - sign;
        if (digits < minDigits)
            text.insert(sign, QString(minDigits - digits, u'0'));
    }
    return text;
}

QString parseExpression(QStringView content, double value, QChar localeDecimal)
{
    int decimals = 2;
    int minDigits = -1;
    splitArguments(content, [&](QStringView step) {
        if (step.isEmpty())
            return;
        switch (step[0].unicode()) {
        case u'/': {
            const double n = getParam(step, localeDecimal);
            if (n == 0)
                invalidParameter();
            value = std::trunc(value / n);
            break;
        }
        case u'%': {
            const double n = getParam(step, localeDecimal);
            if (n == 0)
                invalidParameter();
            value = value - std::trunc(value / n) * n;
            break;
        }
        case u'*': value *= getParam(step, localeDecimal); break;
        case u'a': value = std::fabs(value); break;
        case u'.': {
            const double n = getParam(step, localeDecimal);
            // "-0" is not negative: it sets the decimals.
            if (n >= 0)
                decimals = digitCount(n);
            else
                minDigits = digitCount(-n);
            break;
        }
        default: fail(QStringLiteral("Operator \"%1\" wird nicht unterstützt").arg(step[0]));
        }
    });
    return formatValue(value, decimals, minDigits, localeDecimal);
}

// The chosen text is copied as it stands; nothing in it is evaluated.
QString parseCondition(QStringView content)
{
    QStringView args[4];
    int count = 0;
    splitArguments(content, [&](QStringView arg) {
        if (count < 4)
            args[count] = arg;
        ++count;
    });
    if (count != 4)
        fail(QStringLiteral("Bedingungsoperator \"?\" benötigt 4 parameter"));
    return (args[0] == args[1] ? args[2] : args[3]).toString();
}

// pos stands on the character after "$" and is moved past the operator.
// decimal is the locale's separator, looked up on the first expression.
void evaluateNext(QStringView pattern, qsizetype& pos, double value, QString& out, QChar& decimal)
{
    const QChar op = pattern[pos];
    switch (op.unicode()) {
    case u'$':
    case u')':
    case u'|':
        out += op;
        ++pos;
        return;
    case u'P':
        out += QLatin1String("Pkt");
        ++pos;
        return;
    case u'(': {
        const Bracket b = getExpressionInBracket(pattern, pos);
        if (decimal.isNull())
            decimal = QLocale().decimalPoint().at(0);
        out += parseExpression(b.content, value, decimal);
        pos = b.next;
        return;
    }
    case u'?': {
        if (pos + 1 >= pattern.size() || pattern[pos + 1] != u'(')
            fail(QStringLiteral("Operator \"$?\" muss von einer Klammer \"(\" gefolgt sein"));
        const Bracket b = getExpressionInBracket(pattern, pos + 1);
        out += parseCondition(b.content);
        pos = b.next;
        return;
    }
    default: fail(QStringLiteral("Operator \"$%1\" ist nicht bekannt").arg(op));
    }
}

class TResultUnitPatterns final : public IResultUnitPatterns {
public:
    QString parseResultValue(const QString& pattern, double value) override
    {
        return tvp::parseResultValue(pattern, value);
    }
};

} // namespace

QString parseResultValue(const QString& pattern, double value)
{
    QString out;
    out.reserve(pattern.size() + 8);
    const QStringView p(pattern);
    qsizetype pos = 0;
    QChar decimal;
    while (pos < p.size()) {
        const qsizetype dollar = p.indexOf(u'$', pos);
        if (dollar < 0) {
            out += p.mid(pos);
            break;
        }
        out += p.mid(pos, dollar - pos);
        pos = dollar + 1;
        if (pos >= p.size())
            fail(QStringLiteral("\"$\" muss ein Operator folgen"));
        evaluateNext(p, pos, value, out, decimal);
    }
    return out;
}

void registerResultUnitPatterns()
{
    static TResultUnitPatterns patterns;
    resultUnitPatterns() = &patterns;
}

} // namespace tvp
