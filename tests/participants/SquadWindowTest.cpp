// The squads window and the automatic squad formation window driven offscreen against the
// stand-in: creating and changing squads, teams dragged in with the age-class question, teams
// dropped onto a squad, reordering with Ctrl (also from a sorted list), deleting with the server's
// refusals, the filters, the CSV export, and the formation of the worked example.

#include "core/ui/MainWindowServices.h"
#include "participants/ui/SquadCreateDialog.h"
#include "participants/ui/SquadDialog.h"
#include "participants/ui/TeamDialog.h"
#include "tests/participants/FakeWindows.h"
#include "tests/participants/WindowFixture.h"
#include "tests/support/FakeServer.h"
#include "tests/support/RealDrag.h"

#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTreeView>

using namespace tvp;
using namespace tvp::test;

namespace {

using enum TAgeMismatchResolution;

class SquadWindowTest : public ParticipantWindowTest {
protected:
    void SetUp() override
    {
        ParticipantWindowTest::SetUp();
        windows.place(TWindowId::TeamForm, &teamWindow);
        windows.place(TWindowId::AgeMismatchPromptForm, &prompt);
        u10 = seed->ageClass(competitionId, QStringLiteral("U10"));
        u12 = seed->ageClass(competitionId, QStringLiteral("U12"));
    }

    TSquadForm& open()
    {
        window = make<TSquadForm>(TWindowId::SquadForm);
        window->show();
        settle();
        return *window;
    }
    QTreeView* squads() { return find<QTreeView>(*window, "ListView1"); }
    QTreeView* members() { return find<QTreeView>(*window, "ListView2"); }
    QLineEdit* name() { return find<QLineEdit>(*window, "Edit1"); }
    QComboBox* ageCombo() { return find<QComboBox>(*window, "ComboBox1"); }
    QPushButton* create() { return find<QPushButton>(*window, "Button1"); }
    QPushButton* save() { return find<QPushButton>(*window, "Button2"); }
    // The server's teams with these names, as the team window hands them out.
    std::vector<proto::TeamType> serverTeams(const QStringList& names)
    {
        std::vector<proto::TeamType> out;
        const proto::getTeamsResponse1 all = client->drs()->getTeams(competitionId, 0, nullptr, 0);
        for (const QString& n : names)
            for (const proto::TeamType& t : all)
                if (t.Name == n)
                    out.push_back(t);
        return out;
    }
    int rowOfSquad(int squadId) { return int(column(*squads(), 5).indexOf(QString::number(squadId))); }
    // The user clicks the squad's row.
    void clickSquad(int squadId) { clickRow(*squads(), column(*squads(), 0).at(rowOfSquad(squadId))); }
    // The centre of the row whose first cell reads text.
    static QPoint rowAt(QAbstractItemView& view, const QString& text)
    {
        for (int r = 0; r < view.model()->rowCount(); ++r)
            if (view.model()->index(r, 0).data().toString() == text)
                return view.visualRect(view.model()->index(r, 0)).center();
        ADD_FAILURE() << "no row " << text.toStdString();
        return {};
    }

    FakeTeamWindow teamWindow;
    FakeAgeMismatchPrompt prompt;
    int u10 = 0;
    int u12 = 0;
    TSquadForm* window = nullptr;
};

} // namespace

TEST_F(SquadWindowTest, ANewSquadIsAppendedAndTheNextOneStartsWithTheSameAgeClass)
{
    TSquadForm& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Riegeneinteilung"));
    EXPECT_EQ(find<QLabel>(w, "Label3")->text(), QStringLiteral("anfügen"));
    choose(*ageCombo(), u12);
    typeInto(*name(), QStringLiteral(" Blitz "));
    create()->click();
    settle();

    ASSERT_EQ(column(*squads(), 0), QStringList{QStringLiteral("1")});
    EXPECT_EQ(column(*squads(), 1), QStringList{QStringLiteral("Blitz")});
    EXPECT_EQ(column(*squads(), 2), QStringList{QStringLiteral("U12")});
    EXPECT_EQ(name()->text(), QString()) << "the editor is free for the next squad";
    EXPECT_EQ(ageCombo()->currentText(), QStringLiteral("U12"));
    EXPECT_EQ(find<QLabel>(w, "Label1")->text(), QStringLiteral("ID: -"));
    EXPECT_EQ(find<QSpinBox>(w, "UpDown1")->maximum(), 2);
    EXPECT_TRUE(recorder.messages.messages.empty());
    EXPECT_TRUE(hints.shown.contains(QStringLiteral("SQUADWND~")));

    // "Altersklassen..." shows the age-class window modally and takes its choice.
    FakeAgeClassWindow ageClasses;
    ageClasses.selected = u10;
    windows.place(TWindowId::AgeClassForm, &ageClasses);
    script->expectWindow(QStringLiteral("Altersklassen"), [](QWidget&) { return 0; });
    find<QPushButton>(w, "Button3")->click();
    EXPECT_EQ(ageCombo()->currentText(), QStringLiteral("U10"));
    EXPECT_EQ(w.getCurrentAgeClassId(), u10);
}

