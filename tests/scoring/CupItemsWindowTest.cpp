// The cup item windows offscreen against the stand-in: entries dragged onto the right cup athlete
// and coloured where they disagree, detached, items marked done and renamed, the participation
// filter, the participant export, and a custom column deleted while the athlete window is open.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/services/ListSearchServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "core/util/ShellClock.h"
#include "scoring/ui/CupItemsDialog.h"
#include "scoring/ui/CustomCupColDialog.h"
#include "scoring/ui/ScoringWindows.h"
#include "tests/support/RealDrag.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TestUtil.h"
#include "tests/support/TextFit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

// Stands for the list search: records what it was opened over.
class FakeSearch : public QWidget, public IListSearchForm {
public:
    void openSearchDialog(const std::vector<const QAbstractItemModel*>& lists, const std::vector<int>& columns) override
    {
        searchedLists = lists;
        searchedColumns = columns;
    }
    std::vector<const QAbstractItemModel*> searchedLists;
    std::vector<int> searchedColumns;
};

constexpr int kGivenNameColumn = TCompareListModel::kLeadingColumns; // "Vorname"

class CupItemsWindow : public ::testing::Test {
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
        const int a = seed.competition(QStringLiteral("A"));
        const int b = seed.competition(QStringLiteral("Süd"));
        const int u10 = seed.ageClass(a, QStringLiteral("U10"));
        const int club = seed.club(a, QStringLiteral("TV Nord; LA"));
        const int adler = seed.team(a, QStringLiteral("Adler"), u10, club);
        anna = seed.athlete(a, QStringLiteral("Anna"), QStringLiteral("Muster"), adler, club);
        ana = seed.athlete(b, QStringLiteral("Ana"), QStringLiteral("Muster"));
        seed.setPerson(anna, GenderType::FEMALE, 2015);
        seed.setPerson(ana, GenderType::FEMALE, 2015);
        seed.athlete(a, QStringLiteral("Ben"), QStringLiteral("Beispiel"));
        seed.athlete(b, QStringLiteral("Ben"), QStringLiteral("Beispiel"));
        CupInfoDataType info;
        info.Name = QStringLiteral("Kreiscup");
        info.MinTeamParticipations = 1;
        info.MinAthleteParticipations = 1;
        cup = client->css()->createCup(Owned<CupInfoDataType>(info)).CupID;
        client->css()->assignCompetitions(cup, {a, b});

        form = static_cast<TCupItemsForm*>(windows.create(TWindowId::CupAthleteForm, context));
        form->resize(900, 800);
        form->show();
        settle();
        chooseCup();
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
            EXPECT_TRUE(waitUntil(
                [this] {
                    return runningRequestCount() == 0 && form->pendingRequests() == 0 &&
                           (!cols || cols->pendingRequests() == 0);
                },
                10000));
            QTest::qWait(20);
        }
    }

    // The cup drop-down as a user works it: focus and arrow down onto the only cup.
    void chooseCup()
    {
        form->ComboBoxCup->setFocus();
        QTest::keyClick(form->ComboBoxCup, Qt::Key_Down);
        settle();
        ASSERT_EQ(form->currentCup(), cup);
    }

    TCompareListModel& pending() const { return *form->ListView2->compareModel(); }
    TCompareListModel& completed() const { return *form->ListView1->compareModel(); }

    // The shown row of the cup item whose given name is that, -1 when none.
    static int rootRow(const TCompareListModel& list, const QString& givenName)
    {
        for (int row = 0; row < list.rowCount(); ++row) {
            int root = 0, child = 0;
            if (list.rowItem(row, root, child) && child < 0 && list.cellText(root, -1, 0) == givenName)
                return row;
        }
        return -1;
    }

    QPoint cellCentre(TCompareListView* view, int row, int column = kGivenNameColumn) const
    {
        return view->visualRect(view->model()->index(row, column)).center();
    }

    void expand(TCompareListView* view, int row)
    {
        // A click in the marker column opens a cup item.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cellCentre(view, row, 1));
    }

    void click(TCompareListView* view, int row, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, cellCentre(view, row));
    }

    QColor colour(TCompareListView* view, int row, int column = kGivenNameColumn) const
    {
        return view->model()->index(row, column).data(Qt::BackgroundRole).value<QColor>();
    }

    void popup(TCompareListView* view, int row)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, cellCentre(view, row));
        QApplication::sendEvent(view->viewport(), &event);
    }

    // "given sur: n entries" per cup athlete, pending ones marked "?".
    QStringList stored()
    {
        QStringList out;
        const getCupAthletesResponse r = client->crs()->getCupAthletes(cup, 0, 0);
        for (const auto* list : {&r.CompletedCupAthletes, &r.PendingCupAthletes})
            for (const CupAthleteType& a : *list)
                out << QStringLiteral("%1%2 %3: %4")
                           .arg(list == &r.PendingCupAthletes ? QStringLiteral("?") : QString(), a.Name->givenName,
                                a.Name->surName)
                           .arg(a.AssignedAthletes.size());
        out.sort();
        return out;
    }

    // Ana's entry dragged from her expanded row onto Anna, as a user does it.
    void dragAnaOntoAnna()
    {
        TCompareListView* view = form->ListView2;
        expand(view, rootRow(pending(), QStringLiteral("Ana")));
        const int child = rootRow(pending(), QStringLiteral("Ana")) + 1;
        click(view, child);
        RealDrag drag;
        ASSERT_TRUE(drag.start(*view->viewport(), cellCentre(view, child)));
        ASSERT_TRUE(drag.dropOn(*view->viewport(), cellCentre(view, rootRow(pending(), QStringLiteral("Anna")))));
        settle();
    }

    QTemporaryDir dir;
    ScriptedDialogs* script = nullptr;
    qint64 now = 1'000'000;
    StandinHarness standin;
    std::unique_ptr<StandinClient> client;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    TCupItemsForm* form = nullptr;
    TCustomCupColForm* cols = nullptr;
    int cup = 0, anna = 0, ana = 0;
};

