// Templates of competition-type files expanded against an age class: the texts of every failure,
// the class each failure is raised as, and the path walk over the property table.

#include "setup/XMLFunctions.h"
#include "tests/setup/RuleTestObjects.h"

#include <gtest/gtest.h>

#include <functional>

namespace tvp {
namespace {

using testing::TestAgeClass;

template <class E>
void expectFailure(const std::function<void()>& run, const QString& text)
{
    try {
        run();
        ADD_FAILURE() << "no failure, expected: " << text.toStdString();
    } catch (const E& e) {
        EXPECT_EQ(e.message(), text);
    } catch (const ERuleError& e) {
        ADD_FAILURE() << "wrong class for: " << e.message().toStdString();
    }
}

class RuleExpression : public ::testing::Test {
protected:
    void SetUp() override
    {
        ageClass.Name = QStringLiteral("Kinder U10");
        ageClass.MinTeamMembers = 6;
        ageClass.SelectedDisciplines = {{QStringLiteral("Sprint"), QStringLiteral("run")},
                                        {QStringLiteral("Weitsprung"), QStringLiteral("jump")}};
        ageClass.SelectedResEvals = {{QStringLiteral("Mannschaft"), {QStringLiteral("Sprint")}}};
        evaluator.registerFunction(std::make_unique<TXFcurrent>(&ageClass));
    }
    QString eval(const QString& text) { return evaluator.evaluate(text); }
    template <class E>
    void fails(const QString& text, const QString& message)
    {
        SCOPED_TRACE(text.toStdString());
        expectFailure<E>([&] { eval(text); }, message);
    }

