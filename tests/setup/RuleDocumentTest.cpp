// Conditions, constraints and conditional branches of a competition-type document, read through the
// view as the file's reader reads them, against an age class whose choices change between reads.

#include "setup/XMLFunctions.h"
#include "setup/XMLLogic.h"
#include "tests/setup/RuleTestObjects.h"

#include <gtest/gtest.h>

namespace tvp {
namespace {

using testing::TestAgeClass;

class RuleDocument : public ::testing::Test {
protected:
    void SetUp() override
    {
        ageClass.Name = QStringLiteral("U10");
        ageClass.SelectedDisciplines = {{QStringLiteral("Sprint"), {}}, {QStringLiteral("Weitsprung"), {}}};
        evaluator.registerFunction(std::make_unique<TXFcurrent>(&ageClass));
    }

    // The document element of the text, seen through the view.
    TXMLConditionalNode load(const char* xml)
    {
        const pugi::xml_parse_result parsed = doc.load_string(xml, pugi::parse_default | pugi::parse_comments);
        EXPECT_TRUE(parsed) << parsed.description();
        return TXMLConditionalNode(doc.document_element(), &evaluator);
    }
    bool condition(const char* xml) { return CreateBooleanExpressionFromNode(load(xml))->evaluate(); }
    QString conditionFailure(const char* xml)
    {
        try {
            condition(xml);
        } catch (const EXMLBoolException& e) {
            return e.message();
        }
        return QStringLiteral("(no failure)");
    }
    QStringList names(const std::vector<TXMLConditionalNode>& nodes)
    {
        QStringList out;
        for (const TXMLConditionalNode& n : nodes)
            out << n.localName();
        return out;
    }

