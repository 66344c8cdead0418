// Drags between the real participant windows, started by the mouse on the source list: athletes
// onto a team, teams onto a club, a squad and the squad editor, squads reordered with Ctrl, and
// the club list as a drag source.

#include "participants/ui/AthleteDialog.h"
#include "participants/ui/ClubDialog.h"
#include "participants/ui/SquadDialog.h"
#include "participants/ui/TeamDialog.h"
#include "tests/participants/FakeWindows.h"
#include "tests/participants/WindowFixture.h"
#include "tests/support/RealDrag.h"

#include <QTreeView>

using namespace tvp;
using namespace tvp::test;

namespace {

class WindowDrags : public ParticipantWindowTest {
protected:
    void SetUp() override
    {
        ParticipantWindowTest::SetUp();
        windows.place(TWindowId::BillingDocSetupForm, &billingSetup);
        windows.place(TWindowId::AgeMismatchPromptForm, &prompt);
        make<FakeSearchForm>(TWindowId::SearchForm);
        u10 = seed->ageClass(competitionId, QStringLiteral("U10"));
        adler = seed->team(competitionId, QStringLiteral("Adler"), u10);
        berg = seed->team(competitionId, QStringLiteral("Berg"), u10);
        club = seed->club(competitionId, QStringLiteral("TSV"));
        anna = seed->athlete(competitionId, QStringLiteral("Anna"), QStringLiteral("Ast"));
        ben = seed->athlete(competitionId, QStringLiteral("Ben"), QStringLiteral("Baum"));
        athletes = make<TAthleteForm>(TWindowId::AthleteForm);
        teams = make<TTeamForm>(TWindowId::TeamForm);
        clubs = make<TClubForm>(TWindowId::ClubForm);
        squads = make<TSquadForm>(TWindowId::SquadForm);
    }

    void open(QWidget& window)
    {
        window.show();
        settle();
    }
    static QTreeView* list(QWidget& window, const char* name = "ListView1") { return find<QTreeView>(window, name); }
    // The centre of the row whose cell in column reads text.
    static QPoint rowAt(QAbstractItemView& view, const QString& text, int col = 0)
    {
        const QAbstractItemModel* m = view.model();
        for (int r = 0; r < m->rowCount(); ++r)
            if (m->index(r, col).data().toString() == text)
                return view.visualRect(m->index(r, 0)).center();
        ADD_FAILURE() << "no row " << text.toStdString();
        return {};
    }
    int teamOf(int athlete) { return seed->column("team_id", athlete).toInt(); }

    FakeBillingSetup billingSetup;
    FakeAgeMismatchPrompt prompt;
    int u10 = 0, adler = 0, berg = 0, club = 0, anna = 0, ben = 0;
    TAthleteForm* athletes = nullptr;
    TTeamForm* teams = nullptr;
    TClubForm* clubs = nullptr;
    TSquadForm* squads = nullptr;
};

} // namespace

TEST_F(WindowDrags, AthletesDraggedFromTheAthleteListJoinTheTeamUnderTheCursor)
{
    open(*athletes);
    open(*teams);
    QTreeView* from = list(*athletes);
    clickRow(*from, QStringLiteral("Anna"));
    clickRow(*from, QStringLiteral("Ben"), true);

    RealDrag drag;
    ASSERT_TRUE(drag.start(*from->viewport(), rowAt(*from, QStringLiteral("Ben"))));
    EXPECT_EQ(windowDragSource(drag.mimeData()), QStringLiteral("AthleteForm"));
    script->expectMessage(QStringLiteral("Athleten Team zuweisen"), TMsgAnswer::Yes);
    ASSERT_TRUE(drag.dropOn(*list(*teams)->viewport(), rowAt(*list(*teams), QStringLiteral("Berg"))));
    settle();
    EXPECT_EQ(teamOf(anna), berg);
    EXPECT_EQ(teamOf(ben), berg);

    // The athlete list takes no drops of its own rows onto the team list's empty space.
    RealDrag again;
    ASSERT_TRUE(again.start(*from->viewport(), rowAt(*from, QStringLiteral("Anna"))));
    EXPECT_FALSE(again.dropOn(*list(*teams)->viewport(), QPoint(3, list(*teams)->viewport()->height() - 3)));
}

TEST_F(WindowDrags, TeamsDraggedFromTheTeamListGoToAClubAndASquad)
{
    const int squad = seed->squad(competitionId, 1, QStringLiteral("Blitz"), u10, {adler});
    open(*teams);
    open(*clubs);
    open(*squads);
    QTreeView* from = list(*teams);
    clickRow(*from, QStringLiteral("Berg"));

    RealDrag toClub;
    ASSERT_TRUE(toClub.start(*from->viewport(), rowAt(*from, QStringLiteral("Berg"))));
    EXPECT_EQ(windowDragSource(toClub.mimeData()), QStringLiteral("TeamForm"));
    script->expectMessage(QStringLiteral("Teams Verein/Organisation zuweisen"), TMsgAnswer::Yes);
    ASSERT_TRUE(toClub.dropOn(*list(*clubs)->viewport(), rowAt(*list(*clubs), QStringLiteral("TSV"))));
    settle();
    EXPECT_EQ(seed->value("SELECT billing_club_id FROM teams WHERE id = ?", berg), club);
    EXPECT_EQ(find<QComboBox>(*teams, "ClubCombo")->currentText(), QStringLiteral("TSV"))
        << "the team window shows the club, not an unsaved change";

    RealDrag toSquad;
    ASSERT_TRUE(toSquad.start(*from->viewport(), rowAt(*from, QStringLiteral("Berg"))));
    ASSERT_TRUE(toSquad.dropOn(*list(*squads)->viewport(), rowAt(*list(*squads), QStringLiteral("Blitz"), 1)));
    settle();
    EXPECT_EQ(seed->squadState(squad), QStringLiteral("1|Blitz|%1|%2,%3").arg(u10).arg(adler).arg(berg));
}

