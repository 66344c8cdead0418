// The age-class window and the age-class conflict question, driven offscreen against the stand-in.

#include "participants/ui/AgeClassDialog.h"
#include "participants/ui/AgeMismatchDialog.h"
#include "participants/ui/UpDown.h"
#include "standin/ErrorMessages.h"
#include "tests/participants/WindowFixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

using namespace tvp;
using namespace tvp::test;

namespace {

class AgeClassWindow : public EditorWindowTest<TAgeClassForm> {
protected:
    void SetUp() override
    {
        EditorWindowTest::SetUp();
        form = make<TAgeClassForm>(TWindowId::AgeClassForm);
    }

    QLineEdit* fee() const { return child<QLineEdit>("PriceEdit"); }
    TUpDown* upDown(const char* n) const { return child<TUpDown>(n); }
    QTreeView* list() const { return child<QTreeView>("ListView1"); }
    void type(QLineEdit* edit, const QString& text) { typeInto(*edit, text); }
    // Clicks on an up-down's arrows.
    static void step(TUpDown* u, int steps)
    {
        for (int i = 0; i < std::abs(steps); ++i)
            u->stepBy(steps > 0 ? 1 : -1);
    }
    int stored(const char* column, int ageClassId)
    {
        return EditorWindowTest::stored("age_classes", column, ageClassId);
    }
};

} // namespace

TEST_F(AgeClassWindow, CreateChangeAndRemoveWithTheRulesAsTheUpDownsShowThem)
{
    auto* team = make<CountingForm>(TWindowId::TeamForm);
    team->show();
    open();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Altersklassen"));
    EXPECT_TRUE(rows(*list()).isEmpty());
    EXPECT_EQ(id(), QStringLiteral("ID: -"));
    EXPECT_FALSE(add()->isEnabled());
    EXPECT_EQ(upDown("MaxUpDown")->text(), QStringLiteral("unbegrenzt"));

    type(name(), QStringLiteral(" U10 "));
    type(fee(), QStringLiteral("12,345"));
    step(upDown("MinUpDown"), 4);
    EXPECT_EQ(upDown("MaxUpDown")->text(), QStringLiteral("4")) << "the maximum follows the minimum up";
    step(upDown("MaleUpDown"), 3);
    EXPECT_EQ(upDown("MaleUpDown")->text(), QStringLiteral("2"));
    step(upDown("GenderMixUpDown"), 1);
    EXPECT_EQ(upDown("GenderMixUpDown")->text(), QStringLiteral("Mindestens 1 TN pro Geschlecht"));
    ASSERT_TRUE(add()->isEnabled());
    const int teamReloads = team->reloads;
    QTest::mouseClick(add(), Qt::LeftButton);
    settle();

    ASSERT_EQ(rows(*list()), QStringList{"U10|12,34 €|4|4, 2 m|min. 1"})
        << recorder.messages.lines().join('\n').toStdString();
    const int u10 = form->getSelected();
    ASSERT_GT(u10, 0);
    EXPECT_EQ(id(), QStringLiteral("ID: %1").arg(u10));
    EXPECT_EQ(name()->text(), QStringLiteral("U10"));
    EXPECT_FALSE(save()->isEnabled());
    EXPECT_FALSE(form->hasOverallDirtyData());
    EXPECT_EQ(stored("male_members_less_than", u10), 3);
    EXPECT_GT(team->reloads, teamReloads) << "the visible team window shows age classes too";

    // Lowering the maximum below the minimum makes it unbounded again.
    step(upDown("MaxUpDown"), -1);
    EXPECT_EQ(upDown("MaxUpDown")->text(), QStringLiteral("unbegrenzt"));
    ASSERT_TRUE(save()->isEnabled());
    QTest::mouseClick(save(), Qt::LeftButton);
    settle();
    EXPECT_EQ(stored("max_team_members", u10), -1);
    EXPECT_EQ(rows(*list()), QStringList{"U10|12,34 €|4|unbegr., 2 m|min. 1"});

    // In use by a team: the server's refusal under the request's name; the class stays.
    seed->team(competitionId, QStringLiteral("Adler"), u10);
    form->Entfernen1Click();
    settle();
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Altersklasse löschen"));
    EXPECT_EQ(recorder.messages.messages[0].errorId, standin::errors::AgeClassInUse);
    EXPECT_EQ(rows(*list()).size(), 1);

    client->cms()->removeTeam(seed->value("SELECT id FROM teams WHERE age_class_id = ?", u10), false);
    clickRow(*list(), QStringLiteral("U10"));
    QTest::keyClick(list(), Qt::Key_Delete);
    settle();
    EXPECT_TRUE(rows(*list()).isEmpty());
    EXPECT_EQ(id(), QStringLiteral("ID: -"));
    EXPECT_EQ(name()->text(), QString()) << "the removed class left the editor";
}