TEST_F(SquadWindowTest, AfterAddingASquadThePresetAgeClassAloneIsNoUnsavedChange)
{
    seed->squad(competitionId, 1, QStringLiteral("Donner"), u10);
    TSquadForm& w = open();
    choose(*ageCombo(), u12);
    typeInto(*name(), QStringLiteral("Blitz"));
    create()->click();
    settle();
    ASSERT_EQ(ageCombo()->currentText(), QStringLiteral("U12"));

    // Neither a reload nor a row click asks: the script fails on any question.
    ASSERT_TRUE(w.reloadFormData(true));
    settle();
    clickRow(*squads(), QStringLiteral("1"));
    EXPECT_EQ(name()->text(), QStringLiteral("Donner"));
    EXPECT_TRUE(script->seen.empty());

    // Back on a new squad, another age class chosen by the user is a change.
    w.unload();
    settle();
    choose(*ageCombo(), u10);
    EXPECT_TRUE(w.hasDirtyData(QString()));
}

TEST_F(SquadWindowTest, OtherWindowsShowASquadOrTheSquadsNotYetInADiscipline)
{
    const int sprint = seed->discipline(competitionId, QStringLiteral("Sprint"), u10);
    const int in = seed->squad(competitionId, 1, QStringLiteral("Drin"), u10);
    const int out = seed->squad(competitionId, 2, QStringLiteral("Draußen"), u10);
    seed->squad(competitionId, 3, QStringLiteral("Andere"), u12);
    seed->assignSquad(sprint, in);
    TSquadForm& w = open();
    w.showDisc(sprint, u10);
    settle();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(column(*squads(), 1), QStringList{QStringLiteral("Draußen")});
    EXPECT_EQ(find<QComboBox>(w, "ComboBox3")->currentText(), QStringLiteral("Sprint"));

    // Once the sprint has it too, the list follows.
    seed->assignSquad(sprint, out);
    w.discSquadsUpdated(sprint);
    settle();
    EXPECT_TRUE(column(*squads(), 1).isEmpty());

    w.showSquad(in);
    settle();
    EXPECT_EQ(column(*squads(), 1).size(), 3) << "both filters are off";
    EXPECT_EQ(w.getCurrentSquadId(), in);
    EXPECT_EQ(name()->text(), QStringLiteral("Drin"));
}

TEST_F(SquadWindowTest, DroppedTeamsOfAnotherAgeClassAreAskedAboutAndCancelLeavesTheListAsItWas)
{
    const int own = seed->team(competitionId, QStringLiteral("Eigene"), u10);
    for (const char* n : {"Fremd1", "Fremd2", "Fremd3"})
        seed->team(competitionId, QString::fromLatin1(n), u12);
    const int squad = seed->squad(competitionId, 1, QString(), u10, {own});
    TSquadForm& w = open();
    clickSquad(squad);
    ASSERT_EQ(column(*members(), 0), QStringList{QStringLiteral("Eigene")});

    // Dropped last to first: Fremd3 is asked first.
    teamWindow.teams = serverTeams({QStringLiteral("Fremd1"), QStringLiteral("Fremd2"), QStringLiteral("Fremd3")});
    prompt.answers = {amr_ignore, amr_cancel};
    dropOn(*members(), 0, QStringLiteral("TeamForm"));
    EXPECT_EQ(prompt.askedSeveral, (std::vector<bool>{true, true}));
    EXPECT_EQ(column(*members(), 0), QStringList{QStringLiteral("Eigene")}) << "cancelled: nothing dropped";
    EXPECT_FALSE(w.hasDirtyData(QString()));

    prompt.answers = {amr_Skip, amr_ignoreAll};
    dropOn(*members(), 0, QStringLiteral("TeamForm"));
    EXPECT_EQ(column(*members(), 0),
              (QStringList{QStringLiteral("Fremd1"), QStringLiteral("Fremd2"), QStringLiteral("Eigene")}));
    EXPECT_TRUE(w.isTeamAgeMismatchConfirmed());
    ASSERT_TRUE(save()->isEnabled());
    save()->click();
    settle();
    EXPECT_EQ(seed->squadState(squad).section(u'|', 3), QStringLiteral("%1,%2,%3").arg(own + 1).arg(own + 2).arg(own));
    EXPECT_TRUE(recorder.messages.messages.empty()) << "confirmed on the client, so the server was told";

    // A team already in the squad moves to the drop position without a question.
    clickRow(*members(), QStringLiteral("Eigene"));
    dropOn(*members(), 0, QStringLiteral("SquadForm/ListView2"));
    EXPECT_EQ(column(*members(), 0).front(), QStringLiteral("Eigene"));
}