TEST_F(WindowDrags, TeamsDraggedIntoTheSquadEditorAndWithinIt)
{
    open(*teams);
    open(*squads);
    QTreeView* editor = list(*squads, "ListView2");
    QTreeView* from = list(*teams);
    clickRow(*from, QStringLiteral("Adler"));
    clickRow(*from, QStringLiteral("Berg"), true);
    RealDrag in;
    ASSERT_TRUE(in.start(*from->viewport(), rowAt(*from, QStringLiteral("Adler"))));
    ASSERT_TRUE(in.dropOn(*editor->viewport(), QPoint(3, editor->viewport()->height() - 3)));
    ASSERT_EQ(column(*editor, 0), (QStringList{"Adler", "Berg"}));

    // Berg dragged onto Adler's row moves before it; the editor's own drag names its list.
    clickRow(*editor, QStringLiteral("Berg"));
    RealDrag within;
    ASSERT_TRUE(within.start(*editor->viewport(), rowAt(*editor, QStringLiteral("Berg"))));
    EXPECT_EQ(windowDragSource(within.mimeData()), QStringLiteral("SquadForm/ListView2"));
    ASSERT_TRUE(within.dropOn(*editor->viewport(), rowAt(*editor, QStringLiteral("Adler"))));
    EXPECT_EQ(column(*editor, 0), (QStringList{"Berg", "Adler"}));
}

TEST_F(WindowDrags, SquadsDraggedWithCtrlAreReorderedAndWithoutCtrlRefused)
{
    const int blitz = seed->squad(competitionId, 1, QStringLiteral("Blitz"), u10);
    const int donner = seed->squad(competitionId, 2, QStringLiteral("Donner"), u10);
    const int sturm = seed->squad(competitionId, 3, QStringLiteral("Sturm"), u10);
    open(*squads);
    QTreeView* view = list(*squads);
    clickRow(*view, QStringLiteral("3"));

    RealDrag plain;
    ASSERT_TRUE(plain.start(*view->viewport(), rowAt(*view, QStringLiteral("3"))));
    EXPECT_EQ(windowDragSource(plain.mimeData()), QStringLiteral("SquadForm"));
    EXPECT_FALSE(plain.dropOn(*view->viewport(), rowAt(*view, QStringLiteral("1"))));

    RealDrag ctrl;
    ASSERT_TRUE(ctrl.start(*view->viewport(), rowAt(*view, QStringLiteral("3"))));
    ASSERT_TRUE(ctrl.dropOn(*view->viewport(), rowAt(*view, QStringLiteral("1")), Qt::ControlModifier));
    settle();
    EXPECT_EQ(seed->squadState(sturm).section(u'|', 0, 0), QStringLiteral("1"));
    EXPECT_EQ(seed->squadState(blitz).section(u'|', 0, 0), QStringLiteral("2"));
    EXPECT_EQ(seed->squadState(donner).section(u'|', 0, 0), QStringLiteral("3"));
}

TEST_F(WindowDrags, TheClubListStartsADragNamingTheClubWindow)
{
    open(*clubs);
    QTreeView* view = list(*clubs);
    clickRow(*view, QStringLiteral("TSV"));
    RealDrag drag;
    ASSERT_TRUE(drag.start(*view->viewport(), rowAt(*view, QStringLiteral("TSV"))));
    EXPECT_EQ(windowDragSource(drag.mimeData()), QStringLiteral("ClubForm"));
}

TEST_F(WindowDrags, ATeamGivenByDragStaysWhenTheAthleteWindowSavesWhatWasTypedBefore)
{
    const int zyklon = seed->team(competitionId, QStringLiteral("Zyklon"), u10);
    const int xaver = seed->athlete(competitionId, QStringLiteral("Xaver"), QStringLiteral("Zeller"));
    open(*athletes);
    open(*teams);
    QTreeView* from = list(*athletes);
    clickRow(*from, QStringLiteral("Xaver"));
    typeInto(*find<QLineEdit>(*athletes, "EditYear"), QStringLiteral("2015"));

    RealDrag drag;
    ASSERT_TRUE(drag.start(*from->viewport(), rowAt(*from, QStringLiteral("Xaver"))));
    script->expectMessage(QStringLiteral("Athleten Team zuweisen"), TMsgAnswer::Yes);
    script->expectMessage(QStringLiteral("Athleten"), TMsgAnswer::No); // keeps the typed year, not reloaded
    ASSERT_TRUE(drag.dropOn(*list(*teams)->viewport(), rowAt(*list(*teams), QStringLiteral("Zyklon"))));
    settle();
    ASSERT_EQ(teamOf(xaver), zyklon);

    QTest::mouseClick(find<QPushButton>(*athletes, "Button1"), Qt::LeftButton);
    settle();
    EXPECT_EQ(teamOf(xaver), zyklon) << "the team the other window gave stays";
    EXPECT_EQ(seed->value("SELECT year_of_birth FROM athletes WHERE id = ?", xaver), 2015);
    EXPECT_EQ(find<QComboBox>(*athletes, "ComboBoxTeam")->currentData().toInt(), zyklon);
}
