// The wizard's warning manager and the warnings made from competition-type constraints, against an
// age class whose choices change between checks, and the browser client's hand-over items.

#include "setup/WizardImportRequests.h"
#include "setup/WizardWarnings.h"
#include "setup/XMLFunctions.h"
#include "setup/XMLLogic.h"
#include "tests/setup/RuleTestObjects.h"
#include "tests/setup/WizardTestMessages.h"
#include "tests/support/RecordingMessages.h"

#include <gtest/gtest.h>

#include <deque>

namespace tvp {
namespace {

using testing::Switchable;
using testing::TestAgeClass;

class RecordingPanel : public IWarningPanel {
public:
    void hidePanel() override
    {
        visible = false;
        log << QStringLiteral("hide");
    }
    void showPanel(TWizardMessageType type) override
    {
        visible = true;
        shown = type;
        log << messageTypePrefix(type).trimmed();
    }
    bool visible = false;
    TWizardMessageType shown = mt_Info;
    QStringList log;
};

struct Origin : IWarningOrigin {
    explicit Origin(QString name) : name(std::move(name)) {}
    QString getWarningOrigin() const override { return name; }
    QString name;
};

class WizardWarnings : public ::testing::Test {
protected:
    void SetUp() override
    {
        ageClass.Name = QStringLiteral("U10");
        ageClass.SelectedDisciplines = {{QStringLiteral("Sprint"), {}}, {QStringLiteral("Weitsprung"), {}}};
        evaluator.registerFunction(std::make_unique<TXFcurrent>(&ageClass));
    }
    TConstraintExpression& constraint(const char* xml)
    {
        docs.emplace_back();
        EXPECT_TRUE(docs.back().load_string(xml));
        constraints.push_back(
            std::make_unique<TConstraintExpression>(TXMLConditionalNode(docs.back().document_element(), &evaluator)));
        return *constraints.back();
    }
    std::unique_ptr<TConstraintWarning> warning(const IWarningOrigin& origin, const char* xml)
    {
        return std::make_unique<TConstraintWarning>(origin, constraint(xml), messages);
    }

