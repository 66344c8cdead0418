#include "core/results/tvpUtils.h"
#include "results/ResultUnitParser.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace tvp;

namespace {

// The examples written with "." run under a point locale; the program's own (German) is tested
// separately.
class PointLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = QLocale();
        QLocale::setDefault(QLocale::c());
    }
    void TearDown() override { QLocale::setDefault(saved); }
    QLocale saved;
};

QString fmt(const char* pattern, double value)
{
    return parseResultValue(QString::fromUtf8(pattern), value);
}

QString errorOf(const char* pattern, double value = 5)
{
    try {
        parseResultValue(QString::fromUtf8(pattern), value);
    } catch (const EInvalidResultUnitPattern& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

} // namespace

using ResultUnitPatternPoint = PointLocale;

TEST_F(ResultUnitPatternPoint, OperatorsAndLiterals)
{
    EXPECT_EQ(fmt("$(/60|.0):$(%60|.0|.-2) min", 125), "2:05 min");
    EXPECT_EQ(fmt("$(.1) $P", 7.5), "7.5 Pkt");
    EXPECT_EQ(fmt("$$5", 1), "$5");
    EXPECT_EQ(fmt("a$)b$|c", 1), "a)b|c");
    EXPECT_EQ(fmt("", 3), "");
    EXPECT_EQ(fmt("plain text", 3), "plain text");
}

TEST_F(ResultUnitPatternPoint, ExpressionSteps)
{
    EXPECT_EQ(fmt("$()", 5), "5.00");
    EXPECT_EQ(fmt("$(.0)", 5.4), "5");
    EXPECT_EQ(fmt("$(.0)", 5.6), "6");
    EXPECT_EQ(fmt("$(.0|.-3)", 5), "005");
    EXPECT_EQ(fmt("$(.2|.-3)", 5), "005.00");
    EXPECT_EQ(fmt("$(.-1)", 5), "5.00");
    EXPECT_EQ(fmt("$(.-0)", 5), "5");
    EXPECT_EQ(fmt("$(%60)", -125), "-5.00");
    EXPECT_EQ(fmt("$(/60)", -125), "-2.00");
    EXPECT_EQ(fmt("$(a|.0)", -3.4), "3");
    EXPECT_EQ(fmt("$(|.0)", 7), "7");
    EXPECT_EQ(fmt("$(*100|.0)", 1.23), "123");
    // Halves go to the even neighbour: 2.5 decimals are 2.
    EXPECT_EQ(fmt("$(.2.5)", 1), "1.00");
    // The minimum counts digits after the minus sign.
    EXPECT_EQ(fmt("$(.0|.-3)", -5), "-005");
    EXPECT_EQ(fmt("$(.1|.-3)", -12.34), "-012.3");
    EXPECT_EQ(fmt("$(.0|.-2)", 123), "123");
}

TEST_F(ResultUnitPatternPoint, ConditionsCopyTheirTextUnevaluated)
{
    EXPECT_EQ(fmt("$?(x|x|yes|no)", 1), "yes");
    EXPECT_EQ(fmt("$?(x|y|yes|no)", 1), "no");
    EXPECT_EQ(fmt("$?(X|x|yes|no)", 1), "no");
    EXPECT_EQ(fmt("$?(||a|b)", 1), "a");
    // The inner "$" takes the "?" and its "(" is plain, so the inner ")" closes the outer bracket.
    EXPECT_EQ(errorOf("$($?(a|a|b|c))"), "Operator \"$\" wird nicht unterstützt");
}

TEST_F(ResultUnitPatternPoint, MalformedPatternsRaiseTheirMessage)
{
    EXPECT_EQ(errorOf("abc$"), "\"$\" muss ein Operator folgen");
    EXPECT_EQ(errorOf("$a"), "Operator \"$a\" ist nicht bekannt");
    EXPECT_EQ(errorOf("$p"), "Operator \"$p\" ist nicht bekannt");
    EXPECT_EQ(errorOf("$?x"), "Operator \"$?\" muss von einer Klammer \"(\" gefolgt sein");
    EXPECT_EQ(errorOf("$?"), "Operator \"$?\" muss von einer Klammer \"(\" gefolgt sein");
    EXPECT_EQ(errorOf("$(.0$"), "\"$\" oder \"?\" muss ein Operator/eine Klammer folgen");
    EXPECT_EQ(errorOf("$(.0"), "Schließende Klammer \")\" nicht gefunden");
    EXPECT_EQ(errorOf("$?(x|y|z)"), "Bedingungsoperator \"?\" benötigt 4 parameter");
    EXPECT_EQ(errorOf("$?(a|b|c|d|e)"), "Bedingungsoperator \"?\" benötigt 4 parameter");
    EXPECT_EQ(errorOf("$(b2)"), "Operator \"b\" wird nicht unterstützt");
    EXPECT_EQ(errorOf("$(*x)"), "Ungültiger Parameter für Operator");
    EXPECT_EQ(errorOf("$(/)"), "Ungültiger Parameter für Operator");
    // A division by zero is the pattern's fault, not a text of "inf" or "nan".
    EXPECT_EQ(errorOf("$(/0)"), "Ungültiger Parameter für Operator");
    EXPECT_EQ(errorOf("$(%0.0)"), "Ungültiger Parameter für Operator");
    // Texts of any length are not asked for.
    EXPECT_EQ(errorOf("$(.31)"), "Ungültiger Parameter für Operator");
    EXPECT_EQ(errorOf("$(.-31)"), "Ungültiger Parameter für Operator");
    EXPECT_EQ(errorOf("$(.1e300)"), "Ungültiger Parameter für Operator");
    EXPECT_EQ(fmt("$(.30)", 0).size(), 32);
    // A fault after good text still leaves no partial text.
    EXPECT_EQ(errorOf("ok $(.0) $x"), "Operator \"$x\" ist nicht bekannt");
}

TEST_F(ResultUnitPatternPoint, GroupSeparatorsAreNoNumbers)
{
    EXPECT_EQ(errorOf("$(*1,5)"), "Ungültiger Parameter für Operator");
}

// The program's own locale: the decimal comma in the text, and both "." and "," in parameters.
TEST(ResultUnitPatternProgramLocale, DecimalCommaBothWays)
{
    ASSERT_EQ(QLocale().decimalPoint(), QStringLiteral(","));
    EXPECT_EQ(fmt("$(.1) $P", 7.5), "7,5 Pkt");
    EXPECT_EQ(fmt("$(*1.5|.1)", 2), "3,0");
    EXPECT_EQ(fmt("$(*1,5|.1)", 2), "3,0");
    EXPECT_EQ(fmt("$(.2|.-3)", 5), "005,00");
    EXPECT_EQ(fmt("$(/60|.0):$(%60|.0|.-2) min", 125), "2:05 min");
}

// Registered, the pattern reaches every result text of the program.
TEST(ResultUnitPatternProgramLocale, RegisteredForResultTexts)
{
    IResultUnitPatterns* before = resultUnitPatterns();
    registerResultUnitPatterns();
    proto::ResultType time;
    time.Type_ = proto::ResultValueType::Time;
    time.TimeInSeconds = 125;
    EXPECT_EQ(ResultToString(time, TResultformat::rf_Default, QStringLiteral("$(/60|.0):$(%60|.0|.-2) min")),
              "2:05 min");
    EXPECT_THROW(ResultToString(time, TResultformat::rf_Default, QStringLiteral("$(")), EInvalidResultUnitPattern);
    resultUnitPatterns() = before;
}