TEST_F(SquadWindowTest, ClosingTheAgeClassQuestionUndoesTheChoice)
{
    const int own = seed->team(competitionId, QStringLiteral("Eigene"), u10);
    const int squad = seed->squad(competitionId, 1, QString(), u10, {own});
    TSquadForm& w = open();
    clickSquad(squad);

    prompt.answers = {amr_cancel};
    choose(*ageCombo(), u12);
    EXPECT_EQ(prompt.askedSeveral, std::vector<bool>{false});
    EXPECT_EQ(ageCombo()->currentText(), QStringLiteral("U10"));
    EXPECT_EQ(w.getCurrentAgeClassId(), u10);
    EXPECT_FALSE(w.hasDirtyData(QString()));

    prompt.answers = {amr_Skip};
    choose(*ageCombo(), u12);
    EXPECT_EQ(ageCombo()->currentText(), QStringLiteral("U10"));

    prompt.answers = {amr_ignore};
    choose(*ageCombo(), u12);
    EXPECT_EQ(w.getCurrentAgeClassId(), u12);
    EXPECT_TRUE(w.isTeamAgeMismatchConfirmed());
    EXPECT_TRUE(save()->isEnabled());
}

TEST_F(SquadWindowTest, TeamsOfAnotherSquadAreTakenOverWhenTheUserSaysYes)
{
    const int a = seed->team(competitionId, QStringLiteral("A"), u10);
    const int b = seed->team(competitionId, QStringLiteral("B"), u10);
    const int first = seed->squad(competitionId, 1, QString(), u10, {a});
    const int second = seed->squad(competitionId, 2, QString(), u10, {b});
    open();
    clickSquad(second);
    teamWindow.teams = serverTeams({QStringLiteral("A")});
    dropOn(*members(), -1, QStringLiteral("TeamForm"));
    ASSERT_EQ(column(*members(), 0), (QStringList{QStringLiteral("B"), QStringLiteral("A")}));

    recorder.confirmation.expect({.confirmed = true});
    save()->click();
    settle();
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Riege ändern"));
    EXPECT_TRUE(recorder.confirmation.asked[0].text.startsWith(QStringLiteral("Mindestens eines dieser Teams")));
    EXPECT_EQ(seed->squadState(second).section(u'|', 3), QStringLiteral("%1,%2").arg(b).arg(a));
    EXPECT_EQ(seed->squadState(first).section(u'|', 3), QString());
    EXPECT_EQ(column(*squads(), 3), (QStringList{QStringLiteral("0"), QStringLiteral("2")}));
}

TEST_F(SquadWindowTest, TeamsDroppedOntoASquadRowJoinItsTeams)
{
    const int a = seed->team(competitionId, QStringLiteral("A"), u10);
    const int b = seed->team(competitionId, QStringLiteral("B"), u10);
    const int squad = seed->squad(competitionId, 4, QStringLiteral("Blitz"), u10, {a});
    open();
    teamWindow.teams = serverTeams({QStringLiteral("B")});
    ASSERT_TRUE(dropOn(*squads(), rowOfSquad(squad), QStringLiteral("TeamForm")));
    settle();
    EXPECT_EQ(seed->squadState(squad), QStringLiteral("4|Blitz|%1|%2,%3").arg(u10).arg(a).arg(b));
    EXPECT_EQ(column(*squads(), 3), QStringList{QStringLiteral("2")});
}