TEST_F(CupItemsWindow, ADraggedEntryJoinsTheRightAthleteAndShowsItsDisagreement)
{
    EXPECT_EQ(stored(), (QStringList{"?Ana Muster: 1", "?Anna Muster: 1", "?Ben Beispiel: 2"}));
    EXPECT_EQ(form->LabelPending->text(), QStringLiteral("Offene Einträge: 3"));
    EXPECT_EQ(form->LabelCompleted->text(), QStringLiteral("Abgeschlossene Einträge: 0"));
    EXPECT_GT(form->ListView2->header()->height(), 0);
    EXPECT_GE(form->ListView2->header()->sectionSize(kGivenNameColumn),
              static_cast<QAbstractItemView*>(form->ListView2)->sizeHintForColumn(kGivenNameColumn));

    dragAnaOntoAnna();
    EXPECT_EQ(stored(), (QStringList{"?Ana Muster: 0", "?Anna Muster: 2", "?Ben Beispiel: 2"}));
    EXPECT_TRUE(recorder.messages.lines().isEmpty()) << recorder.messages.lines().join(u'\n').toStdString();

    // Opened, Anna's own row is yellow, her first entry green and Ana's entry under her red.
    TCompareListView* view = form->ListView2;
    const int annaRow = rootRow(pending(), QStringLiteral("Anna"));
    expand(view, annaRow);
    int root = 0, child = 0;
    ASSERT_TRUE(pending().rowItem(annaRow + 2, root, child));
    ASSERT_EQ(child, 1);
    EXPECT_EQ(colour(view, annaRow), QColor(255, 255, 176));
    EXPECT_EQ(colour(view, annaRow + 1), QColor(176, 255, 176));
    EXPECT_EQ(colour(view, annaRow + 2), QColor(255, 176, 176));
    EXPECT_EQ(view->model()->index(annaRow + 2, kGivenNameColumn).data().toString(), QStringLiteral("Ana"));

    // "=" 0 leaves only the emptied item.
    form->ComboBoxCompare->setFocus();
    QTest::keyClick(form->ComboBoxCompare, Qt::Key_Down);
    QTest::keyClick(form->ComboBoxCompare, Qt::Key_Down);
    ASSERT_EQ(form->ComboBoxCompare->currentText(), QStringLiteral("="));
    EXPECT_EQ(pending().rowCount(), 1);
    EXPECT_EQ(rootRow(pending(), QStringLiteral("Ana")), 0);
    EXPECT_EQ(form->LabelPending->text(), QStringLiteral("Offene Einträge: 1"));
}

TEST_F(CupItemsWindow, DragsThatMixCupItemsOrMissAnItemAreRefused)
{
    TCompareListView* view = form->ListView2;
    expand(view, rootRow(pending(), QStringLiteral("Ana")));
    const int anaRow = rootRow(pending(), QStringLiteral("Ana"));
    // A cup item row in the selection refuses the whole drag.
    click(view, anaRow);
    click(view, anaRow + 1, Qt::ControlModifier);
    {
        RealDrag drag;
        ASSERT_TRUE(drag.start(*view->viewport(), cellCentre(view, anaRow + 1)));
        EXPECT_FALSE(drag.dropOn(*view->viewport(), cellCentre(view, rootRow(pending(), QStringLiteral("Anna")))));
    }
    // An entry dropped on another entry goes nowhere.
    expand(view, rootRow(pending(), QStringLiteral("Ben")));
    const int entry = rootRow(pending(), QStringLiteral("Ana")) + 1;
    click(view, entry);
    {
        RealDrag drag;
        ASSERT_TRUE(drag.start(*view->viewport(), cellCentre(view, entry)));
        EXPECT_FALSE(drag.dropOn(*view->viewport(), cellCentre(view, rootRow(pending(), QStringLiteral("Ben")) + 1)));
    }
    settle();
    EXPECT_EQ(stored(), (QStringList{"?Ana Muster: 1", "?Anna Muster: 1", "?Ben Beispiel: 2"}));
}

