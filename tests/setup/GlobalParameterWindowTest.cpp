// The parameter window offscreen against the stand-in in the program's German locale: names and
// values refused before anything is sent, a saved value in the discipline window's boxes, and
// removals the server refuses while scoring nodes name the parameter.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "core/util/ShellClock.h"
#include "organisation/ui/DisciplinDialog.h"
#include "organisation/ui/OrganisationWindows.h"
#include "scoring/ui/AggregatorTreeUI.h"
#include "scoring/ui/ScoringWindows.h"
#include "setup/ui/GlobalParameterDialog.h"
#include "setup/ui/SetupWindows.h"
#include "tests/support/DisciplineWindowEnv.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

const QString kNewCaption = QStringLiteral("Neuen Parameter anlegen");

class ParameterWindow : public ::testing::Test, public DisciplineWindowEnv {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(setUpEnv());
        registerSetupWindows(windows);

        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        comp = client->create(QStringLiteral("Kinderleichtathletik"));
        useCompetition(comp);

        main = std::make_unique<TMainForm>(context);
        windows.place(TWindowId::MainForm, main.get());
        w0 = static_cast<TDisciplinForm*>(windows.create(TWindowId::DisciplinListForm0, context));
        form = static_cast<TGlobalParameterForm*>(windows.create(TWindowId::GlobalParameterForm, context));
    }

    void TearDown() override
    {
        settle();
        closeWindows();
        main.reset();
        restoreEnv();
        standin.stop();
    }

    void settle()
    {
        for (int round = 0; round < 3; ++round) {
            EXPECT_TRUE(waitUntil(
                [this] {
                    return runningRequestCount() == 0 && w0->pendingRequests() == 0 && form->pendingRequests() == 0;
                },
                10000));
            QTest::qWait(20);
        }
    }

    // A discipline with a "Bester Versuch" node whose factor is the event parameter "Faktor".
    int disciplineWithNode()
    {
        GlobalParametersInfoType faktor;
        faktor.Key = QStringLiteral("Faktor");
        faktor.Value = 1;
        client->cms()->setGlobalParameter(comp, {faktor});
        DisciplinInfoType s;
        s.Name = QStringLiteral("Weitsprung");
        s.maxParticipantsPerHeat = 8;
        s.ResultTableType.ensure().ResultsPerRow = 3;
        disc = client->cms()->createDisciplin(s, comp).Disciplin->DisciplinID;
        client->cms()->setUiInfo(QStringLiteral("Disciplin_ResultType"), QStringLiteral("Distance"), disc);
        client->cms()->setUiInfo(QStringLiteral("Disciplin_ResultFormat"), QStringLiteral("Default"), disc);
        ResultAggregatorInstanceInfoType n;
        n.TemplateID = 1;
        n.ConnectedAggregators = {disc};
        n.Parameters = {QStringLiteral("Faktor")};
        return client->cms()->assignResultAggregator(n).CreatedResultAggregator->ID;
    }

    // Shows the discipline window on the discipline as a click on its row would.
    void openDiscipline()
    {
        w0->show();
        settle();
        selectDisciplineRow(w0, disc);
        settle();
        ASSERT_EQ(w0->currentDiscipline(), disc);
    }

    QString factorLine(int node) const
    {
        auto* tree = dynamic_cast<TDrawnAggregatorTree*>(w0->aggregatorTree());
        TAggregatorBox* box = tree ? tree->boxOf(node) : nullptr;
        if (!box)
            return QStringLiteral("<no box>");
        for (const QString& line : box->node().boxLines())
            if (line.startsWith(QLatin1String("Faktor=")))
                return line;
        return box->node().boxLines().join(u'|');
    }

    // "Neu..." with the name typed into the input box; refused, the message's text.
    QString addNew(const QString& name, const QString& refusedCaption = {})
    {
        script->expectText(QStringLiteral("Neuer Veranstaltungsparameter"), name);
        if (!refusedCaption.isEmpty())
            script->expectMessage(refusedCaption, TMsgAnswer::Ok);
        const std::size_t seen = script->seen.size();
        QTest::mouseClick(form->Button2, Qt::LeftButton);
        EXPECT_EQ(script->seen.at(seen).text, QStringLiteral("Name:"));
        return script->seen.size() > seen + 1 ? script->seen.back().text : QString();
    }

    // Types into the value cell of the row and confirms with Enter.
    void typeValue(int row, const QString& text)
    {
        QTableWidget* editor = form->ValueListEditor1;
        QApplication::setActiveWindow(form);
        editor->setFocus();
        editor->setCurrentCell(row, 1);
        QTest::keyClick(editor, Qt::Key_F2);
        auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_TRUE(line && editor->isAncestorOf(line));
        line->selectAll();
        QTest::keyClicks(line, text);
        QTest::keyClick(line, Qt::Key_Return);
        QCoreApplication::processEvents(); // the delegate commits after the key
        ASSERT_EQ(editor->item(row, 1)->text(), text);
    }

    QStringList rows() const
    {
        QStringList out;
        for (int row = 0; row < form->ValueListEditor1->rowCount(); ++row)
            out << form->ValueListEditor1->item(row, 0)->text() + QLatin1Char('=') +
                       form->ValueListEditor1->item(row, 1)->text();
        return out;
    }

    // "Entfernen" from the context menu over the row, opened with the mouse.
    void removeRow(int row)
    {
        QTableWidget* editor = form->ValueListEditor1;
        const QPoint at = editor->visualItemRect(editor->item(row, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, editor->viewport()->mapToGlobal(at));
        QApplication::sendEvent(editor->viewport(), &event);
        ASSERT_TRUE(form->PopupMenu1->isVisible());
        form->PopupMenu1->hide();
        form->Entfernen1->trigger();
        settle();
    }

    StandinHarness standin;
    std::unique_ptr<StandinClient> client;
    int comp = 0, disc = 0;
    std::unique_ptr<TMainForm> main;
    TDisciplinForm* w0 = nullptr;
    TGlobalParameterForm* form = nullptr;
};

} // namespace