TEST_F(SquadWindowTest, AfterADropOrAReorderTheEditorShowsTheServersSquadAndKeepsWhatWasTyped)
{
    const int blitz = seed->team(competitionId, QStringLiteral("Blitz"), u10);
    const int donner = seed->team(competitionId, QStringLiteral("Donner"), u10);
    const int adler = seed->squad(competitionId, 1, QStringLiteral("Adler"), u10, {blitz, donner});
    const int falken = seed->squad(competitionId, 2, QStringLiteral("Falken"), u10);
    TSquadForm& w = open();
    clickSquad(adler);
    ASSERT_EQ(column(*members(), 0), (QStringList{"Blitz", "Donner"}));

    // Donner dragged from Adler's teams onto Falken, taken over on "Ja".
    clickRow(*members(), QStringLiteral("Donner"));
    RealDrag toFalken;
    ASSERT_TRUE(toFalken.start(*members()->viewport(), rowAt(*members(), QStringLiteral("Donner"))));
    recorder.confirmation.expect({.confirmed = true});
    ASSERT_TRUE(toFalken.dropOn(*squads()->viewport(), rowAt(*squads(), QStringLiteral("2"))));
    settle();
    ASSERT_EQ(seed->squadState(falken), QStringLiteral("2|Falken|%1|%2").arg(u10).arg(donner));
    EXPECT_EQ(column(*members(), 0), QStringList{"Blitz"}) << "Adler's editor shows what the server holds";
    EXPECT_FALSE(w.hasDirtyData(QString()));
    EXPECT_FALSE(save()->isEnabled());

    // Falken's editor with a name typed; Falken moved before Adler with Ctrl: the order comes from
    // the server, the typed name stays, and saving sends both.
    clickSquad(falken); // no question: the script fails on any
    typeInto(*name(), QStringLiteral("Falken Nord"));
    RealDrag reorder;
    ASSERT_TRUE(reorder.start(*squads()->viewport(), rowAt(*squads(), QStringLiteral("2"))));
    ASSERT_TRUE(reorder.dropOn(*squads()->viewport(), rowAt(*squads(), QStringLiteral("1")), Qt::ControlModifier));
    settle();
    ASSERT_EQ(seed->squadState(adler).section(u'|', 0, 0), QStringLiteral("2"));
    EXPECT_EQ(find<QSpinBox>(w, "UpDown1")->value(), 1);
    EXPECT_EQ(name()->text(), QStringLiteral("Falken Nord"));
    ASSERT_TRUE(save()->isEnabled());
    save()->click();
    settle();
    EXPECT_EQ(seed->squadState(falken), QStringLiteral("1|Falken Nord|%1|%2").arg(u10).arg(donner));
    EXPECT_EQ(seed->squadState(adler), QStringLiteral("2|Adler|%1|%2").arg(u10).arg(blitz));

    // A new squad being typed keeps its name when a team from the team window is dropped onto
    // another squad's row.
    find<QAction>(w, "NeueRiege1")->trigger();
    typeInto(*name(), QStringLiteral("Sturm"));
    TTeamForm* teams = make<TTeamForm>(TWindowId::TeamForm);
    teams->show();
    settle();
    auto* teamList = find<QTreeView>(*teams, "ListView1");
    clickRow(*teamList, QStringLiteral("Blitz"));
    RealDrag fromTeams;
    ASSERT_TRUE(fromTeams.start(*teamList->viewport(), rowAt(*teamList, QStringLiteral("Blitz"))));
    recorder.confirmation.expect({.confirmed = true});
    ASSERT_TRUE(fromTeams.dropOn(*squads()->viewport(), rowAt(*squads(), QStringLiteral("1"))));
    settle();
    EXPECT_EQ(seed->squadState(falken).section(u'|', 3), QStringLiteral("%1,%2").arg(donner).arg(blitz));
    EXPECT_EQ(name()->text(), QStringLiteral("Sturm"));
    EXPECT_EQ(w.getCurrentSquadId(), 0);
    EXPECT_TRUE(recorder.messages.messages.empty());
}