// A fee typed is saved without undoing the rule another desk changed meanwhile. A fee changed there
// too is asked about, "Nein" under Enter; "Ja" stores the typed one.
TEST_F(AgeClassWindow, AFeeTypedIsSavedWithoutUndoingTheRuleChangedElsewhereAndAFeeChangedThereIsAsked)
{
    const int u10 = ageClass(QStringLiteral("U10"));
    open();
    clickRow(*list(), QStringLiteral("U10"));
    type(fee(), QStringLiteral("15,50"));
    proto::AgeClassInfoType other;
    other.Name = QStringLiteral("U10");
    other.MinTeamMembers = 4;
    other.MaxTeamMembers = -1;
    client->cms()->modifyAgeClass(u10, other);

    QTest::mouseClick(save(), Qt::LeftButton);
    settle();
    EXPECT_EQ(stored("min_team_members", u10), 4);
    EXPECT_EQ(rows(*list()), QStringList{"U10|15,50 €|4|unbegr.|unbeschr."});

    type(fee(), QStringLiteral("17"));
    other.BillingPricePerTeam = 12;
    client->cms()->modifyAgeClass(u10, other);
    script->expectMessage(QStringLiteral("Altersklasse ändern"), TMsgAnswer::Yes);
    QTest::mouseClick(save(), Qt::LeftButton);
    settle();
    ASSERT_FALSE(script->seen.empty());
    EXPECT_EQ(script->seen.back().text,
              QStringLiteral("Das Startgeld pro Team wurde an einem anderen Platz in \u201E12,00 \u20AC\u201C "
                             "geändert. Soll Ihre Eingabe \u201E17,00 \u20AC\u201C gespeichert werden? Bei "
                             "\u201ENein\u201C bleibt \u201E12,00 \u20AC\u201C."));
    EXPECT_EQ(script->seen.back().defaultAnswer, TMsgAnswer::No);
    EXPECT_EQ(rows(*list()), QStringList{"U10|17,00 €|4|unbegr.|unbeschr."});
}

TEST_F(AgeClassWindow, InputErrorsAreReportedBeforeAnythingIsSent)
{
    open();
    form->Button2Click();
    type(name(), QStringLiteral("U8"));
    type(fee(), QStringLiteral("abc"));
    form->Button2Click();
    form->Entfernen1Click();
    settle();
    EXPECT_EQ(recorder.messages.lines(), (QStringList{"Altersklasse anlegen: Leere Bezeichnung für Altersklasse.",
                                                      "Altersklasse anlegen: Ungültiger Wert für Startgeld.",
                                                      "Altersklasse löschen: Keine Altersklasse ausgewählt."}));
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM age_classes WHERE competition_id = ?", competitionId), 0);
}

TEST_F(AgeClassWindow, ARefusedCreateKeepsWhatWasTyped)
{
    open();
    type(name(), QStringLiteral("U14"));
    type(fee(), QStringLiteral("7,5"));
    client->cms()->removeCompetition(competitionId); // gone meanwhile
    form->Button2Click();
    settle();
    ASSERT_FALSE(recorder.messages.messages.empty());
    EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Altersklasse anlegen"));
    EXPECT_EQ(name()->text(), QStringLiteral("U14"));
    EXPECT_EQ(fee()->text(), QStringLiteral("7,5"));
    EXPECT_TRUE(add()->isEnabled());
}

