// The cups window offscreen against the stand-in: a cup typed in and added, competitions dragged
// onto it from the server's list, and a competition taken out while a cup scoring draws on it.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "core/util/ShellClock.h"
#include "scoring/ui/CupsDialog.h"
#include "scoring/ui/ScoringWindows.h"
#include "tests/support/RealDrag.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QListView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

class CupsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        AppPaths::setProgramDirForTests(dir.path());
        AppPaths::setCommonAppDataDirForTests(dir.path());
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        setShellClockForTests([this] { return now; });
        InitComm();
        registerScoringServices(windows);
        registerScoringWindows(windows);

        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        StandinSeed seed(standin.dataFile());
        a = seed.competition(QStringLiteral("Frühjahrssportfest"));
        b = seed.competition(QStringLiteral("Herbstsportfest"));
        c = seed.competition(QStringLiteral("Hallensportfest"));
        auto current = std::make_unique<CompetitionType>();
        current->ID = a;
        competition.SetCompetitionInternal(std::move(current));

        form = static_cast<TCupsForm*>(windows.create(TWindowId::CupsForm, context));
        form->show();
        settle();
    }

    void TearDown() override
    {
        settle();
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        EXPECT_TRUE(recorder.confirmation.allAnswered());
        windows.destroyAll();
        setDialogs(nullptr);
        setShellClockForTests({});
        AppPaths::setProgramDirForTests({});
        AppPaths::setCommonAppDataDirForTests({});
        standin.stop();
    }

    void settle()
    {
        for (int round = 0; round < 3; ++round) {
            EXPECT_TRUE(
                waitUntil([this] { return runningRequestCount() == 0 && form->pendingRequests() == 0; }, 10000));
            QTest::qWait(20);
        }
    }

    int makeCup(const QString& name, std::vector<int> competitions)
    {
        CupInfoDataType info;
        info.Name = name;
        info.MinTeamParticipations = 3;
        info.MinAthleteParticipations = 3;
        const int cup = client->css()->createCup(Owned<CupInfoDataType>(info)).CupID;
        if (!competitions.empty())
            client->css()->assignCompetitions(cup, competitions);
        return cup;
    }

    std::vector<int> assigned(int cup)
    {
        std::vector<int> out;
        for (const CompetitionType& comp : client->crs()->getCup(cup).cup->AssignedCompetitions)
            out.push_back(comp.ID);
        return out;
    }

    QModelIndex root() const { return form->TreeView1->model()->index(0, 0); }

    QModelIndex node(const QString& cup, const QString& competition = {}) const
    {
        const QAbstractItemModel* tree = form->TreeView1->model();
        for (int i = 0; i < tree->rowCount(root()); ++i) {
            const QModelIndex cupNode = tree->index(i, 0, root());
            if (cupNode.data().toString() != cup)
                continue;
            if (competition.isEmpty())
                return cupNode;
            for (int j = 0; j < tree->rowCount(cupNode); ++j)
                if (tree->index(j, 0, cupNode).data().toString() == competition)
                    return tree->index(j, 0, cupNode);
        }
        return {};
    }

    QPoint centerOf(const QModelIndex& item) const { return form->TreeView1->visualRect(item).center(); }

    void clickNode(const QModelIndex& item)
    {
        QTest::mouseClick(form->TreeView1->viewport(), Qt::LeftButton, Qt::NoModifier, centerOf(item));
        settle();
    }

    QModelIndex entry(const QString& name) const
    {
        const QAbstractItemModel* list = form->ListBox1->model();
        const QModelIndexList found = list->match(list->index(0, 0), Qt::DisplayRole, name, -1, Qt::MatchExactly);
        return found.size() == 1 ? found.front() : QModelIndex();
    }

    // Selects the list's entries by clicking them, the later ones with Ctrl held.
    void selectCompetitions(const QStringList& names)
    {
        QListView* list = form->ListBox1;
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
        for (const QString& name : names) {
            const QModelIndex found = entry(name);
            ASSERT_TRUE(found.isValid()) << name.toStdString();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualRect(found).center());
            modifiers = Qt::ControlModifier;
        }
    }

    // Drags the selection from the list by the named entry and drops it on the node.
    bool dragOnto(const QString& byEntry, const QModelIndex& target, std::vector<int>* carried = nullptr)
    {
        QListView* list = form->ListBox1;
        RealDrag drag;
        const QPoint at = list->visualRect(entry(byEntry)).center();
        EXPECT_TRUE(drag.start(*list->viewport(), at));
        if (carried && drag.mimeData())
            *carried = decodeCompetitionIds(drag.mimeData()->data(kCupCompetitionIdsMimeType));
        const bool dropped = drag.dropOn(*form->TreeView1->viewport(), centerOf(target));
        settle();
        return dropped;
    }

    void removeByPopup(const QModelIndex& item)
    {
        const QPoint at = centerOf(item);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, form->TreeView1->viewport()->mapToGlobal(at));
        QApplication::sendEvent(form->TreeView1->viewport(), &event);
        ASSERT_TRUE(form->PopupMenu1->isVisible());
        ASSERT_TRUE(form->Entfernen1->isEnabled());
        form->PopupMenu1->hide();
        form->Entfernen1->trigger();
        settle();
    }

    QTemporaryDir dir;
    ScriptedDialogs* script = nullptr;
    qint64 now = 1'000'000;
    StandinHarness standin;
    std::unique_ptr<StandinClient> client;
    int a = 0, b = 0, c = 0;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    TCupsForm* form = nullptr;
};