    TestAgeClass ageClass;
    TXMLEvaluator evaluator;
};

TEST_F(RuleExpression, ExpandsTemplatesAndKeepsPlainText)
{
    EXPECT_EQ(eval(QStringLiteral("a) #b (c")), QStringLiteral("a) #b (c"));
    EXPECT_EQ(
        eval(QStringLiteral("Klasse $(#current(AgeClass)/Name): $(#current(AgeClass)/SelectedDisciplines[1]/Name)!")),
        QStringLiteral("Klasse Kinder U10: Weitsprung!"));
    EXPECT_EQ(eval(QStringLiteral("$(#current(AgeClass)/MinTeamMembers)")), QStringLiteral("6"));
    EXPECT_EQ(eval(QStringLiteral("5 $($)")), QStringLiteral("5 $"));
    // A value is not scanned again, and blanks separate path elements like "/".
    ageClass.Name = QStringLiteral("$(#x())");
    EXPECT_EQ(eval(QStringLiteral("$(#current( AgeClass )/Name)")), QStringLiteral("$(#x())"));
    EXPECT_EQ(eval(QStringLiteral("$(#current('AgeClass') SelectedDisciplines[0] Name)")), QStringLiteral("Sprint"));
}

TEST_F(RuleExpression, MalformedExpressionsNameTheirFault)
{
    fails<EExpressionParseException>(QStringLiteral("x $(#current(AgeClass)/Name"),
                                     QStringLiteral("No closing sign found: #current(AgeClass)/Name"));
    fails<EExpressionParseException>(QStringLiteral("$()"), QStringLiteral("Error: expression is empty"));
    fails<EExpressionParseException>(QStringLiteral("$(current)"),
                                     QStringLiteral("Error: expression must start with function: current"));
    fails<EExpressionParseException>(QStringLiteral("$(#current)"),
                                     QStringLiteral("Function has no starting brace: #current"));
    fails<EExpressionParseException>(QStringLiteral("$(#Current(AgeClass)/Name)"),
                                     QStringLiteral("Function not registered: Current"));
    fails<EExpressionParseException>(QStringLiteral("$(#current()/Name)"),
                                     QStringLiteral("Function \"current\" requires 1, found 0"));
    fails<EExpressionParseException>(QStringLiteral("$(#current(AgeClass,Team)/Name)"),
                                     QStringLiteral("Function \"current\" requires 1, found 2"));
    fails<EExpressionParseException>(QStringLiteral("$(#current('Age)"),
                                     QStringLiteral("No closing sign found: #current('Age)"));
    fails<EFunctionEvalException>(QStringLiteral("$(#current(Team)/Name)"),
                                  QStringLiteral("Invalid parameter for \"current\": Team"));
}

TEST_F(RuleExpression, LiteralsDoubleTheirQuoteSign)
{
    EXPECT_EQ(TXMLEvaluator::evaluateLiteral(QStringLiteral("'it''s'")), QStringLiteral("it's"));
    EXPECT_EQ(TXMLEvaluator::evaluateLiteral(QStringLiteral("''")), QString());
    expectFailure<EExpressionParseException>([] { TXMLEvaluator::evaluateLiteral(QStringLiteral("'it's'")); },
                                             QStringLiteral("Single \"'\" not allowed in literal string."));
    fails<EExpressionParseException>(
        QStringLiteral("$(#current('AgeClass'x)/Name)"),
        QStringLiteral("Literal has addtional character after closing literalSign: 'AgeClass'x"));
    expectFailure<EExpressionParseException>([] { TXMLEvaluator::evaluateLiteral(QStringLiteral("x'")); },
                                             QStringLiteral("Literal must start with literal Sign \"'\": x'"));
}

TEST_F(RuleExpression, ParametersSplitOutsideQuotesAndNestedCalls)
{
    EXPECT_EQ(evaluator.splitParameters(QStringLiteral("a, 'b,c' ,'d''e',")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b,c"), QStringLiteral("d'e")}));
    EXPECT_EQ(evaluator.splitParameters(QStringLiteral("#current(AgeClass)/Name")),
              QStringList{QStringLiteral("Kinder U10")});
    expectFailure<EExpressionParseException>([&] { evaluator.splitParameters(QStringLiteral("a,'b")); },
                                             QStringLiteral("Literal not closed: 'b"));
}

TEST_F(RuleExpression, PathsEndOnAValueOfASupportedType)
{
    fails<EPathNotLeadingToLiteralError>(QStringLiteral("$(#current(AgeClass))"),
                                         QStringLiteral("Path \"\" does not lead to a literal that can be evaluated."));
    fails<EPathNotLeadingToLiteralError>(
        QStringLiteral("$(#current(AgeClass)/Disciplines)"),
        QStringLiteral("Path \"/Disciplines\" does not lead to a literal that can be evaluated."));
    fails<EPathAfterLiteralError>(
        QStringLiteral("$(#current(AgeClass)/Name/x)"),
        QStringLiteral("Path \"/Name/x\" has further elements after literal string \"Name\" (Kinder U10)."));
    fails<EPathAfterLiteralError>(
        QStringLiteral("$(#current(AgeClass)/MinTeamMembers/x)"),
        QStringLiteral("Path \"/MinTeamMembers/x\" has further elements after literal number \"MinTeamMembers\" (6)."));
    fails<EPropertyConvertError>(
        QStringLiteral("$(#current(AgeClass)/SelectedDisciplines/Name)"),
        QStringLiteral("Path element \"SelectedDisciplines\" is an array but no valid index is specified"));
    fails<EListError>(QStringLiteral("$(#current(AgeClass)/SelectedDisciplines[2]/Name)"),
                      QStringLiteral("FunctionEval: Index out of bounds"));
    fails<EPropertyConvertError>(QStringLiteral("$(#current(AgeClass)/BillingPricePerTeam)"),
                                 QStringLiteral("Path element \"BillingPricePerTeam\" is not a supported type"));
    fails<EPropertyConvertError>(QStringLiteral("$(#current(AgeClass)/Name[0])"),
                                 QStringLiteral("Path element \"Name\" is not an array but index is specified"));
    fails<EFunctionEvalException>(QStringLiteral("$(#current(AgeClass)/name)"),
                                  QStringLiteral("Invalid path element: name"));
    fails<EFunctionEvalException>(QStringLiteral("$(#current(AgeClass)/SelectedDisciplines[0/Name)"),
                                  QStringLiteral("Unclosed objectindex in path: SelectedDisciplines[0"));
    fails<EFunctionEvalException>(QStringLiteral("$(#current(AgeClass)/SelectedDisciplines[-1]/Name)"),
                                  QStringLiteral("Invalid objectindex in path: -1"));
}

TEST_F(RuleExpression, PathsWithoutADefinedValueFailAsNotLeadingToALiteral)
{
    fails<EPathNotLeadingToLiteralError>(
        QStringLiteral("$(#current(AgeClass)/SelectedDisciplines[0]/DocumentationFile/Name)"),
        QStringLiteral("Path \"/SelectedDisciplines[0]/DocumentationFile/Name\" does not lead to a literal that can be "
                       "evaluated."));
    fails<EPathNotLeadingToLiteralError>(
        QStringLiteral("$(#current(AgeClass)/SelectedResEvals[0]/ExcludeInputs[0])"),
        QStringLiteral(
            "Path \"/SelectedResEvals[0]/ExcludeInputs[0]\" does not lead to a literal that can be evaluated."));
}

TEST_F(RuleExpression, ASecondIndexOnOneElementIsRefused)
{
    fails<EFunctionEvalException>(QStringLiteral("$(#current(AgeClass)/SelectedDisciplines[0][1]/Name)"),
                                  QStringLiteral("Invalid path element: SelectedDisciplines[0][1]"));
    fails<EFunctionEvalException>(QStringLiteral("$(#current(AgeClass)/SelectedDisciplines[0]x/Name)"),
                                  QStringLiteral("Invalid path element: SelectedDisciplines[0]x"));
}

// Hands its parameter back, so calls can be nested as deep as a test likes.
struct EchoFunction : TEvalFunction {
    EchoFunction() : TEvalFunction(QStringLiteral("echo"), 1) {}
    QString evaluate(const QStringList& params, const QString&) override { return params.front(); }
};

TEST_F(RuleExpression, NestingIsBoundedAndTheEvaluatorStaysUsable)
{
    evaluator.registerFunction(std::make_unique<EchoFunction>());
    const auto nested = [](int levels) {
        QString expr = QStringLiteral("'x'");
        for (int i = 0; i < levels; ++i)
            expr = QStringLiteral("#echo(%1)").arg(expr);
        return QStringLiteral("$(") + expr + u')';
    };
    EXPECT_EQ(eval(nested(TXMLEvaluator::kMaxNesting)), QStringLiteral("x"));
    expectFailure<EExpressionParseException>([&] { eval(nested(TXMLEvaluator::kMaxNesting + 1)); },
                                             QStringLiteral("Ausdruck tiefer als 64 Ebenen verschachtelt: #echo('x')"));
    EXPECT_THROW(eval(QStringLiteral("$(#echo('x')") + nested(100).mid(2)), EExpressionParseException);
    EXPECT_EQ(eval(QStringLiteral("$(#current(AgeClass)/Name)")), QStringLiteral("Kinder U10"));
}

TEST(RuleFunctions, CurrentWithoutAgeClassAndReplacedRegistration)
{
    TXMLEvaluator evaluator;
    evaluator.registerFunction(std::make_unique<TXFcurrent>(nullptr));
    expectFailure<EFunctionEvalException>([&] { evaluator.evaluate(QStringLiteral("$(#current(AgeClass)/Name)")); },
                                          QStringLiteral("current: current AgeClass is not defined"));
    TestAgeClass ageClass;
    ageClass.Name = QStringLiteral("U12");
    evaluator.registerFunction(std::make_unique<TXFcurrent>(&ageClass));
    EXPECT_EQ(evaluator.evaluate(QStringLiteral("$(#current(AgeClass)/Name)")), QStringLiteral("U12"));
}

} // namespace
} // namespace tvp