// Blanks around a stored name are no edit; a name typed keeps the team another desk added meanwhile.
TEST_F(SquadWindowTest, ANameTypedIsSavedWithoutUndoingATeamAnotherDeskAdded)
{
    const int a = seed->team(competitionId, QStringLiteral("Adler"), u10);
    const int b = seed->team(competitionId, QStringLiteral("Biber"), u10);
    const int blitz = seed->squad(competitionId, 1, QStringLiteral(" Blitz "), u10, {a});
    TSquadForm& w = open();
    clickSquad(blitz);
    EXPECT_FALSE(w.hasDirtyData(QString()));
    typeInto(*name(), QStringLiteral("Blitz Nord"));
    proto::SquadInfoDataType other;
    other.OrderIndex = 1;
    other.CustomName = QStringLiteral(" Blitz ");
    client->das()->modifySquad(blitz, other, u10, {a, b}, false, false, false, false, false);
    QTest::mouseClick(save(), Qt::LeftButton);
    settle();
    EXPECT_EQ(seed->squadState(blitz), QStringLiteral("1|Blitz Nord|%1|%2,%3").arg(u10).arg(a).arg(b));
}

// The squad's name changed here and at another desk: the save asks; "Nein" takes the other desk's.
// Another desk renames the squad while this desk's save waits for the server: the save asks, with
// "Nein" under Enter, which keeps the other desk's name and leaves the typed one unsaved.
TEST_F(SquadWindowTest, ANameChangedAtAnotherDeskTooIsAskedAbout)
{
    const int a = seed->team(competitionId, QStringLiteral("Adler"), u10);
    const int blitz = seed->squad(competitionId, 1, QStringLiteral("Blitz"), u10, {a});
    open();
    clickSquad(blitz);
    typeInto(*name(), QStringLiteral("Blitz Nord"));
    StandinClient other(standin.port());
    other.begin(false);
    other.das()->modifySquad(blitz, proto::SquadInfoDataType{.OrderIndex = 1, .CustomName = QStringLiteral("Donner")},
                             u10, {a}, false, false, false, false, false);
    script->expectMessage(QStringLiteral("Riegedaten ändern"), TMsgAnswer::No);
    QTest::mouseClick(save(), Qt::LeftButton);
    EXPECT_TRUE(standin.waitingComesTo(1)) << "the save waits for the other desk";
    other.commit();
    settle();
    ASSERT_FALSE(script->seen.empty());
    EXPECT_TRUE(script->seen.back().text.contains(QStringLiteral("\u201EDonner\u201C")))
        << script->seen.back().text.toStdString();
    EXPECT_EQ(script->seen.back().defaultAnswer, TMsgAnswer::No);
    EXPECT_EQ(seed->squadState(blitz), QStringLiteral("1|Donner|%1|%2").arg(u10).arg(a));
    EXPECT_EQ(name()->text(), QStringLiteral("Blitz Nord"));
    EXPECT_TRUE(window->hasOverallDirtyData());
}