TEST_F(ParameterWindow, NamesAndValuesAreCheckedBeforeAnythingIsSentAndASavedValueShowsInTheBoxes)
{
    const int node = disciplineWithNode();
    w0->LoadTemplates();
    openDiscipline();
    EXPECT_EQ(factorLine(node), QStringLiteral("Faktor=1,00"));

    w0->Veranstaltungsparameter1->trigger();
    settle();
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(rows(), QStringList{QStringLiteral("Faktor=1")});
    EXPECT_FALSE(form->Button1->isEnabled());

    // A number is no name, and a name is taken once.
    EXPECT_EQ(addNew(QStringLiteral("12"), kNewCaption), QStringLiteral("Ungültiger Name für Parameter"));
    EXPECT_EQ(addNew(QStringLiteral("Faktor"), kNewCaption), QStringLiteral("Parameter existiert bereits"));
    EXPECT_EQ(rows(), QStringList{QStringLiteral("Faktor=1")});
    EXPECT_FALSE(form->Button1->isEnabled());

    // The new row waits for its value; a point is no decimal separator here.
    addNew(QStringLiteral("Bonus"));
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("Faktor=1"), QStringLiteral("Bonus=")}));
    EXPECT_TRUE(form->Button1->isEnabled());
    typeValue(1, QStringLiteral("2"));
    typeValue(0, QStringLiteral("1.5"));
    script->expectMessage(QStringLiteral("Veranstaltungsparameter setzen"), TMsgAnswer::Ok);
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Ungültiger Wert für Parameter \"Faktor\"."));
    EXPECT_EQ(form->pendingRequests(), 0u);
    settle();
    EXPECT_EQ(client->drs()->getGlobalParameters(comp).size(), 1u) << "nothing sent";

    typeValue(0, QStringLiteral("1,5"));
    now += 5000; // past the main window's refresh throttle
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    settle();
    const getGlobalParametersResponse stored = client->drs()->getGlobalParameters(comp);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].Value, 1.5);
    EXPECT_FALSE(form->Button1->isEnabled());
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("Faktor=1,5"), QStringLiteral("Bonus=2")}));
    EXPECT_EQ(factorLine(node), QStringLiteral("Faktor=1,50"));
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join('\n').toStdString();
}