TEST_F(CupItemsWindow, EntriesDetachAndItemsAreMarkedDone)
{
    TCompareListView* view = form->ListView2;
    expand(view, rootRow(pending(), QStringLiteral("Ben")));
    const int benRow = rootRow(pending(), QStringLiteral("Ben"));
    click(view, benRow + 2);
    popup(view, benRow + 2);
    ASSERT_TRUE(form->RemoveEntry2->isEnabled());
    EXPECT_FALSE(form->MarkCompleted2->isEnabled());
    form->RemoveEntry2->trigger();
    form->PopupMenu2->close();
    settle();
    EXPECT_EQ(stored(), (QStringList{"?Ana Muster: 1", "?Anna Muster: 1", "?Ben Beispiel: 1", "?Ben Beispiel: 1"}));

    const int annaRow = rootRow(pending(), QStringLiteral("Anna"));
    click(view, annaRow);
    popup(view, annaRow);
    ASSERT_TRUE(form->MarkCompleted2->isEnabled());
    EXPECT_FALSE(form->RemoveEntry2->isEnabled());
    form->MarkCompleted2->trigger();
    form->PopupMenu2->close();
    settle();
    EXPECT_EQ(stored().filter(QStringLiteral("Anna")), QStringList{"Anna Muster: 1"});
    EXPECT_EQ(rootRow(completed(), QStringLiteral("Anna")), 0);
    EXPECT_EQ(form->LabelCompleted->text(), QStringLiteral("Abgeschlossene Einträge: 1"));
    // The completed row wears the "done" colour in its caption cell.
    EXPECT_EQ(colour(form->ListView1, 0, 0), QColor(176, 255, 176));

    script->expectMessage(QStringLiteral("Markieren als abgeschlossen"), TMsgAnswer::Yes);
    form->MarkAllCompleted2->trigger();
    settle();
    EXPECT_TRUE(stored().filter(QStringLiteral("?")).isEmpty()) << stored().join(u',').toStdString();
    EXPECT_EQ(pending().rowCount(), 0);
}

TEST_F(CupItemsWindow, TheEditorCorrectsNamesAndRefusesABadYear)
{
    TCompareListView* view = form->ListView2;
    click(view, rootRow(pending(), QStringLiteral("Ana")));
    EXPECT_EQ(form->LabelID->text(), QStringLiteral("ID: %1").arg(form->currentItem()));
    EXPECT_EQ(form->EditYear->text(), QStringLiteral("2015"));
    EXPECT_FALSE(form->ButtonSave->isEnabled());

    form->EditYear->setFocus();
    form->EditYear->selectAll();
    QTest::keyClicks(form->EditYear, QStringLiteral("20x"));
    ASSERT_TRUE(form->ButtonSave->isEnabled());
    QTest::mouseClick(form->ButtonSave, Qt::LeftButton);
    settle();
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Cup-AthletIn ändern: Ungültiges Geburtsjahr. Entweder gültige Jahreszahl "
                                         "oder leer lassen.")});

    form->EditYear->selectAll();
    QTest::keyClick(form->EditYear, Qt::Key_Backspace);
    form->EditGivenName->setFocus();
    form->EditGivenName->selectAll();
    QTest::keyClicks(form->EditGivenName, QStringLiteral(" Anna "));
    QTest::mouseClick(form->ButtonSave, Qt::LeftButton);
    settle();
    const getCupAthletesResponse r = client->crs()->getCupAthletes(cup, 0, 0);
    int annas = 0;
    for (const CupAthleteType& a : r.PendingCupAthletes)
        if (a.Name->givenName == QStringLiteral("Anna")) {
            ++annas;
            if (a.AthleteID == form->currentItem()) {
                EXPECT_EQ(a.YearOfBirth, 0);
            }
        }
    EXPECT_EQ(annas, 2);
    EXPECT_EQ(form->EditGivenName->text(), QStringLiteral("Anna"));
    EXPECT_FALSE(form->ButtonSave->isEnabled());
}