TEST_F(AgeClassWindow, LeavingUnsavedChangesAsksAndNoKeepsTheRowBeingEdited)
{
    const int u8 = ageClass(QStringLiteral("U8"));
    ageClass(QStringLiteral("U10"));
    open();
    clickRow(*list(), QStringLiteral("U8"));
    EXPECT_EQ(form->getSelected(), u8);
    type(name(), QStringLiteral("U8 neu"));
    EXPECT_TRUE(save()->isEnabled());

    script->expectMessage(QStringLiteral("Altersklassen"), TMsgAnswer::No);
    clickRow(*list(), QStringLiteral("U10"));
    EXPECT_EQ(form->getSelected(), u8);
    EXPECT_EQ(name()->text(), QStringLiteral("U8 neu"));
    const QModelIndexList selected = list()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].data().toString(), QStringLiteral("U8"));

    script->expectMessage(QStringLiteral("Altersklassen"), TMsgAnswer::Yes);
    clickRow(*list(), QStringLiteral("U10"));
    EXPECT_NE(form->getSelected(), u8);
    EXPECT_EQ(name()->text(), QStringLiteral("U10"));
    EXPECT_FALSE(save()->isEnabled());
}

TEST_F(AgeClassWindow, AClassRemovedElsewhereResetsTheEditorAndCopiesOutliveTheReload)
{
    proto::AgeClassInfoType rules;
    rules.MinTeamMembers = 3;
    rules.MaxTeamMembers = 5;
    const int u10 = ageClass(QStringLiteral("U10"), rules);
    open();
    clickRow(*list(), QStringLiteral("U10"));
    EXPECT_EQ(upDown("MinUpDown")->text(), QStringLiteral("3"));
    EXPECT_EQ(upDown("MaxUpDown")->text(), QStringLiteral("5"));

    const std::optional<proto::AgeClassType> copy = form->getAgeClass(u10);
    ASSERT_TRUE(copy);
    client->cms()->removeAgeClass(u10);
    form->reloadFormData(false);
    settle();
    EXPECT_EQ(id(), QStringLiteral("ID: -"));
    EXPECT_EQ(name()->text(), QString());
    EXPECT_EQ(upDown("MinUpDown")->text(), QStringLiteral("unbegrenzt"));
    EXPECT_EQ(form->getSelected(), 0);
    EXPECT_FALSE(form->getAgeClass(u10));
    EXPECT_EQ(copy->Name, QStringLiteral("U10")) << "a copy, not the list's own record";
    EXPECT_EQ(copy->MaxTeamMembers, 5);
}

TEST_F(AgeClassWindow, AClickThatLeavesTheMinimumUnboundedShowsItsHint)
{
    open();
    step(upDown("MinUpDown"), -1);
    EXPECT_EQ(hints.shown, QStringList{"ATHNOLOWUNBOUND"});
    step(upDown("MinUpDown"), 1);
    EXPECT_EQ(hints.shown.size(), 1);
}

TEST_F(AgeClassWindow, TheConflictQuestionAnswersCancelWhenClosedEvenAfterAnEarlierAnswer)
{
    auto* prompt = make<TAgeMismatchPromptForm>(TWindowId::AgeMismatchPromptForm);
    script->expectWindow(QStringLiteral("Altersklassenkonflikt"), [](QWidget& w) {
        EXPECT_FALSE(w.findChild<QPushButton*>(QStringLiteral("Button3"))->isEnabled());
        EXPECT_FALSE(w.findChild<QPushButton*>(QStringLiteral("Button4"))->isEnabled());
        w.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        return 0;
    });
    EXPECT_EQ(prompt->ShowAgeMismatchDialog(false), TAgeMismatchResolution::amr_ignore);

    script->expectWindow(QStringLiteral("Altersklassenkonflikt"), [](QWidget& w) {
        EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("Button3"))->isEnabled());
        w.close(); // the close box
        return 0;
    });
    EXPECT_EQ(prompt->ShowAgeMismatchDialog(true), TAgeMismatchResolution::amr_cancel);

    script->expectWindow(QStringLiteral("Altersklassenkonflikt"), [](QWidget& w) {
        w.findChild<QPushButton*>(QStringLiteral("Button3"))->click();
        return 0;
    });
    EXPECT_EQ(prompt->ShowAgeMismatchDialog(true), TAgeMismatchResolution::amr_ignoreAll);
    script->expectWindow(QStringLiteral("Altersklassenkonflikt"), [](QWidget& w) {
        w.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
        return 0;
    });
    EXPECT_EQ(prompt->ShowAgeMismatchDialog(true), TAgeMismatchResolution::amr_Skip);
}