TEST_F(CupsWindow, ACupTypedInIsAddedAndTheGroupFallsBackToTheDefaultAtOnce)
{
    EXPECT_EQ(form->LabelID->text(), QStringLiteral("ID: -"));
    EXPECT_FALSE(form->ButtonAdd->isEnabled());
    QTest::keyClicks(form->EditName, QStringLiteral("  Kreiscup "));
    EXPECT_TRUE(form->ButtonAdd->isEnabled());
    EXPECT_FALSE(form->ButtonSave->isEnabled()) << "no cup chosen: nothing to save";
    QTest::keyClick(form->UpDownMinTeam, Qt::Key_Down);
    QTest::keyClick(form->UpDownMinAthlete, Qt::Key_Down);
    EXPECT_EQ(form->LabelMinTeam->text(), QStringLiteral("2"));

    QTest::mouseClick(form->ButtonAdd, Qt::LeftButton);
    EXPECT_EQ(form->LabelID->text(), QStringLiteral("ID: -"));
    EXPECT_EQ(form->EditName->text(), QString());
    EXPECT_EQ(form->LabelMinTeam->text(), QStringLiteral("3"));
    EXPECT_EQ(form->LabelMinAthlete->text(), QStringLiteral("3"));
    EXPECT_FALSE(form->ButtonAdd->isEnabled());
    settle();

    const std::vector<CupType> cups = client->crs()->getCups(0);
    ASSERT_EQ(cups.size(), 1u);
    EXPECT_EQ(cups[0].Name, QStringLiteral("Kreiscup"));
    EXPECT_EQ(cups[0].MinTeamParticipations, 2);
    EXPECT_EQ(cups[0].MinAthleteParticipations, 2);
    ASSERT_TRUE(node(QStringLiteral("Kreiscup")).isValid());

    // Choosing it shows it; a change is saved under its id.
    clickNode(node(QStringLiteral("Kreiscup")));
    EXPECT_EQ(form->LabelID->text(), QStringLiteral("ID: ") + QString::number(cups[0].CupID));
    EXPECT_EQ(form->getCupName(), QStringLiteral("Kreiscup"));
    EXPECT_TRUE(form->ButtonCert->isEnabled());
    EXPECT_FALSE(form->ButtonSave->isEnabled());

    // The column button opens the cup's athlete columns.
    QWidget* columns = windows.create(TWindowId::CustomCupColForm, context);
    QTest::mouseClick(form->ButtonColumns, Qt::LeftButton);
    settle();
    EXPECT_TRUE(columns->isVisible());
    EXPECT_EQ(columns->windowTitle(), QStringLiteral("Benutzerdefinierte Spalten für Cup-Athleten anlegen"));
    columns->hide();

    QTest::keyClick(form->UpDownMinAthlete, Qt::Key_Up);
    EXPECT_TRUE(form->ButtonSave->isEnabled());
    QTest::mouseClick(form->ButtonSave, Qt::LeftButton);
    settle();
    EXPECT_EQ(client->crs()->getCup(cups[0].CupID).cup->MinAthleteParticipations, 3);
    EXPECT_FALSE(form->ButtonSave->isEnabled());
}

TEST_F(CupsWindow, ClickingTheRootWithoutACupAsksBeforeTheTypedGroupIsLost)
{
    QTest::keyClicks(form->EditName, QStringLiteral("Kreiscup"));
    QTest::keyClick(form->UpDownMinTeam, Qt::Key_Down);
    ASSERT_TRUE(form->hasDirtyData(QString()));

    script->expectMessage(QStringLiteral("Cup-Wertungen"), TMsgAnswer::No);
    clickNode(root());
    EXPECT_TRUE(script->allAnswered());
    EXPECT_EQ(form->EditName->text(), QStringLiteral("Kreiscup"));
    EXPECT_EQ(form->LabelMinTeam->text(), QStringLiteral("2"));
    EXPECT_TRUE(form->ButtonAdd->isEnabled());

    now += 5000;
    script->expectMessage(QStringLiteral("Cup-Wertungen"), TMsgAnswer::Yes);
    clickNode(root());
    EXPECT_EQ(form->EditName->text(), QString());
    EXPECT_EQ(form->LabelMinTeam->text(), QStringLiteral("3"));
    EXPECT_FALSE(form->ButtonAdd->isEnabled());
    EXPECT_EQ(form->currentCup(), 0);
}