TEST_F(CupItemsWindow, TheExportWritesBothListsWithTheirEntries)
{
    dragAnaOntoAnna();
    const QString path = dir.filePath(QStringLiteral("Cup-Teilnehmer.csv"));
    script->expectFile(QStringLiteral("csv-Datei speichern"), path);
    form->ExportFull1->trigger();
    settle();
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    QFile golden(QStringLiteral(TVP_SCORING_TEST_DATA "/Cup-Teilnehmer.csv"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_EQ(bytes, golden.readAll()) << bytes.toStdString();
}

TEST_F(CupItemsWindow, ADeletedColumnLeavesTheOpenAthleteWindow)
{
    CustomColumnInfoType info;
    info.Name = QStringLiteral("Größe");
    info.ItemType = CupItemType::Athlete;
    const int size = client->css()->addCustomColumn(cup, Owned<CustomColumnInfoType>(info)).CustomColumn->ID;
    CustomInformationsDataType value;
    value.ColumnID = size;
    value.Value = QStringLiteral("140");
    const getCupAthletesResponse r = client->crs()->getCupAthletes(cup, 0, 0);
    client->css()->modifyCupAthlete(r.PendingCupAthletes.front().AthleteID, nullptr, {value});
    form->hide();
    form->show();
    settle();
    const auto captions = [this] {
        QStringList out;
        for (int c = 0; c < pending().columnCount(); ++c)
            out << pending().headerData(c, Qt::Horizontal).toString();
        return out;
    };
    ASSERT_TRUE(captions().contains(QStringLiteral("Größe")));

    cols = static_cast<TCustomCupColForm*>(windows.create(TWindowId::CustomCupColForm, context));
    cols->showCustomCupColForm(cup, CupItemType::Athlete);
    settle();
    const QModelIndex row = cols->ListView1->model()->index(0, 0);
    QTest::mouseClick(cols->ListView1->viewport(), Qt::LeftButton, {}, cols->ListView1->visualRect(row).center());
    recorder.confirmation.expect({true});
    cols->DeleteColumn1->trigger();
    settle();
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked.front().caption, QStringLiteral("Spalte löschen?"));
    EXPECT_FALSE(captions().contains(QStringLiteral("Größe")));
    EXPECT_EQ(captions().last(), QStringLiteral("Veranstaltung"));
}

TEST_F(CupItemsWindow, TheTeamWindowShowsATeamsAthletesInTheAthleteWindow)
{
    auto* teams = static_cast<TCupItemsForm*>(windows.create(TWindowId::CupTeamForm, context));
    teams->show();
    while (teams->pendingRequests() > 0)
        QTest::qWait(10);
    teams->ComboBoxCup->setFocus();
    QTest::keyClick(teams->ComboBoxCup, Qt::Key_Down);
    while (teams->pendingRequests() > 0)
        QTest::qWait(10);
    settle();
    TCompareListModel& list = *teams->ListView2->compareModel();
    ASSERT_EQ(list.rowCount(), 1);
    EXPECT_EQ(list.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Altersklasse"));
    // The cup team shows its one entry's age class and club as their common value.
    EXPECT_EQ(list.index(0, 3).data().toString(), QStringLiteral("U10"));
    EXPECT_EQ(list.index(0, 4).data().toString(), QStringLiteral("TV Nord; LA"));

    const QPoint at = teams->ListView2->visualRect(list.index(0, 2)).center();
    QTest::mouseClick(teams->ListView2->viewport(), Qt::LeftButton, {}, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at);
    QApplication::sendEvent(teams->ListView2->viewport(), &event);
    ASSERT_TRUE(teams->ShowTeamAthletes2->isEnabled());
    teams->ShowTeamAthletes2->trigger();
    teams->PopupMenu2->close();
    settle();
    EXPECT_EQ(form->ComboBoxTeam->currentText(), QStringLiteral("Adler (%1)").arg(teams->currentItem()));
    runQueued();
    for (const tvp::test::CutText& cut :
         tvp::test::cutTexts(*form->findChild<QWidget*>(QStringLiteral("GroupBoxFilter"))))
        ADD_FAILURE() << tvp::test::describe(cut);
    EXPECT_EQ(pending().rowCount(), 1);
    EXPECT_EQ(rootRow(pending(), QStringLiteral("Anna")), 0);
    while (teams->pendingRequests() > 0)
        QTest::qWait(10);
}

TEST_F(CupItemsWindow, CtrlFSearchesNamesTeamAndAgeClassOfBothLists)
{
    FakeSearch search;
    windows.place(TWindowId::SearchForm, &search);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    form->ListView2->setFocus();
    QTest::keyClick(form->ListView2, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(search.searchedLists,
              (std::vector<const QAbstractItemModel*>{form->ListView1->model(), form->ListView2->model()}));
    EXPECT_EQ(search.searchedColumns, (std::vector<int>{2, 3, 7, 8}));
    windows.place(TWindowId::SearchForm, nullptr);
}

} // namespace