    TestAgeClass ageClass;
    TXMLEvaluator evaluator;
    pugi::xml_document doc;
};

TEST_F(RuleDocument, LogicElementsCombineTheirChildren)
{
    EXPECT_TRUE(condition("<and><equals expression1='a' expression2='a'/></and>"));
    EXPECT_FALSE(condition("<or><equals expression1='a' expression2='b'/></or>"));
    // `and` stops at the first false child, `or` at the first true one: the failing child is not read.
    EXPECT_FALSE(
        condition("<and><equals expression1='a' expression2='b'/><greater expression1='x' expression2='1'/></and>"));
    EXPECT_TRUE(
        condition("<or><equals expression1='a' expression2='a'/><greater expression1='x' expression2='1'/></or>"));
    EXPECT_TRUE(condition("<not><equals expression1='1' expression2='1.0'/></not>"));
    EXPECT_TRUE(
        condition("<xor><equals expression1='a' expression2='a'/><equals expression1='a' expression2='b'/></xor>"));
    EXPECT_FALSE(
        condition("<xor><equals expression1='a' expression2='a'/><equals expression1='b' expression2='b'/></xor>"));
    EXPECT_TRUE(condition("<equals expression1='$(#current(AgeClass)/Name)' expression2='U10'/>"));
}

TEST_F(RuleDocument, NumbersAreReadInTheProgramsNumberFormat)
{
    EXPECT_TRUE(condition("<greater expression1='2,5' expression2='2'/>"));
    EXPECT_TRUE(condition("<less expression1='-1' expression2='0,25'/>"));
    EXPECT_EQ(conditionFailure("<greater expression1='x' expression2='y'/>"),
              QStringLiteral("Greater: expression1 is is not a number: x"));
    EXPECT_EQ(conditionFailure("<less expression1='1' expression2=''/>"),
              QStringLiteral("Less: expression2 is is not a number: "));
}

TEST_F(RuleDocument, WrongShapesFailWhenEvaluated)
{
    EXPECT_EQ(conditionFailure("<and/>"), QStringLiteral("\"and\" must have child tags"));
    EXPECT_EQ(conditionFailure("<or/>"), QStringLiteral("\"or\" must have child tags"));
    EXPECT_EQ(conditionFailure("<not/>"), QStringLiteral("\"not\" must exactly have one child tag"));
    const char* xorOne = "<xor><equals/></xor>";
    EXPECT_EQ(conditionFailure(xorOne), QStringLiteral("\"xor\" must exactly have two child tags"));
    EXPECT_EQ(conditionFailure("<xor><equals/><equals/><equals/></xor>"),
              QStringLiteral("\"xor\" must exactly have two child tags"));
    EXPECT_EQ(conditionFailure("<exists><equals/></exists>"), QStringLiteral("Exists must not have child tags"));
    EXPECT_EQ(conditionFailure("<equals><equals/></equals>"), QStringLiteral("Equals must not have child tags"));
    EXPECT_EQ(conditionFailure("<greater><equals/></greater>"), QStringLiteral("\"Greater\" must not have child tags"));
    EXPECT_EQ(conditionFailure("<less><equals/></less>"), QStringLiteral("\"Less\" must not have child tags"));
    EXPECT_EQ(conditionFailure("<Exists/>"), QStringLiteral("Logic operator not found: Exists"));
    EXPECT_EQ(conditionFailure("<and><!-- no --></and>"), QStringLiteral("Logic operator not found: "));
    EXPECT_EQ(conditionFailure("<and>text</and>"), QStringLiteral("Logic operator not found: "));
}

TEST_F(RuleDocument, RulesNestedTooDeepAreRefusedInTheProgramsWords)
{
    QByteArray deep = "<equals expression1='a' expression2='a'/>";
    for (int i = 1; i < TBooleanExpression::kMaxNesting; ++i)
        deep = "<and>" + deep + "</and>";
    EXPECT_TRUE(condition(deep.constData()));
    deep = "<and>" + deep + "</and>";
    EXPECT_EQ(conditionFailure(deep.constData()),
              QStringLiteral("Logikoperatoren tiefer als 64 Ebenen verschachtelt: equals"));
}

TEST_F(RuleDocument, ExistsSearchesTheChosenList)
{
    const char* sprint = "<exists in='#current(AgeClass)/SelectedDisciplines' item='/Name' value='Weitsprung'/>";
    EXPECT_TRUE(condition(sprint));
    EXPECT_FALSE(condition("<exists in='#current(AgeClass)/SelectedDisciplines' item='/Name' value='Wurf'/>"));
    // Other failures of the walk are not taken for the end of the list.
    EXPECT_THROW(condition("<exists in='#current(AgeClass)/SelectedDisciplines' item='/name' value='x'/>"),
                 EFunctionEvalException);
    ageClass.SelectedDisciplines.clear();
    EXPECT_FALSE(condition(sprint));
}

TEST_F(RuleDocument, ExistsOverAnIndexedElementEnds)
{
    try {
        condition("<exists in='#current(AgeClass)/SelectedDisciplines[0]' item='/Name' value='Wurf'/>");
        ADD_FAILURE();
    } catch (const EFunctionEvalException& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid path element: SelectedDisciplines[0][0]"));
    }
    // The index landing outside the expression never meets the end of a list.
    EXPECT_EQ(conditionFailure("<exists in='#current(AgeClass)/Name)' item='' value='x'/>"),
              QStringLiteral("Exists: \"in\" and \"item\" do not form one expression: $(#current(AgeClass)/Name)[0])"));
}

TEST_F(RuleDocument, ConstraintsWarnOrMakeTheSetupIncompliant)
{
    TConstraintExpression warnOnly(
        load("<constraint failType='warn' userFeedbackOnFail='$(#current(AgeClass)/Name) braucht Sprint'>"
             "<exists in='#current(AgeClass)/SelectedDisciplines' item='/Name' value='Sprint'/>"
             "<bogus/></constraint>"));
    EXPECT_FALSE(warnOnly.hasWarning());
    EXPECT_TRUE(warnOnly.isFullfilled());
    ageClass.SelectedDisciplines.erase(ageClass.SelectedDisciplines.begin());
    EXPECT_TRUE(warnOnly.hasWarning());
    EXPECT_EQ(warnOnly.getFailMessage(), QStringLiteral("U10 braucht Sprint"));

    pugi::xml_document other;
    ASSERT_TRUE(
        other.load_string("<constraint failType='incompliant'><equals expression1='1' expression2='2'/></constraint>"));
    TConstraintExpression strict(TXMLConditionalNode(other.document_element(), &evaluator));
    EXPECT_FALSE(strict.isFullfilled());
    EXPECT_FALSE(strict.hasWarning());
    EXPECT_EQ(strict.getFailMessage(), QString());

    for (const char* bad : {"<constraint failType='Warn'><and/></constraint>", "<constraint><and/></constraint>"}) {
        try {
            TConstraintExpression c(load(bad));
            ADD_FAILURE() << bad;
        } catch (const ERuleError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Invalid failType in constraint (use \"warn\" or \"incompliant\")"));
        }
    }
    EXPECT_THROW(TConstraintExpression(load("<constraint failType='warn'><!-- c --><and/></constraint>")),
                 EXMLBoolException);
}

TEST_F(RuleDocument, TheViewShowsTheChosenBranchesAndFollowsChoices)
{
    const TXMLConditionalNode root =
        load("<ageClass name='$(#current(AgeClass)/Name)'><first/>"
             "<conditionalSwitch><exists in='#current(AgeClass)/SelectedDisciplines' item='/Name' value='Sprint'/>"
             "<then><sprint/><conditionalSwitch><greater expression1='$(#current(AgeClass)/SelectedDisciplinesCount)' "
             "expression2='1'/><then><many/></then></conditionalSwitch></then>"
             "<else><noSprint>ohne $(#current(AgeClass)/Name)</noSprint></else></conditionalSwitch>"
             "<conditionalSwitch><equals expression1='a' expression2='b'/><then><never/></then></conditionalSwitch>"
             "<last/></ageClass>");
    EXPECT_EQ(root.attribute(QStringLiteral("name")), QStringLiteral("U10"));
    EXPECT_EQ(root.attribute(QStringLiteral("missing")), std::nullopt);
    EXPECT_EQ(names(root.childNodes()), (QStringList{"first", "sprint", "many", "last"}));

    ageClass.SelectedDisciplines.erase(ageClass.SelectedDisciplines.begin());
    EXPECT_EQ(names(root.childNodes()), (QStringList{"first", "noSprint", "last"}));
    EXPECT_EQ(root.childNode(QStringLiteral("noSprint")).text(), QStringLiteral("ohne U10"));
    try {
        root.childNode(QStringLiteral("sprint"));
        ADD_FAILURE();
    } catch (const ENodeNotFound& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Element nicht gefunden: sprint"));
    }
}

TEST_F(RuleDocument, DeepLogicIsRefusedNotRecursedInto)
{
    std::string xml;
    for (int i = 0; i < 100; ++i)
        xml += "<not>";
    xml += "<equals/>";
    for (int i = 0; i < 100; ++i)
        xml += "</not>";
    EXPECT_THROW(condition(xml.c_str()), EXMLBoolException);
}

} // namespace
} // namespace tvp
