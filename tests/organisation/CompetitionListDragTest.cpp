// The competition lists take drags started with the mouse in the real participant windows and in
// their own tree: athletes, teams and squads, and moves within the tree.

#include "participants/ui/AthleteDialog.h"
#include "participants/ui/SquadDialog.h"
#include "participants/ui/TeamDialog.h"
#include "tests/organisation/DisciplinListFixture.h"
#include "tests/support/RealDrag.h"

using namespace tvp;
using namespace tvp::test;

namespace {

class CompetitionListDrags : public DisciplinListTest {
protected:
    void SetUp() override
    {
        DisciplinListTest::SetUp();
        realAthletes = place<TAthleteForm>(TWindowId::AthleteForm);
        realTeams = place<TTeamForm>(TWindowId::TeamForm);
        realSquads = place<TSquadForm>(TWindowId::SquadForm);
    }
    void TearDown() override
    {
        ASSERT_TRUE(settled());
        realSquads.reset();
        realTeams.reset();
        realAthletes.reset();
        DisciplinListTest::TearDown();
    }

    template <class Window>
    std::unique_ptr<Window> place(TWindowId id)
    {
        auto window = std::make_unique<Window>(context);
        window->setObjectName(QString::fromLatin1(windowRow(id).objectName));
        windows.place(id, window.get());
        return window;
    }
    void show(QWidget& window)
    {
        window.show();
        ASSERT_TRUE(settled());
    }
    static QTreeView* list(QWidget& window) { return window.findChild<QTreeView*>(QStringLiteral("ListView1")); }
    // Selects the rows whose cell in col reads one of texts, as clicks with Ctrl; the centre of the
    // first of them.
    static QPoint selectRows(QTreeView& view, const QStringList& texts, int col = 0)
    {
        view.clearSelection();
        QPoint first;
        for (const QString& text : texts) {
            const QAbstractItemModel* m = view.model();
            for (int r = 0; r < m->rowCount(); ++r) {
                if (m->index(r, col).data().toString() != text)
                    continue;
                const QPoint at = view.visualRect(m->index(r, 0)).center();
                QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, at);
                if (first.isNull())
                    first = at;
            }
        }
        return first;
    }
    QPoint nodeAt(const QModelIndex& node) const { return treeView()->visualRect(node).center(); }

    std::unique_ptr<TAthleteForm> realAthletes;
    std::unique_ptr<TTeamForm> realTeams;
    std::unique_ptr<TSquadForm> realSquads;
};

} // namespace

TEST_F(CompetitionListDrags, AthletesFromTheAthleteWindowAndNodesOfTheTreeAreMovedByTheMouse)
{
    open(sprint);
    show(*realAthletes);
    treeView()->expandAll();
    QTreeView* athletes = list(*realAthletes);
    const QPoint from = selectRows(*athletes, {QStringLiteral("Fee2"), QStringLiteral("Fee3")});

    RealDrag in;
    ASSERT_TRUE(in.start(*athletes->viewport(), from));
    ASSERT_TRUE(in.dropOn(*treeView()->viewport(), nodeAt(tree().heatNode(2))));
    ASSERT_TRUE(settled());
    EXPECT_EQ(heats()[2], (QStringList{QStringLiteral("Eule, Eva0 (Eulen)"), QStringLiteral("Rot, Fee2 (Füchse)"),
                                       QStringLiteral("Wald, Fee3 (Füchse)")}));
    EXPECT_TRUE(recorder.waits.log.contains(QStringLiteral("+Füge Athleten hinzu.")));

    // Wald dragged in the tree onto Eva's place.
    treeView()->expandAll();
    treeView()->selectionModel()->clearSelection();
    const QPoint wald = nodeAt(participant(2, 2));
    QTest::mouseClick(treeView()->viewport(), Qt::LeftButton, Qt::NoModifier, wald);
    RealDrag within;
    ASSERT_TRUE(within.start(*treeView()->viewport(), wald));
    ASSERT_TRUE(within.dropOn(*treeView()->viewport(), nodeAt(participant(2, 0))));
    ASSERT_TRUE(settled());
    EXPECT_EQ(heats()[2].first(), QStringLiteral("Wald, Fee3 (Füchse)"));
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join('\n').toStdString();
}

TEST_F(CompetitionListDrags, TeamsGoIntoATeamDisciplineAndSquadsOntoTheAutomaticDivision)
{
    open(relay);
    show(*realTeams);
    QTreeView* teams = list(*realTeams);
    const QPoint from = selectRows(*teams, {QStringLiteral("Füchse")});
    RealDrag team;
    ASSERT_TRUE(team.start(*teams->viewport(), from));
    ASSERT_TRUE(team.dropOn(*treeView()->viewport(), nodeAt(tree().rootNode())));
    ASSERT_TRUE(settled());
    EXPECT_EQ(heats(), (std::map<int, QStringList>{{1, {QStringLiteral("Füchse")}}}));

    choose(QStringLiteral("Sprint 50 m"));
    ASSERT_TRUE(settled());
    show(*realSquads);
    QTreeView* squads = list(*realSquads);
    const QPoint rot = selectRows(*squads, {QStringLiteral("Rot")}, 1);
    QTreeView* target = form->findChild<QTreeView*>(QStringLiteral("ListView2"));
    ASSERT_TRUE(target->isEnabled());
    RealDrag squad;
    ASSERT_TRUE(squad.start(*squads->viewport(), rot));
    ASSERT_TRUE(squad.dropOn(*target->viewport(), QPoint(5, 5)));
    ASSERT_TRUE(settled());
    ASSERT_EQ(form->assignedSquads().size(), 1u);
    EXPECT_EQ(form->assignedSquads()[0].SquadID, squad1);

    // The squad editor's team list is no squad list.
    QTreeView* editor = realSquads->findChild<QTreeView*>(QStringLiteral("ListView2"));
    selectRows(*squads, {QStringLiteral("Rot")}, 1);
    ASSERT_TRUE(settled());
    const QPoint member = selectRows(*editor, {QStringLiteral("Füchse")});
    RealDrag teamsOfSquad;
    ASSERT_TRUE(teamsOfSquad.start(*editor->viewport(), member));
    EXPECT_FALSE(teamsOfSquad.dropOn(*target->viewport(), QPoint(5, 5)));
}