TEST_F(CupsWindow, CompetitionsDraggedFromTheListJoinTheCupInListOrderAndTheRootTakesNone)
{
    const int cup = makeCup(QStringLiteral("Kreiscup"), {});
    form->reloadFormData(false);
    settle();

    // Picked last to first; the drag carries them as the list shows them.
    selectCompetitions({QStringLiteral("Hallensportfest"), QStringLiteral("Frühjahrssportfest")});
    EXPECT_FALSE(dragOnto(QStringLiteral("Frühjahrssportfest"), root())) << "the root takes nothing";
    EXPECT_TRUE(assigned(cup).empty());
    EXPECT_FALSE(recorder.waits.log.contains(QStringLiteral("+Veranstaltungen hinzufügen...")));

    std::vector<int> carried;
    EXPECT_TRUE(dragOnto(QStringLiteral("Frühjahrssportfest"), node(QStringLiteral("Kreiscup")), &carried));
    EXPECT_EQ(carried, (std::vector<int>{a, c}));
    EXPECT_EQ(assigned(cup), (std::vector<int>{a, c}));
    ASSERT_TRUE(node(QStringLiteral("Kreiscup"), QStringLiteral("Hallensportfest")).isValid());
    EXPECT_TRUE(recorder.waits.shown.isEmpty()) << "the wait text closes with the answer";

    // A competition node stands for its cup; one already assigned is the server's to skip.
    selectCompetitions({QStringLiteral("Frühjahrssportfest"), QStringLiteral("Herbstsportfest")});
    EXPECT_TRUE(dragOnto(QStringLiteral("Herbstsportfest"),
                         node(QStringLiteral("Kreiscup"), QStringLiteral("Hallensportfest"))));
    EXPECT_EQ(assigned(cup), (std::vector<int>{a, b, c}));
}

TEST_F(CupsWindow, RemovingACompetitionCupScoringsDrawOnAsksOnceAndForcedTakesTheOrphanedScoring)
{
    StandinSeed seed(standin.dataFile());
    const int disc = seed.discipline(a, QStringLiteral("Weitsprung"));
    const int cup = makeCup(QStringLiteral("Kreiscup"), {a, b});
    ResultAggregatorInstanceInfoType sum;
    sum.TemplateID = 2;
    sum.ConnectedAggregators = {disc};
    sum.Parameters = {QStringLiteral("0")};
    const int scoring = client->cms()->assignResultAggregator(sum).CreatedResultAggregator->ID;
    client->css()->promoteToCupAggregator(scoring, cup, true);
    ASSERT_EQ(client->crs()->getCupAggregators(cup).size(), 1u);
    form->reloadFormData(false);
    settle();

    // "Nein" leaves everything.
    recorder.confirmation.expect({false});
    removeByPopup(node(QStringLiteral("Kreiscup"), QStringLiteral("Frühjahrssportfest")));
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Veranstaltung entfernen?"));
    EXPECT_FALSE(recorder.confirmation.asked[0].applyToAllOffered);
    EXPECT_EQ(assigned(cup), (std::vector<int>{a, b}));
    EXPECT_TRUE(recorder.messages.messages.empty());
    EXPECT_TRUE(recorder.waits.shown.isEmpty());

    recorder.confirmation.expect({true});
    removeByPopup(node(QStringLiteral("Kreiscup"), QStringLiteral("Frühjahrssportfest")));
    EXPECT_EQ(recorder.confirmation.asked.size(), 2u) << "asked once per removal";
    EXPECT_EQ(assigned(cup), (std::vector<int>{b}));
    EXPECT_TRUE(client->crs()->getCupAggregators(cup).empty());
    EXPECT_FALSE(node(QStringLiteral("Kreiscup"), QStringLiteral("Frühjahrssportfest")).isValid());
    EXPECT_TRUE(recorder.waits.shown.isEmpty());

    // The cup itself after its question.
    script->expectMessage(QStringLiteral("Cup-Wertung löschen?"), TMsgAnswer::Yes);
    removeByPopup(node(QStringLiteral("Kreiscup")));
    EXPECT_TRUE(client->crs()->getCups(0).empty());
    EXPECT_EQ(form->TreeView1->model()->rowCount(root()), 0);
    EXPECT_EQ(form->LabelID->text(), QStringLiteral("ID: -"));
}

} // namespace