// A team and a squad renamed at another desk while this desk renames both: the two saves' questions
// are up at once, each beside its own window, and are answered in either order; an answer given
// after its window was unloaded changes nothing.
TEST_F(SquadWindowTest, NameQuestionsOfTwoSavesAreUpAtOnceAndAnsweredInEitherOrder)
{
    const int adler = seed->team(competitionId, QStringLiteral("Adler"), u10);
    const int blitz = seed->squad(competitionId, 1, QStringLiteral("Blitz"), u10, {adler});
    TTeamForm teams(context);
    teams.show();
    settle();
    open();
    clickRow(*find<QTreeView>(teams, "ListView1"), QStringLiteral("Adler"));
    clickSquad(blitz);
    auto teamName = [&] {
        standin::Statement q = seed->db().query("SELECT name FROM teams WHERE id = ?", adler);
        return q.next() ? q.textAt(0) : QString();
    };
    const QString teamCaption = QStringLiteral("Teamdaten ändern");
    const QString squadCaption = QStringLiteral("Riegedaten ändern");
    // Both renamed elsewhere, then both saved here; each question waits while the other comes.
    auto bothAsked = [&](const QString& otherTeam, const QString& otherSquad, const QString& team,
                         const QString& squad) {
        client->das()->modifyTeam(adler, proto::TeamInfoDataType{.Name = otherTeam}, u10, false, true, 0);
        client->das()->modifySquad(blitz, proto::SquadInfoDataType{.OrderIndex = 1, .CustomName = otherSquad}, u10,
                                   {adler}, false, false, false, false, false);
        script->expectHeld(teamCaption);
        typeInto(*find<QLineEdit>(teams, "NameEdit"), team);
        QTest::mouseClick(find<QPushButton>(teams, "Button1"), Qt::LeftButton);
        settle();
        script->expectHeld(squadCaption);
        typeInto(*name(), squad);
        QTest::mouseClick(save(), Qt::LeftButton);
        settle();
        ASSERT_EQ(script->held.size(), 2u);
        EXPECT_EQ(script->seen.back().defaultAnswer, TMsgAnswer::No);
    };

    ASSERT_NO_FATAL_FAILURE(bothAsked(QStringLiteral("Bussarde"), QStringLiteral("Donner"), QStringLiteral("Falken"),
                                      QStringLiteral("Sturm")));
    ASSERT_TRUE(script->answer(squadCaption, TMsgAnswer::Yes)); // the later one first
    settle();
    ASSERT_TRUE(script->answer(teamCaption, TMsgAnswer::No));
    settle();
    EXPECT_EQ(seed->squadState(blitz), QStringLiteral("1|Sturm|%1|%2").arg(u10).arg(adler));
    EXPECT_EQ(teamName(), QStringLiteral("Bussarde"));
    EXPECT_EQ(find<QLineEdit>(teams, "NameEdit")->text(), QStringLiteral("Falken")) << "kept typed, unsaved";

    ASSERT_NO_FATAL_FAILURE(
        bothAsked(QStringLiteral("Geier"), QStringLiteral("Hagel"), QStringLiteral("Milane"), QStringLiteral("Regen")));
    ASSERT_TRUE(script->answer(teamCaption, TMsgAnswer::No));
    settle();
    window->unloadData(); // a change of competition, say
    ASSERT_TRUE(script->answer(squadCaption, TMsgAnswer::Yes));
    settle();
    EXPECT_EQ(teamName(), QStringLiteral("Geier"));
    EXPECT_EQ(seed->squadState(blitz), QStringLiteral("1|Hagel|%1|%2").arg(u10).arg(adler))
        << "answered after its window was unloaded";
    EXPECT_TRUE(script->allAnswered());
}

TEST_F(SquadWindowTest, ReorderingFromAListSortedByNameMovesTheSquadsByTheirOrder)
{
    std::vector<int> s;
    for (const char* n : {"E", "D", "C", "B", "A"})
        s.push_back(seed->squad(competitionId, int(s.size()) + 1, QString::fromLatin1(n), u10));
    open();
    // Sorted by own name: A (5), B (4), C (3), D (2), E (1).
    emit squads()->header()->sectionClicked(1);
    ASSERT_EQ(column(*squads(), 1), (QStringList{"A", "B", "C", "D", "E"}));

    // Squad 2 (D) dragged with Ctrl onto squad 4 (B).
    clickRow(*squads(), QStringLiteral("2"));
    ASSERT_TRUE(dropOn(*squads(), 1, QStringLiteral("SquadForm"), true));
    settle();
    std::vector<std::pair<int, QString>> byIndex;
    for (int id : s)
        byIndex.emplace_back(seed->squadState(id).section(u'|', 0, 0).toInt(),
                             seed->squadState(id).section(u'|', 1, 1));
    std::sort(byIndex.begin(), byIndex.end());
    QStringList order;
    for (const auto& [index, own] : byIndex)
        order << own;
    EXPECT_EQ(order, (QStringList{"E", "C", "D", "B", "A"})) << "D now stands before B";
    EXPECT_TRUE(recorder.messages.messages.empty());

    // Without Ctrl a squad is no drop for another squad.
    EXPECT_FALSE(dropOn(*squads(), 0, QStringLiteral("SquadForm")));
}