TEST_F(ParameterWindow, ARemovalOfAParameterInUseIsAskedAndForcedAndOneGoneMeanwhileLeavesQuietly)
{
    const int node = disciplineWithNode();
    GlobalParametersInfoType frei;
    frei.Key = QStringLiteral("Frei");
    frei.Value = 4;
    client->cms()->setGlobalParameter(comp, {frei});
    w0->LoadTemplates();
    openDiscipline();
    w0->Veranstaltungsparameter1->trigger();
    settle();
    ASSERT_EQ(rows(), (QStringList{QStringLiteral("Faktor=1"), QStringLiteral("Frei=4")}));

    // Another client removed "Frei": the row and its entry go without a word, nothing left unsaved.
    client->cms()->removeGlobalParameter(comp, QStringLiteral("Frei"), false);
    removeRow(1);
    EXPECT_EQ(rows(), QStringList{QStringLiteral("Faktor=1")});
    EXPECT_FALSE(form->Button1->isEnabled());
    EXPECT_FALSE(form->paramExists(QStringLiteral("Frei"), 0));
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join('\n').toStdString();

    // In use: "Nein" keeps it, "Ja" sends it again forced.
    const QString question = QStringLiteral("Veranstaltungsparameter wird bereits verwendet. Trotzdem löschen?");
    script->expectMessage(QStringLiteral("Parameter löschen"), TMsgAnswer::No);
    removeRow(0);
    EXPECT_EQ(script->seen.back().text, question);
    EXPECT_EQ(client->drs()->getGlobalParameters(comp).size(), 1u);
    EXPECT_EQ(rows(), QStringList{QStringLiteral("Faktor=1")});

    script->expectMessage(QStringLiteral("Parameter löschen"), TMsgAnswer::Yes);
    now += 5000;
    removeRow(0);
    settle();
    EXPECT_TRUE(client->drs()->getGlobalParameters(comp).empty());
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_EQ(factorLine(node), QStringLiteral("Faktor=?"));
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join('\n').toStdString();
}

TEST_F(ParameterWindow, ACupShowsItsOwnParametersAndTheCompetitionsCupEntriesStayReadOnly)
{
    StandinSeed seed(standin.dataFile());
    const int cup = seed.cup(QStringLiteral("Kreiscup"), {comp}, {{QStringLiteral("Basis"), 10}});
    GlobalParametersInfoType own;
    own.Key = QStringLiteral("Faktor");
    own.Value = 1.25;
    client->cms()->setGlobalParameter(comp, {own});

    form->showGlobalParameterForm(0);
    settle();
    EXPECT_EQ(rows(), QStringList{QStringLiteral("Faktor=1,25")}) << "the cup's entries are not the event's";
    EXPECT_EQ(form->resolveParameter(QStringLiteral("Basis"), cup), 10.0);
    EXPECT_TRUE(form->isCupLoaded(0));

    form->showGlobalParameterForm(cup);
    settle();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Cup-Parameter (Kreiscup)"));
    EXPECT_EQ(rows(), QStringList{QStringLiteral("Basis=10")});
    EXPECT_TRUE(form->isCupLoaded(cup));
    EXPECT_TRUE(form->ValueListEditor1->isEnabled());

    // The input box names the cup; cancelled, nothing changes.
    script->expectText(QStringLiteral("Neuer Cup-Parameter"), std::nullopt);
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    EXPECT_EQ(rows(), QStringList{QStringLiteral("Basis=10")});
}