    TestAgeClass ageClass;
    TXMLEvaluator evaluator;
    std::deque<pugi::xml_document> docs;
    std::vector<std::unique_ptr<TConstraintExpression>> constraints;
    test::RecordingMessages messages;
    RecordingPanel panel;
    TWarningManager manager{&panel};
    Origin disciplines{QStringLiteral("U10 Disziplinen")};
    Origin ageClasses{QStringLiteral("Altersklassen")};
};

const char* kNeedsSprint = "<constraint failType='warn' userFeedbackOnFail='Sprint fehlt'>"
                           "<exists in='#current(AgeClass)/SelectedDisciplines' item='/Name' value='Sprint'/>"
                           "</constraint>";
const char* kAtMostOne = "<constraint failType='incompliant' userFeedbackOnFail='Höchstens eine Disziplin'>"
                         "<greater expression1='2' expression2='$(#current(AgeClass)/SelectedDisciplinesCount)'/>"
                         "</constraint>";

TEST_F(WizardWarnings, ConstraintsGiveTypeTextAndKeyByTheirState)
{
    auto sprint = warning(disciplines, kNeedsSprint);
    auto count = warning(disciplines, kAtMostOne);
    EXPECT_FALSE(sprint->CheckWarningCondition());
    EXPECT_TRUE(count->CheckWarningCondition());
    EXPECT_EQ(count->getMessageType(), mt_Error);
    EXPECT_EQ(count->getTypedMessage(), QStringLiteral("Fehler: U10 Disziplinen: Höchstens eine Disziplin"));
    EXPECT_EQ(count->getID(), QStringLiteral("CONSTRAINT_U10 Disziplinen_Höchstens eine Disziplin"));

    ageClass.SelectedDisciplines.erase(ageClass.SelectedDisciplines.begin());
    EXPECT_TRUE(sprint->CheckWarningCondition());
    EXPECT_EQ(sprint->getMessageType(), mt_Warning);
    EXPECT_EQ(sprint->getTypedMessage(), QStringLiteral("Warnung: U10 Disziplinen: Sprint fehlt"));
    EXPECT_FALSE(count->CheckWarningCondition());
    EXPECT_EQ(count->getMessageType(), mt_Info);

    // Without an origin only the rule's own text.
    Origin none{QString()};
    EXPECT_EQ(warning(none, kNeedsSprint)->getMessage(), QStringLiteral("Sprint fehlt"));
    EXPECT_TRUE(sprint->isFrom(&disciplines));
    EXPECT_FALSE(sprint->isFrom(&ageClasses));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(WizardWarnings, ARuleThatCannotBeEvaluatedIsReportedAndDoesNotApply)
{
    auto broken = warning(disciplines, "<constraint failType='incompliant' userFeedbackOnFail='Kaputt'>"
                                       "<greater expression1='x' expression2='1'/></constraint>");
    manager.AddWarning(std::move(broken));
    manager.refresh();
    EXPECT_FALSE(panel.visible);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].caption, QStringLiteral("Veranstaltung anlegen"));
    EXPECT_TRUE(messages.messages[0].text.startsWith(
        QStringLiteral("Beim Auswerten von Veranstaltungsbedingung \"Kaputt\" ist ein Fehler aufgetreten: ")))
        << messages.messages[0].text.toStdString();
}

TEST_F(WizardWarnings, ThePanelShowsTheMostSevereApplyingMessage)
{
    bool warn = false, info = false, error = false;
    manager.AddWarning(std::make_unique<Switchable>(ageClasses, QStringLiteral("info"), mt_Info, info));
    manager.AddWarning(std::make_unique<Switchable>(ageClasses, QStringLiteral("warn"), mt_Warning, warn));
    manager.AddWarning(std::make_unique<Switchable>(disciplines, QStringLiteral("error"), mt_Error, error));

    manager.refresh();
    EXPECT_FALSE(panel.visible) << "nothing applies";
    EXPECT_EQ(manager.status(), mt_Info);

    // An info after a warning does not lower the caption.
    warn = info = true;
    manager.refresh();
    EXPECT_TRUE(panel.visible);
    EXPECT_EQ(panel.shown, mt_Warning);
    EXPECT_EQ(manager.getMessages(), (QStringList{"Hinweis: info", "Warnung: warn"}));

    // One message's refresh only raises.
    error = true;
    manager.refresh(QStringLiteral("error"));
    EXPECT_EQ(panel.shown, mt_Error);
    error = false;
    manager.refresh(QStringLiteral("error"));
    EXPECT_EQ(manager.status(), mt_Error);
    manager.refresh(QStringLiteral("unknown"));
    manager.refresh();
    EXPECT_EQ(manager.status(), mt_Warning);

    // Leaving a page takes its messages; none given takes all.
    manager.removeWarnings(&ageClasses);
    EXPECT_EQ(manager.count(), 1);
    EXPECT_FALSE(panel.visible);
    manager.removeWarnings(nullptr);
    EXPECT_EQ(manager.count(), 0);
}

TEST_F(WizardWarnings, TheSameRuleOfTheSameOriginIsOneEntryReplacedInPlace)
{
    manager.AddWarning(warning(disciplines, kNeedsSprint));
    manager.AddWarning(warning(disciplines, kAtMostOne));
    manager.AddWarning(warning(disciplines, kNeedsSprint));
    manager.AddWarning(warning(ageClasses, kNeedsSprint));
    EXPECT_EQ(manager.count(), 3);
    ageClass.SelectedDisciplines.clear();
    EXPECT_EQ(manager.getMessages(),
              (QStringList{"Warnung: U10 Disziplinen: Sprint fehlt", "Warnung: Altersklassen: Sprint fehlt"}));
}

TEST_F(WizardWarnings, DetailsListTheMessagesAndCloseByStatus)
{
    const QStringList lines{QStringLiteral("Warnung: a"), QStringLiteral("Hinweis: 100%1 sicher")};
    const QString text = warningDetailsText(lines, mt_Warning, QStringLiteral("Beispiel"));
    EXPECT_EQ(text, QStringLiteral("Folgende potenzielle Probleme wurden identifiziert:\n\n   Warnung: a\n"
                                   "   Hinweis: 100%1 sicher\n\nSie können versuchen die Veranstaltung anzulegen, "
                                   "ggf. entspricht sie aber nicht den offiziellen Vorgaben des Veranstaltungstyps "
                                   "\"Beispiel\". Probleme beim Anlegen oder später bei der Ergebnisauswertung "
                                   "können dabei nicht ausgeschlossen werden."));
    EXPECT_TRUE(warningDetailsText({}, mt_Error, QStringLiteral("X"))
                    .endsWith(QStringLiteral("technischen Vorgaben des Veranstaltungstyps \"X\"")));
    EXPECT_TRUE(warningDetailsText({}, mt_Info, QStringLiteral("X"))
                    .endsWith(QStringLiteral("offiziellen Vorgaben des Veranstaltungstyps \"X\"")));
}

TEST(WizardImport, ItemsSupplyNameDateAndTypeByTheirKeys)
{
    EXPECT_EQ(wizardImportKeys(QStringLiteral("c7")),
              (std::vector<QString>{"c7_name", "c7_date", "c7_competition-type-xml"}));
    const TWizardImportData data = readWizardImportItems({{QStringLiteral("c7_competition-type-xml"), "<x/>"},
                                                          {QStringLiteral("c7_date"), "2027-05-08"},
                                                          {QStringLiteral("c7_name"), "Sportfest"},
                                                          {QStringLiteral("c7_other"), "?"}});
    EXPECT_EQ(data.name, QStringLiteral("Sportfest"));
    EXPECT_EQ(data.date, QStringLiteral("2027-05-08"));
    EXPECT_EQ(data.compTypeXml, QStringLiteral("<x/>"));
}

} // namespace
} // namespace tvp