TEST_F(SquadWindowTest, DeletingThreeSquadsWhereTheSecondIsDeclinedStillDeletesTheThird)
{
    const int sprint = seed->discipline(competitionId, QStringLiteral("Sprint"), u10);
    std::vector<int> s;
    for (int i = 1; i <= 3; ++i) {
        s.push_back(seed->squad(competitionId, i, QString(), u10));
        seed->assignSquad(sprint, s.back());
    }
    open();
    clickRow(*squads(), QStringLiteral("1"));
    clickRow(*squads(), QStringLiteral("2"), true);
    clickRow(*squads(), QStringLiteral("3"), true);
    script->expectMessage(QStringLiteral("Riege löschen"), TMsgAnswer::Yes);
    recorder.confirmation.expect({.confirmed = true});
    recorder.confirmation.expect({.confirmed = false});
    recorder.confirmation.expect({.confirmed = true});
    find<QAction>(*window, "Entfernen1")->trigger();
    settle();
    ASSERT_EQ(recorder.confirmation.asked.size(), 3u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Riege löschen"));
    EXPECT_EQ(recorder.confirmation.asked[0].text,
              QStringLiteral("Riege ist bereits einer Disziplin zugeordnet. Trotzdem löschen?"));
    EXPECT_EQ(seed->squadState(s[0]), QStringLiteral("gone"));
    EXPECT_NE(seed->squadState(s[1]), QStringLiteral("gone"));
    EXPECT_EQ(seed->squadState(s[2]), QStringLiteral("gone"));
    EXPECT_EQ(column(*squads(), 0), QStringList{QStringLiteral("2")});
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(SquadWindowTest, FiltersDuplicateNamesAndTheExport)
{
    const int sprint = seed->discipline(competitionId, QStringLiteral("Sprint"), u10);
    const int a = seed->squad(competitionId, 1, QStringLiteral("Blitz"), u10);
    seed->squad(competitionId, 2, QStringLiteral("Blitz"), u12);
    seed->squad(competitionId, 3, QStringLiteral("Donner"), u10);
    seed->assignSquad(sprint, a);
    TSquadForm& w = open();
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_TRUE(recorder.messages.messages[0].warning);
    EXPECT_EQ(recorder.messages.lines().front(),
              QStringLiteral("Riegen laden: Warnung: Riege 1 und Riege 2 haben den gleichen "
                             "Eigennamen \"Blitz\". Dies kann zu Verwechslungen der Riegen "
                             "führen."));

    choose(*find<QComboBox>(w, "ComboBox2"), u10);
    settle();
    EXPECT_EQ(column(*squads(), 0), (QStringList{"1", "3"}));
    choose(*find<QComboBox>(w, "ComboBox3"), sprint);
    settle();
    EXPECT_EQ(column(*squads(), 0), QStringList{"3"}) << "not yet in the sprint";

    const QString file = standin.folder() + QStringLiteral("/riegen.csv");
    script->expectFile(QStringLiteral("csv-Datei speichern"), file);
    find<QAction>(w, "Alscsv1")->trigger();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QStringLiteral("Riege;Eigenname;Altersklasse;#Teams;#Athleten;ID\r\n3;Donner;U10;0;0;%1\r\n")
                               .arg(a + 2)
                               .toLatin1());
}

// Two squads of the same own name are told of once, not again at each opening or load; a pair that
// comes anew (another desk names a third squad so) is told when it comes, and all again once the
// competition is opened anew.
TEST_F(SquadWindowTest, TheSameOwnNameIsToldOnceAndANewPairWhenItComes)
{
    seed->squad(competitionId, 1, QStringLiteral("Blitz"), u10);
    seed->squad(competitionId, 2, QStringLiteral("Blitz"), u10);
    const int third = seed->squad(competitionId, 3, QStringLiteral("Donner"), u10);
    TSquadForm& w = open();
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    w.close();
    w.show();
    settle();
    w.reloadFormData(false);
    settle();
    EXPECT_EQ(recorder.messages.messages.size(), 1u) << recorder.messages.lines().join(u'\n').toStdString();

    seed->db().query("UPDATE squads SET custom_name = 'Blitz' WHERE id = ?", third).run();
    w.reloadFormData(false);
    settle();
    const QStringList told = recorder.messages.lines();
    ASSERT_EQ(told.size(), 3);
    EXPECT_TRUE(told[1].contains(u"Riege 3") && told[2].contains(u"Riege 3")) << told.join(u'\n').toStdString();

    w.unload();
    settle();
    EXPECT_EQ(recorder.messages.messages.size(), 6u);
}

TEST_F(SquadWindowTest, MarkedSquadsGoToEveryDisciplineOfTheirAgeClassThatLacksThem)
{
    FakeServerInstall fake;
    proto::DisciplinType sprint, jump;
    sprint.DisciplinID = 51;
    sprint.AgeClassID = 1;
    jump.DisciplinID = 52;
    jump.AgeClassID = 2;
    proto::SquadType s1, s2;
    s1.SquadID = 31;
    s1.OrderIndex = 1;
    s1.AgeClass.ensure().AgeClassID = 1;
    s2.SquadID = 32;
    s2.OrderIndex = 2;
    s2.AgeClass.ensure().AgeClassID = 2;
    fake->acceptTransactions();
    fake->answer<proto::op::getDisciplines>(proto::getDisciplinesResponse1{sprint, jump});
    proto::AgeClassType ac1, ac2;
    ac1.AgeClassID = 1;
    ac2.AgeClassID = 2;
    fake->answer<proto::op::getAgeClasses>(proto::getAgeClassesResponse1{ac1, ac2});
    fake->on<proto::op::getSquads>([&](const proto::op::getSquads& a) {
        proto::getSquadsResponse r;
        // The jump has squad 32 already; the sprint has none of them.
        if (a.DisciplinID != 52)
            r.Squads = {s1, s2};
        return r;
    });
    fake->answer<proto::op::assignSquadsToDisc>();
    open();
    clickRow(*squads(), QStringLiteral("1"));
    clickRow(*squads(), QStringLiteral("2"), true);
    fake->clearRequests();
    find<QAction>(*window, "MarkiertenRiegenDisziplinennachAltersklassenzuordnen1")->trigger();
    EXPECT_TRUE(recorder.waits.shown.contains(QStringLiteral("Riegen werden zugeordnet...")));
    settle();
    const auto calls = fake->callsOf<proto::op::assignSquadsToDisc>();
    ASSERT_EQ(calls.size(), 1u) << "squad 32 is in the jump already, and squad 31 has another age class";
    EXPECT_EQ(calls[0].DisciplinID, 51);
    EXPECT_EQ(calls[0].SquadIDs, std::vector<int>{31});
    EXPECT_EQ(calls[0].Assignment, proto::AssignmentType::ASSIGN);
    EXPECT_FALSE(recorder.waits.shown.contains(QStringLiteral("Riegen werden zugeordnet...")));
    const auto sent = fake->requests();
    EXPECT_EQ(sent.front().operation, "beginTransaction");
}

TEST_F(SquadWindowTest, TheFormationWindowFormsTheWorkedExampleAndSendsItInOneTransaction)
{
    for (const auto& [n, size] : std::vector<std::pair<QString, int>>{
             {"G2", 2}, {"A6", 6}, {"C5", 5}, {"B5", 5}, {"E4", 4}, {"D4", 4}, {"F3", 3}})
        seed->members(competitionId, seed->team(competitionId, n, u10), size);
    open();
    TSquadCreateForm* creator = make<TSquadCreateForm>(TWindowId::SquadCreateForm);
    EXPECT_EQ(find<QSpinBox>(*creator, "UpDown1")->text(), QStringLiteral("2"));
    EXPECT_EQ(find<QSpinBox>(*creator, "UpDown2")->text(), QStringLiteral("unbegrenzt"));
    creator->show();
    settle();
    find<QSpinBox>(*creator, "UpDown1")->setValue(3);
    EXPECT_EQ(find<QSpinBox>(*creator, "UpDown2")->text(), QStringLiteral("unbegrenzt"));
    EXPECT_EQ(find<QSpinBox>(*creator, "UpDown2")->minimum(), 2) << "the first maximum to choose is the target";

    const QTreeView* preview = find<QTreeView>(*creator, "ListView1");
    ASSERT_EQ(preview->model()->rowCount(), 2);
    EXPECT_EQ(column(*preview, 3), (QStringList{"17", "12"}));
    EXPECT_EQ(column(*preview, 4).front().left(3), QStringLiteral("D4("));
    EXPECT_EQ(find<QLabel>(*creator, "Label4")->text(), QStringLiteral("Maximale Riegengröße: 17"));

    // A maximum of 3: the fifth team cannot join a full squad and forms a third one with others.
    find<QSpinBox>(*creator, "UpDown2")->setValue(3);
    EXPECT_EQ(preview->model()->rowCount(), 3);
    find<QSpinBox>(*creator, "UpDown2")->setValue(2);
    EXPECT_EQ(find<QSpinBox>(*creator, "UpDown2")->text(), QStringLiteral("unbegrenzt"));
    EXPECT_EQ(column(*preview, 3), (QStringList{"17", "12"}));

    find<QPushButton>(*creator, "Button1")->click();
    EXPECT_FALSE(creator->isVisible());
    settle();
    const QStringList sizes = column(*squads(), 4);
    EXPECT_EQ(sizes, (QStringList{"17", "12"})) << "the squads window reloaded";
    EXPECT_EQ(column(*squads(), 3), (QStringList{"4", "3"}));
    EXPECT_TRUE(recorder.messages.messages.empty());
}
