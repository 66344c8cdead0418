// The template windows offscreen against the stand-in, opened from the discipline window as a user
// does: a discipline saved as a template in one competition and imported into another, parameters
// and references mapped through the context menus and real drags, an overall scoring whose input
// is connected to three disciplines, and files the windows refuse.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "core/util/ShellClock.h"
#include "organisation/ui/DisciplinDialog.h"
#include "organisation/ui/OrganisationWindows.h"
#include "scoring/ui/AggregatorTreeUI.h"
#include "scoring/ui/ScoringWindows.h"
#include "setup/TemplateFiles.h"
#include "setup/ui/GlobalParameterDialog.h"
#include "setup/ui/LoadDiscTemplateDialog.h"
#include "setup/ui/LoadResultsTemplateDialog.h"
#include "setup/ui/SaveDiscTemplateDialog.h"
#include "setup/ui/SaveResultsTemplateDialog.h"
#include "setup/ui/SetupWindows.h"
#include "setup/ui/TemplateWindowParts.h"
#include "scoring/AggregatorTreeModel.h"
#include "tests/setup/TemplateTestData.h"
#include "tests/support/DisciplineWindowEnv.h"
#include "tests/support/RealDrag.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

const QString kSaveDisc = QStringLiteral("Disziplinvorlage speichern");
const QString kLoadDisc = QStringLiteral("Disziplinvorlage importieren");
const QString kLoadRes = QStringLiteral("Gesamtwertungsvorlage importieren");

using ExportNode = TExportAggregatorTreeNodeType;
using ExportAggregators = TExportAggregators;

QByteArray golden(const char* name)
{
    QFile f(QStringLiteral(TVP_TEMPLATE_GOLDEN "/") + QString::fromLatin1(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

// One input "Mehrkampf": a sum over whatever the import connects to it.
ExportAggregators mehrkampf()
{
    ExportAggregators inputs;
    ExportNode& sum = inputs.Aggregators.emplace_back();
    sum.ID = 700;
    sum.name = QStringLiteral("Mehrkampf");
    sum.AggregatorInfo.ensure().TemplateID = 2;
    sum.AggregatorInfo->Parameters = {QStringLiteral("0")};
    return inputs;
}

// The file "Speichern" writes for the seeded "Weitsprung": ids are those of the exporting competition.
QByteArray expectedExport(int weit, int best)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<tvp:DisciplinTemplate xmlns:tvp=\"http://trivanta.example/Trivanta/Pentrel/Templates\">\n"
                          "  <DisciplinInfo>\n"
                          "    <Name>Weitsprung</Name>\n"
                          "    <ResultAssignment>byAthleteOrTeam</ResultAssignment>\n"
                          "    <ResultTableType>\n"
                          "      <Team>false</Team>\n"
                          "      <ResultsPerRow>3</ResultsPerRow>\n"
                          "      <LowerValuesAreHigherRanked>false</LowerValuesAreHigherRanked>\n"
                          "    </ResultTableType>\n"
                          "    <AgeClassID>0</AgeClassID>\n"
                          "    <SquadAssignment>teamGrouped</SquadAssignment>\n"
                          "    <maxParticipantsPerHeat>8</maxParticipantsPerHeat>\n"
                          "  </DisciplinInfo>\n"
                          "  <ResultType>Distance</ResultType>\n"
                          "  <ResultFormat>rf_Default</ResultFormat>\n"
                          "  <GlobalParameters>\n"
                          "    <Parameters>\n"
                          "      <Name>Faktor</Name>\n"
                          "      <DefaultValue>1.5</DefaultValue>\n"
                          "    </Parameters>\n"
                          "  </GlobalParameters>\n"
                          "  <OutputConnections>\n"
                          "    <ID>%1</ID>\n"
                          "    <OutputConnections>\n"
                          "      <ID>%2</ID>\n"
                          "      <AggregatorInfo>\n"
                          "        <TemplateID>1</TemplateID>\n"
                          "        <Parameters>Faktor</Parameters>\n"
                          "        <ID>0</ID>\n"
                          "      </AggregatorInfo>\n"
                          "      <name>Bester Sprung</name>\n"
                          "      <VisAnalysis>true</VisAnalysis>\n"
                          "      <VisCertificate>false</VisCertificate>\n"
                          "      <externalConnections>\n"
                          "        <id>1</id>\n"
                          "        <refLabel>Gesamt</refLabel>\n"
                          "      </externalConnections>\n"
                          "    </OutputConnections>\n"
                          "    <VisAnalysis>false</VisAnalysis>\n"
                          "    <VisCertificate>false</VisCertificate>\n"
                          "  </OutputConnections>\n"
                          "</tvp:DisciplinTemplate>\n")
        .arg(weit)
        .arg(best)
        .toUtf8();
}

class TemplateWindows : public ::testing::Test, public DisciplineWindowEnv {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(setUpEnv());
        registerSetupWindows(windows);

        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        compA = client->create(QStringLiteral("Sportfest A"));
        compB = client->create(QStringLiteral("Sportfest B"));
        useCompetition(compA);

        w0 = static_cast<TDisciplinForm*>(windows.create(TWindowId::DisciplinListForm0, context));
        w1 = static_cast<TDisciplinForm*>(windows.create(TWindowId::DisciplinListForm1, context));
        parameters = static_cast<TGlobalParameterForm*>(windows.create(TWindowId::GlobalParameterForm, context));
        saveDisc = static_cast<TSaveDiscTemplateForm*>(windows.create(TWindowId::SaveDiscTemplateForm, context));
        loadDisc = static_cast<TLoadDiscTemplateForm*>(windows.create(TWindowId::LoadDiscTemplateForm, context));
        saveRes = static_cast<TSaveResultsTemplateForm*>(windows.create(TWindowId::SaveResultsTemplateForm, context));
        loadRes = static_cast<TLoadResultsTemplateForm*>(windows.create(TWindowId::LoadResultsTemplateForm, context));
    }

    void TearDown() override
    {
        settle();
        closeWindows();
        restoreEnv();
        standin.stop();
    }

    // The program's way to another competition: the windows forget the old one, the parameters reload.
    void switchTo(int id)
    {
        useCompetition(id);
        for (TDisciplinForm* w : {w0, w1}) {
            w->unload();
            w->hide();
        }
        parameters->showGlobalParameterForm(0);
        settle();
        parameters->hide();
    }

    void settle()
    {
        for (int round = 0; round < 3; ++round) {
            EXPECT_TRUE(waitUntil(
                [this] {
                    return runningRequestCount() == 0 && w0->pendingRequests() == 0 && w1->pendingRequests() == 0 &&
                           parameters->pendingRequests() == 0 && saveDisc->pendingRequests() == 0 &&
                           loadDisc->pendingRequests() == 0 && saveRes->pendingRequests() == 0 &&
                           loadRes->pendingRequests() == 0;
                },
                10000));
            QTest::qWait(20);
        }
    }

    int createDisc(int comp, const QString& name, int attempts = 3, int heatSize = 8)
    {
        DisciplinInfoType s;
        s.Name = name;
        s.maxParticipantsPerHeat = heatSize;
        s.SquadAssignment = SquadAssignmentType::teamGrouped;
        s.ResultTableType.ensure().ResultsPerRow = attempts;
        const int id = client->cms()->createDisciplin(s, comp).Disciplin->DisciplinID;
        client->cms()->setUiInfo(QStringLiteral("Disciplin_ResultType"), QStringLiteral("Distance"), id);
        client->cms()->setUiInfo(QStringLiteral("Disciplin_ResultFormat"), QStringLiteral("Default"), id);
        return id;
    }

    int node(int templateId, std::vector<int> sources, QStringList params)
    {
        ResultAggregatorInstanceInfoType n;
        n.TemplateID = templateId;
        n.ConnectedAggregators = std::move(sources);
        n.Parameters = {params.begin(), params.end()};
        return client->cms()->assignResultAggregator(n).CreatedResultAggregator->ID;
    }

    void setParameter(int comp, const QString& name, double value)
    {
        GlobalParametersInfoType p;
        p.Key = name;
        p.Value = value;
        client->cms()->setGlobalParameter(comp, {p});
    }

    void label(int id, const QString& key, const QString& value) { client->cms()->setUiInfo(key, value, id); }
    QString info(const QString& key, int id) { return client->drs()->getUiInfo(key, id).Value; }

    void openDiscipline(TDisciplinForm* w, int discId)
    {
        w->show();
        settle();
        selectDisciplineRow(w, discId);
        settle();
        ASSERT_EQ(w->currentDiscipline(), discId);
    }

    TDrawnAggregatorTree* tree(TDisciplinForm* w) const
    {
        return dynamic_cast<TDrawnAggregatorTree*>(w->aggregatorTree());
    }

    // Opens the list's context menu over the row with the mouse, as the user's right click does.
    static void contextMenuAt(QTreeView* list, const QModelIndex& item, QMenu* menu)
    {
        const QPoint at = list->visualRect(item).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &event);
        ASSERT_TRUE(menu->isVisible());
        menu->hide();
    }

    // Types text into the list's open in-place editor and confirms with Enter.
    static void typeInEditor(QAbstractItemView* list, const QString& text)
    {
        const QList<QLineEdit*> editors = list->viewport()->findChildren<QLineEdit*>();
        ASSERT_EQ(editors.size(), 1);
        editors[0]->selectAll();
        QTest::keyClicks(editors[0], text);
        QTest::keyClick(editors[0], Qt::Key_Return);
        QCoreApplication::processEvents(); // the delegate commits after the key
    }

    static QStringList rowTexts(const QTreeView* list)
    {
        const QAbstractItemModel* model = list->model();
        QStringList out;
        for (int i = 0; i < model->rowCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells << model->index(i, c).data().toString();
            out << cells.join(u'|');
        }
        return out;
    }

    // The list's row (or a row below parent), as the view shows it.
    static QModelIndex rowAt(const QTreeView* list, int row, int column = 0, const QModelIndex& parent = {})
    {
        return list->model()->index(row, column, parent);
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    StandinHarness standin;
    std::unique_ptr<StandinClient> client;
    int compA = 0;
    int compB = 0;
    TDisciplinForm* w0 = nullptr;
    TDisciplinForm* w1 = nullptr;
    TGlobalParameterForm* parameters = nullptr;
    TSaveDiscTemplateForm* saveDisc = nullptr;
    TLoadDiscTemplateForm* loadDisc = nullptr;
    TSaveResultsTemplateForm* saveRes = nullptr;
    TLoadResultsTemplateForm* loadRes = nullptr;
};

} // namespace

TEST_F(TemplateWindows, ADisciplineSavedAsTemplateIsRebuiltInAnotherCompetition)
{
    setParameter(compA, QStringLiteral("Faktor"), 1.5);
    const int weit = createDisc(compA, QStringLiteral("Weitsprung"));
    const int best = node(1, {weit}, {QStringLiteral("Faktor")});
    label(best, QStringLiteral("Label"), QStringLiteral("Bester Sprung"));
    label(best, QStringLiteral("ResAgg_VisAnalysis"), QStringLiteral("true"));
    const int sprint = createDisc(compA, QStringLiteral("Sprint"));
    const int team = node(2, {best, sprint}, {QStringLiteral("0")});
    label(team, QStringLiteral("Label"), QStringLiteral("Mannschaft"));
    switchTo(compA);
    w0->LoadTemplates();
    openDiscipline(w0, weit);

    // "Als Vorlage speichern": the file chosen, then the window; the interface renamed with F2.
    const QString file = dir.filePath(QStringLiteral("Weitsprung.qdt"));
    script->expectFile(kSaveDisc, file);
    script->expectWindow(kSaveDisc, [&](QWidget&) {
        EXPECT_EQ(saveDisc->NameEdit->text(), QStringLiteral("Weitsprung"));
        EXPECT_EQ(rowTexts(saveDisc->ParamListView), QStringList{QStringLiteral("Faktor|1,5|Faktor")});
        QTreeView* interfaces = saveDisc->InterfaceTreeView;
        EXPECT_EQ(rowTexts(interfaces), QStringList{QStringLiteral("Bester Sprung")});
        const QModelIndex ref = rowAt(interfaces, 0, 0, rowAt(interfaces, 0));
        EXPECT_EQ(ref.data().toString(), QStringLiteral("Mannschaft"));
        contextMenuAt(interfaces, ref, saveDisc->InterfacePopupMenu);
        EXPECT_FALSE(saveDisc->NeueSchnittstelledefinieren1->isEnabled()) << "only on a named node";
        saveDisc->Schnittstelleumbenennen1->trigger();
        typeInEditor(interfaces, QStringLiteral("Gesamt"));
        EXPECT_EQ(ref.data().toString(), QStringLiteral("Gesamt"));
        QTest::mouseClick(saveDisc->SaveButton, Qt::LeftButton);
        EXPECT_TRUE(waitUntil([&] { return !saveDisc->isVisible(); }, 10000));
        return 0;
    });
    QTest::mouseClick(w0->SaveTemplateButton, Qt::LeftButton);
    settle();
    EXPECT_TRUE(recorder.messages.lines().isEmpty()) << recorder.messages.lines().join(u'\n').toStdString();
    EXPECT_EQ(info(QStringLiteral("ResultsOutputConnections0"), best), QStringLiteral("Gesamt"));
    EXPECT_EQ(info(QStringLiteral("ResultsTopLevelConnection0"), team), QStringLiteral("Gesamt"));
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(written.readAll()), QString::fromUtf8(expectedExport(weit, best)));

    // Competition B has a "Gesamt" interface of its own, shown in the window the import starts from.
    switchTo(compB);
    const int sprintB = createDisc(compB, QStringLiteral("Sprint"));
    const int teamB = node(2, {sprintB}, {QStringLiteral("0")});
    label(teamB, QStringLiteral("Label"), QStringLiteral("Mannschaft B"));
    label(teamB, QStringLiteral("ResultsTopLevelConnection0"), QStringLiteral("Gesamt"));
    w0->LoadTemplates();
    openDiscipline(w0, sprintB);

    script->expectFile(kLoadDisc, file);
    QTest::mouseClick(w0->ImportTemplateButton, Qt::LeftButton);
    settle();
    ASSERT_TRUE(loadDisc->isVisible());
    EXPECT_EQ(loadDisc->DiscNameEdit->text(), QStringLiteral("Weitsprung"));
    EXPECT_EQ(loadDisc->PresetComboBox->currentText(), QStringLiteral("Nach Teams gruppieren"));
    EXPECT_EQ(loadDisc->MaxPerHeatUpDown->value(), 8);
    EXPECT_EQ(rowTexts(loadDisc->ParamListView), QStringList{QStringLiteral("Faktor|Neu: Faktor|1,5")});
    EXPECT_EQ(rowTexts(loadDisc->ReferenceListView),
              QStringList{QStringLiteral("Gesamt|Mannschaft B (%1)").arg(-teamB)});

    // A new value through the context menu, typed as Germans write it.
    QTreeView* params = loadDisc->ParamListView;
    contextMenuAt(params, rowAt(params, 0), loadDisc->ParamPopupMenu);
    ASSERT_TRUE(loadDisc->mapping().FWertfestlegen->isEnabled());
    script->expectText(QStringLiteral("Wert für Parameter festlegen"), QStringLiteral("2,5"));
    loadDisc->mapping().FWertfestlegen->trigger();
    EXPECT_EQ(rowAt(params, 0, 2).data().toString(), QStringLiteral("2,5"));

    QTest::mouseClick(loadDisc->ImportButton, Qt::LeftButton);
    settle();
    EXPECT_TRUE(recorder.messages.lines().isEmpty()) << recorder.messages.lines().join(u'\n').toStdString();
    EXPECT_FALSE(loadDisc->isVisible());

    // Read back from competition B's server side.
    DisciplinType created;
    for (const DisciplinType& d : client->drs()->getDisciplines(compB, nullptr, 0))
        if (d.Name == QStringLiteral("Weitsprung"))
            created = d;
    ASSERT_NE(created.DisciplinID, 0);
    EXPECT_EQ(w0->currentDiscipline(), created.DisciplinID) << "the discipline window shows it";
    EXPECT_EQ(created.maxParticipantsPerHeat, 8);
    EXPECT_EQ(created.SquadAssignment, SquadAssignmentType::teamGrouped);
    ASSERT_TRUE(created.ResultTableType);
    EXPECT_EQ(created.ResultTableType->ResultsPerRow, 3);
    EXPECT_EQ(info(QStringLiteral("Disciplin_ResultType"), created.DisciplinID), QStringLiteral("Distance"));
    const auto roots = client->drs()->getResultAggregatorTree(created.DisciplinID, compB);
    ASSERT_EQ(roots.size(), 1u);
    ASSERT_EQ(roots[0].OutputConnections.size(), 1u);
    const AggregatorTreeNodeType& newBest = roots[0].OutputConnections[0];
    ASSERT_TRUE(newBest.AggregatorInfo);
    EXPECT_EQ(newBest.AggregatorInfo->TemplateID, 1);
    EXPECT_EQ(newBest.AggregatorInfo->Parameters, std::vector<QString>{QStringLiteral("Faktor")});
    ASSERT_EQ(newBest.OutputConnections.size(), 1u) << "connected to the assigned overall scoring";
    EXPECT_EQ(newBest.OutputConnections[0].ID, teamB);
    EXPECT_EQ(info(QStringLiteral("Label"), newBest.ID), QStringLiteral("Bester Sprung"));
    EXPECT_EQ(info(QStringLiteral("ResAgg_VisAnalysis"), newBest.ID), QStringLiteral("true"));
    EXPECT_EQ(info(QStringLiteral("ResultsOutputConnections0"), newBest.ID), QStringLiteral("Gesamt"));
    const auto paramsB = client->drs()->getGlobalParameters(compB);
    ASSERT_EQ(paramsB.size(), 1u);
    EXPECT_EQ(paramsB[0].Key, QStringLiteral("Faktor"));
    EXPECT_DOUBLE_EQ(paramsB[0].Value, 2.5);
}

TEST_F(TemplateWindows, TheSaveWindowWritesTheGoldenFileFromTheUsersChoices)
{
    setParameter(compA, QStringLiteral("Faktor"), 1.5);
    setParameter(compA, QStringLiteral("Streich"), 2);
    switchTo(compA);
    const TDisciplineInfo disc = goldenDiscipline();
    TAggregatorTreeModel tree(
        goldenTreeRoots(), {10}, [](int) { return nullptr; }, &disc);
    tree.setLabelsToAggTree(goldenTreeLabels(), 0);

    const QString file = dir.filePath(QStringLiteral("Sprint.qdt"));
    script->expectFile(kSaveDisc, file);
    script->expectWindow(kSaveDisc, [&](QWidget&) {
        // The name typed on at its end, "Faktor" renamed with F2, "Streich" unticked with the space bar.
        saveDisc->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(saveDisc));
        saveDisc->NameEdit->setFocus();
        QTest::keyClick(saveDisc->NameEdit, Qt::Key_End);
        QTest::keyClicks(saveDisc->NameEdit, QStringLiteral(" U10"));
        QTreeView* params = saveDisc->ParamListView;
        EXPECT_EQ(rowTexts(params),
                  (QStringList{QStringLiteral("Faktor|1,5|Faktor"), QStringLiteral("Streich|2|Streich")}));
        params->setCurrentIndex(rowAt(params, 0, 1));
        QTest::keyClick(params, Qt::Key_F2);
        EXPECT_TRUE(params->viewport()->findChildren<QLineEdit*>().isEmpty()) << "the value is the competition's";
        params->setCurrentIndex(rowAt(params, 0, 0));
        QTest::keyClick(params, Qt::Key_F2);
        typeInEditor(params, QStringLiteral("Faktor Sprint"));
        params->setCurrentIndex(rowAt(params, 1, 0));
        QTest::keyClick(params, Qt::Key_Space);
        EXPECT_EQ(rowAt(params, 1).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);

        // "Summe" keeps its interface into "Gesamt" and gets a new one.
        QTreeView* interfaces = saveDisc->InterfaceTreeView;
        const QModelIndexList found = interfaces->model()->match(rowAt(interfaces, 0), Qt::DisplayRole,
                                                                 QStringLiteral("Summe"), 1, Qt::MatchExactly);
        EXPECT_FALSE(found.isEmpty());
        if (found.isEmpty())
            return 0;
        const QModelIndex summe = found.front();
        contextMenuAt(interfaces, summe, saveDisc->InterfacePopupMenu);
        EXPECT_FALSE(saveDisc->BestehendeSchnittstellen1->menuAction()->isEnabled()) << "Gesamt is listed";
        saveDisc->NeueSchnittstelledefinieren1->trigger();
        typeInEditor(interfaces, QStringLiteral("Neu"));
        EXPECT_EQ(interfaces->model()->rowCount(summe), 2);
        QTest::mouseClick(saveDisc->SaveButton, Qt::LeftButton);
        EXPECT_TRUE(waitUntil([&] { return !saveDisc->isVisible(); }, 10000));
        return 0;
    });
    saveDisc->ShowTemplateSaveDialog(tree);
    settle();
    EXPECT_TRUE(recorder.messages.lines().isEmpty()) << recorder.messages.lines().join(u'\n').toStdString();
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(written.readAll()), QString::fromUtf8(golden("discipline.qdt")));
    EXPECT_EQ(info(QStringLiteral("ResultsOutputConnections1"), 21), QStringLiteral("Neu"));
}

TEST_F(TemplateWindows, AnImportTheServerRefusesShowsWhyAndLeavesNothing)
{
    const int lauf = createDisc(compA, QStringLiteral("Lauf"));
    const int teamNode = node(5, {lauf}, {QStringLiteral("2")});
    switchTo(compA);
    w0->LoadTemplates();
    openDiscipline(w0, lauf);
    QByteArray team = golden("discipline.qdt");
    team.replace("<Team>false</Team>", "<Team>true</Team>");
    script->expectFile(kLoadDisc, writeFile(QStringLiteral("Staffel.qdt"), team));
    QTest::mouseClick(w0->ImportTemplateButton, Qt::LeftButton);
    settle();
    ASSERT_TRUE(loadDisc->isVisible());
    QTreeView* refs = loadDisc->ReferenceListView;
    {
        RealDrag drag;
        QWidget* box = tree(w0)->boxOf(teamNode);
        ASSERT_TRUE(drag.start(*box, box->rect().center()));
        ASSERT_TRUE(drag.dropOn(*refs->viewport(), refs->visualRect(rowAt(refs, 0)).center()));
    }
    QTest::mouseClick(loadDisc->ImportButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{kLoadDisc + QStringLiteral(": Die Disziplinvorlage kann nicht importiert werden, da der "
                                                     "Ergebnis-Aggregator \"Team: Beste N\" das zugeordnete "
                                                     "Eingabeformat nicht unterstützt. Vermutlich passt die Disziplin "
                                                     "nicht zu einer der gewählten Gesamtwertungen.")});
    EXPECT_TRUE(loadDisc->isVisible()) << "open for another choice";
    EXPECT_TRUE(loadDisc->ImportButton->isEnabled());
    EXPECT_EQ(client->drs()->getDisciplines(compA, nullptr, 0).size(), 1u);
    EXPECT_TRUE(client->drs()->getGlobalParameters(compA).empty());
    QTest::mouseClick(loadDisc->CancelButton, Qt::LeftButton);
}

TEST_F(TemplateWindows, ParametersAndReferencesAreMappedFromTheMenusAndByRealDrags)
{
    setParameter(compA, QStringLiteral("Faktor"), 3);
    setParameter(compA, QStringLiteral("Punkte"), 4);
    const int sprint = createDisc(compA, QStringLiteral("Sprint"));
    const int wurf = createDisc(compA, QStringLiteral("Wurf"));
    const int team = node(2, {wurf}, {QStringLiteral("0")});
    label(team, QStringLiteral("Label"), QStringLiteral("Mannschaft"));
    switchTo(compA);
    w0->LoadTemplates();
    w1->LoadTemplates();
    openDiscipline(w0, sprint);
    openDiscipline(w1, wurf);

    TDiscTemplateContent content;
    content.DisciplinInfo.Name = QStringLiteral("Ballwurf");
    content.DisciplinInfo.ResultTableType.ensure().ResultsPerRow = 2;
    content.GlobalParameters.Parameters = {{QStringLiteral("Faktor"), 2, {}}, {QStringLiteral("Bonus"), 1, {}}};
    ExportNode root;
    root.ID = 500;
    ExportNode inner;
    inner.ID = 501;
    inner.AggregatorInfo.ensure().TemplateID = 1;
    inner.AggregatorInfo->Parameters = {QStringLiteral("Bonus")};
    inner.externalConnections = {{1, QStringLiteral("Team")}, {2, QStringLiteral("Cup")}};
    root.OutputConnections.push_back(inner);
    content.OutputConnections.push_back(root);
    const QString file = writeFile(QStringLiteral("Ballwurf.qdt"), writeDiscTemplate(content));

    script->expectFile(kLoadDisc, file);
    QTest::mouseClick(w0->ImportTemplateButton, Qt::LeftButton);
    settle();
    ASSERT_TRUE(loadDisc->isVisible());
    // A parameter the competition has is used with the competition's value.
    QTreeView* params = loadDisc->ParamListView;
    EXPECT_EQ(rowTexts(params),
              (QStringList{QStringLiteral("Faktor|->Faktor|3"), QStringLiteral("Bonus|Neu: Bonus|1")}));
    TParameterUIMapping& mapping = loadDisc->mapping();

    contextMenuAt(params, rowAt(params, 0), loadDisc->ParamPopupMenu);
    EXPECT_FALSE(mapping.FWertfestlegen->isEnabled()) << "a mapped parameter keeps the competition's value";
    EXPECT_TRUE(mapping.FNamefrneuenParameter->isEnabled());
    QStringList offered;
    for (QAction* a : mapping.FBestehendemParameterzuordnen->actions())
        offered << a->text();
    EXPECT_EQ(offered, (QStringList{QStringLiteral("Faktor"), QStringLiteral("Punkte")}));

    // "Bonus" mapped onto "Punkte"; "Faktor" renamed to a new parameter, then a value that is no number.
    contextMenuAt(params, rowAt(params, 1), loadDisc->ParamPopupMenu);
    mapping.FBestehendemParameterzuordnen->actions().at(1)->trigger();
    contextMenuAt(params, rowAt(params, 0), loadDisc->ParamPopupMenu);
    script->expectText(QStringLiteral("Neuer globaler Parameter"), QStringLiteral("Faktor2"));
    mapping.FNamefrneuenParameter->trigger();
    contextMenuAt(params, rowAt(params, 0), loadDisc->ParamPopupMenu);
    ASSERT_TRUE(mapping.FWertfestlegen->isEnabled());
    script->expectText(QStringLiteral("Wert für Parameter festlegen"), QStringLiteral("abc"));
    script->expectMessage(QStringLiteral("Wert für Parameter festlegen"), TMsgAnswer::Ok);
    mapping.FWertfestlegen->trigger();
    EXPECT_EQ(rowTexts(params),
              (QStringList{QStringLiteral("Faktor|Neu: Faktor2|3"), QStringLiteral("Bonus|->Punkte|4")}));
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Ungültige Zahl"));

    // References: a scoring node dragged with the mouse from the other window onto a row; the
    // discipline's own results node is refused.
    QTreeView* refs = loadDisc->ReferenceListView;
    EXPECT_EQ(rowTexts(refs), (QStringList{QStringLiteral("Team|-"), QStringLiteral("Cup|-")}));
    const QPoint row0 = refs->visualRect(rowAt(refs, 0)).center();
    const QPoint row1 = refs->visualRect(rowAt(refs, 1)).center();
    {
        RealDrag drag;
        QWidget* box = tree(w1)->boxOf(team);
        ASSERT_TRUE(drag.start(*box, box->rect().center()));
        EXPECT_TRUE(drag.dropOn(*refs->viewport(), row0));
    }
    {
        RealDrag drag;
        QWidget* box = tree(w1)->boxOf(wurf);
        ASSERT_TRUE(drag.start(*box, box->rect().center()));
        EXPECT_FALSE(drag.dropOn(*refs->viewport(), row1));
    }
    EXPECT_EQ(rowTexts(refs),
              (QStringList{QStringLiteral("Team|Mannschaft (%1)").arg(-team), QStringLiteral("Cup|-")}));
    contextMenuAt(refs, rowAt(refs, 0), loadDisc->ReferencePopupMenu);
    loadDisc->AlleReferenzenentfernen1->trigger();
    EXPECT_EQ(rowTexts(refs), (QStringList{QStringLiteral("Team|-"), QStringLiteral("Cup|-")}));

    // Nothing connected: asked first; "Nein" sends nothing.
    const QString question =
        QStringLiteral("Disziplin wurde mit keiner Gesamtwertung verknüpft.\r\nDies sollte später "
                       "noch beim Importieren einer Gesamtwertung oder manuell in Disziplinfenster "
                       "erfolgen. Fortfahren?");
    script->expectMessage(kLoadDisc, TMsgAnswer::No);
    QTest::mouseClick(loadDisc->ImportButton, Qt::LeftButton);
    EXPECT_EQ(script->seen.back().text, question);
    EXPECT_EQ(loadDisc->pendingRequests(), 0u);
    script->expectMessage(kLoadDisc, TMsgAnswer::Yes);
    QTest::mouseClick(loadDisc->ImportButton, Qt::LeftButton);
    settle();
    EXPECT_TRUE(recorder.messages.lines().isEmpty()) << recorder.messages.lines().join(u'\n').toStdString();
    EXPECT_FALSE(loadDisc->isVisible());

    QStringList stored;
    for (const GlobalParametersType& p : client->drs()->getGlobalParameters(compA))
        stored << p.Key + QLatin1Char('=') + QString::number(p.Value);
    stored.sort();
    EXPECT_EQ(stored,
              (QStringList{QStringLiteral("Faktor2=3"), QStringLiteral("Faktor=3"), QStringLiteral("Punkte=4")}));
    const int ballwurf = w0->currentDiscipline();
    const auto roots = client->drs()->getResultAggregatorTree(ballwurf, compA);
    ASSERT_EQ(roots.size(), 1u);
    ASSERT_EQ(roots[0].OutputConnections.size(), 1u);
    EXPECT_EQ(roots[0].OutputConnections[0].AggregatorInfo->Parameters, std::vector<QString>{QStringLiteral("Punkte")});
}

TEST_F(TemplateWindows, AnOverallScoringInputDraggedOntoThreeDisciplinesIsCreatedWithAllThree)
{
    const int d1 = createDisc(compA, QStringLiteral("Weit"));
    const int d2 = createDisc(compA, QStringLiteral("Hoch"));
    const int d3 = createDisc(compA, QStringLiteral("Lauf"));
    switchTo(compA);
    w0->LoadTemplates();
    w1->LoadTemplates();
    openDiscipline(w0, d1);
    openDiscipline(w1, d2);

    const ExportAggregators inputs = mehrkampf();
    const QString file = writeFile(QStringLiteral("Mehrkampf.qrt"), writeResultsTemplate(false, {}, inputs));

    script->expectFile(kLoadRes, file);
    QTest::mouseClick(w0->ImportResultsTemplateButton, Qt::LeftButton);
    settle();
    ASSERT_TRUE(loadRes->isVisible());
    QTreeView* inputsView = loadRes->InterfaceTreeView;
    const QAbstractItemModel* connected = inputsView->model();
    ASSERT_EQ(connected->rowCount(), 1);
    const QModelIndex input = rowAt(inputsView, 0);
    EXPECT_EQ(input.data().toString(), QStringLiteral("Mehrkampf"));
    EXPECT_FALSE(loadRes->ParamGroupBox->isVisible()) << "no parameters";

    const auto dragOnto = [&](TDisciplinForm* from, int id, const QModelIndex& target) {
        RealDrag drag;
        QWidget* box = tree(from)->boxOf(id);
        ASSERT_TRUE(box);
        ASSERT_TRUE(drag.start(*box, box->rect().center()));
        EXPECT_TRUE(drag.dropOn(*inputsView->viewport(), inputsView->visualRect(target).center()));
    };
    dragOnto(w0, d1, input);
    dragOnto(w1, d2, input);
    dragOnto(w1, d2, input); // the same twice is one connection
    openDiscipline(w1, d3);
    dragOnto(w1, d3, rowAt(inputsView, 0, 0, input)); // a row below an input counts for the input
    ASSERT_EQ(connected->rowCount(input), 3);
    EXPECT_EQ(rowAt(inputsView, 2, 0, input).data().toString(), QStringLiteral("Ergebnisse Lauf (%1)").arg(-d3));

    // "Entfernen" on a connection takes it away; dragged again, it is back.
    contextMenuAt(inputsView, rowAt(inputsView, 2, 0, input), loadRes->InterfacePopupMenu);
    ASSERT_TRUE(loadRes->Entfernen1->isEnabled());
    loadRes->Entfernen1->trigger();
    ASSERT_EQ(connected->rowCount(input), 2);
    EXPECT_NE(rowAt(inputsView, 1, 0, input).data().toString(), QStringLiteral("Ergebnisse Lauf (%1)").arg(-d3));
    dragOnto(w1, d3, input);
    ASSERT_EQ(connected->rowCount(input), 3);

    // "Entfernen" only on a connection.
    inputsView->setCurrentIndex(input);
    contextMenuAt(inputsView, input, loadRes->InterfacePopupMenu);
    EXPECT_FALSE(loadRes->Entfernen1->isEnabled());

    QTest::mouseClick(loadRes->ImportButton, Qt::LeftButton);
    settle();
    EXPECT_TRUE(recorder.messages.lines().isEmpty()) << recorder.messages.lines().join(u'\n').toStdString();
    EXPECT_FALSE(loadRes->isVisible());
    int created = 0;
    for (int d : {d1, d2, d3}) {
        const auto roots = client->drs()->getResultAggregatorTree(d, compA);
        ASSERT_EQ(roots.size(), 1u);
        ASSERT_EQ(roots[0].OutputConnections.size(), 1u) << d;
        const int id = roots[0].OutputConnections[0].ID;
        EXPECT_TRUE(created == 0 || created == id) << "one node fed by all three";
        created = id;
    }
    EXPECT_EQ(info(QStringLiteral("ResultsTopLevelConnection0"), created), QStringLiteral("Mehrkampf"));
}

TEST_F(TemplateWindows, FilesThatCannotBeImportedShowTheirMessagesAndNoWindow)
{
    const int d1 = createDisc(compA, QStringLiteral("Weit"));
    switchTo(compA);
    w0->LoadTemplates();
    openDiscipline(w0, d1);
    const auto importResults = [&](const QString& file) {
        recorder.messages.messages.clear();
        script->expectFile(kLoadRes, file);
        QTest::mouseClick(w0->ImportResultsTemplateButton, Qt::LeftButton);
        settle();
        return recorder.messages.lines();
    };

    const ExportAggregators inputs = mehrkampf();
    EXPECT_EQ(importResults(writeFile(QStringLiteral("Cup.qrt"), writeResultsTemplate(true, {}, inputs))),
              QStringList{kLoadRes + QStringLiteral(": Ungültiges Format der Gesamtwertungsvorlage: Import vom "
                                                    "Cup-Vorlagen wird noch nicht unterstützt.")});
    EXPECT_FALSE(loadRes->isVisible());

    const QByteArray wrongRoot = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tvp:DisciplinTemplate "
                                 "xmlns:tvp=\"http://trivanta.example/Trivanta/Pentrel/Templates\" />\n";
    EXPECT_EQ(
        importResults(writeFile(QStringLiteral("Falsch.qrt"), wrongRoot)),
        (QStringList{kLoadRes + QStringLiteral(": Ungültiges Format der Gesamtwertungsvorlage: "
                                               "\"ResultsTemplate\"-Root-Element nicht gefunden."),
                     kLoadRes + QStringLiteral(": Ungültiges Format der Gesamtwertungsvorlage: \"Inputs\"-Sektion "
                                               "nicht gefunden.")}));
    EXPECT_FALSE(loadRes->isVisible());

    recorder.messages.messages.clear();
    script->expectFile(kLoadDisc, writeFile(QStringLiteral("Falsch.qdt"), "<?xml version=\"1.0\"?>\n<Other />\n"));
    QTest::mouseClick(w0->ImportTemplateButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{kLoadDisc + QStringLiteral(": Ungültiges Format der Disziplinvorlage: "
                                                     "\"DisciplinTemplate\"-Root-Element nicht gefunden.")});
    EXPECT_FALSE(loadDisc->isVisible());

    // An input connected to nothing fails the import, and nothing stays.
    EXPECT_TRUE(
        importResults(writeFile(QStringLiteral("Mehrkampf.qrt"), writeResultsTemplate(false, {}, inputs))).isEmpty());
    ASSERT_TRUE(loadRes->isVisible());
    QTest::mouseClick(loadRes->ImportButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{kLoadRes + QStringLiteral(": Keine passenden Disziplinen für die Gesamtwertung "
                                                    "\"Mehrkampf.qrt\" gefunden.")});
    EXPECT_TRUE(loadRes->isVisible());
    EXPECT_TRUE(client->drs()->getResultAggregatorTree(d1, compA).at(0).OutputConnections.empty());
    QTest::mouseClick(loadRes->CancelButton, Qt::LeftButton);
    EXPECT_FALSE(loadRes->isVisible());
}

TEST_F(TemplateWindows, AnExportThatCannotWriteItsFileReportsItAndLeavesTheServerAsItWas)
{
    const int weit = createDisc(compA, QStringLiteral("Weitsprung"));
    const int best = node(1, {weit}, {QStringLiteral("1")});
    label(best, QStringLiteral("Label"), QStringLiteral("Bester Sprung"));
    const int sprint = createDisc(compA, QStringLiteral("Sprint"));
    node(2, {best, sprint}, {QStringLiteral("0")});
    switchTo(compA);
    w0->LoadTemplates();
    openDiscipline(w0, weit);

    // The folder of the chosen name is a file: the write fails after the interface keys were sent.
    writeFile(QStringLiteral("kein-Ordner"), "x");
    script->expectFile(kSaveDisc, dir.filePath(QStringLiteral("kein-Ordner/Weitsprung.qdt")));
    script->expectWindow(kSaveDisc, [&](QWidget&) {
        const QTreeView* interfaces = saveDisc->InterfaceTreeView;
        EXPECT_EQ(interfaces->model()->rowCount(rowAt(interfaces, 0)), 1);
        QTest::mouseClick(saveDisc->SaveButton, Qt::LeftButton);
        // The discipline window's request waits for this window to return; only ours is awaited.
        EXPECT_TRUE(waitUntil([&] { return saveDisc->pendingRequests() == 0; }, 10000));
        EXPECT_TRUE(saveDisc->isVisible()) << "stays open for another try";
        EXPECT_TRUE(saveDisc->SaveButton->isEnabled());
        QTest::mouseClick(saveDisc->CancelButton, Qt::LeftButton);
        return 0;
    });
    QTest::mouseClick(w0->SaveTemplateButton, Qt::LeftButton);
    settle();
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Disziplinvorlage exportieren"));
    EXPECT_TRUE(info(QStringLiteral("ResultsOutputConnections0"), best).isEmpty()) << "taken back";
}

// Under Xvfb: TVP_SCREENSHOT_SECONDS keeps the import window open, TVP_SCREENSHOT_FILE saves the screen.
TEST_F(TemplateWindows, ImportWindowShownForAScreenshot)
{
    const int seconds = qEnvironmentVariableIntValue("TVP_SCREENSHOT_SECONDS");
    if (seconds <= 0)
        GTEST_SKIP() << "only with TVP_SCREENSHOT_SECONDS";
    setParameter(compA, QStringLiteral("Faktor"), 1.5);
    const int sprint = createDisc(compA, QStringLiteral("Sprint 30 m"));
    const int team = node(2, {sprint}, {QStringLiteral("0")});
    label(team, QStringLiteral("Label"), QStringLiteral("Mannschaftswertung"));
    label(team, QStringLiteral("ResultsTopLevelConnection0"), QStringLiteral("Team"));
    switchTo(compA);
    w0->LoadTemplates();
    w0->move(0, 0);
    openDiscipline(w0, sprint);

    TDiscTemplateContent content;
    content.DisciplinInfo.Name = QStringLiteral("Ballwurf");
    content.DisciplinInfo.ResultTableType.ensure().ResultsPerRow = 3;
    content.DisciplinInfo.maxParticipantsPerHeat = 6;
    content.GlobalParameters.Parameters = {{QStringLiteral("Faktor"), 2, {}}, {QStringLiteral("Bonus"), 0.5, {}}};
    ExportNode root;
    root.ID = 500;
    ExportNode& inner = root.OutputConnections.emplace_back();
    inner.ID = 501;
    inner.AggregatorInfo.ensure().TemplateID = 1;
    inner.AggregatorInfo->Parameters = {QStringLiteral("Faktor")};
    inner.externalConnections = {{1, QStringLiteral("Team")}, {2, QStringLiteral("Kreiscup")}};
    content.OutputConnections.push_back(root);
    script->expectFile(kLoadDisc, writeFile(QStringLiteral("Ballwurf.qdt"), writeDiscTemplate(content)));
    QTest::mouseClick(w0->ImportTemplateButton, Qt::LeftButton);
    settle();
    ASSERT_TRUE(loadDisc->isVisible());
    loadDisc->move(420, 40);
    loadDisc->resize(600, 640);
    waitUntil([] { return false; }, seconds * 1000);
    if (const QString file = qEnvironmentVariable("TVP_SCREENSHOT_FILE"); !file.isEmpty()) {
        EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(file));
    }
    loadDisc->hide();
}

TEST_F(TemplateWindows, AReferenceFoundInAnotherAgeClassIsDroppedWhenTheAgeClassChanges)
{
    StandinSeed seed(standin.dataFile());
    const int u10 = seed.ageClass(compA, QStringLiteral("U10"));
    const int u12 = seed.ageClass(compA, QStringLiteral("U12"));
    DisciplinInfoType s;
    s.Name = QStringLiteral("Sprint U10");
    s.AgeClassID = u10;
    s.ResultTableType.ensure().ResultsPerRow = 1;
    const int sprint = client->cms()->createDisciplin(s, compA).Disciplin->DisciplinID;
    const int team = node(2, {sprint}, {QStringLiteral("0")});
    label(team, QStringLiteral("Label"), QStringLiteral("Mannschaft U10"));
    label(team, QStringLiteral("ResultsTopLevelConnection3"), QStringLiteral("gesamt"));
    switchTo(compA);
    w0->LoadTemplates();
    openDiscipline(w0, sprint);

    script->expectFile(kLoadDisc, writeFile(QStringLiteral("Sprint.qdt"), golden("discipline.qdt")));
    QTest::mouseClick(w0->ImportTemplateButton, Qt::LeftButton);
    settle();
    ASSERT_TRUE(loadDisc->isVisible());
    QComboBox* ages = loadDisc->AgeClassComboBox;
    ASSERT_TRUE(ages->isEnabled());
    EXPECT_EQ(ages->count(), 3);
    EXPECT_EQ(ages->currentText(), QStringLiteral("Keine Zuordnung"));
    QTreeView* refs = loadDisc->ReferenceListView;
    const QString assigned = QStringLiteral("Gesamt|Mannschaft U10 (%1)").arg(-team);
    EXPECT_EQ(rowTexts(refs), (QStringList{assigned, QStringLiteral("Neu|-")})) << "labels compare in any case";

    // Down the list with the keyboard: U10 keeps the connection, U12 drops it, back to U10 finds it.
    ages->setFocus();
    QTest::keyClick(ages, Qt::Key_Down);
    EXPECT_EQ(ages->currentData().toInt(), u10);
    EXPECT_EQ(rowTexts(refs).value(0), assigned);
    QTest::keyClick(ages, Qt::Key_Down);
    EXPECT_EQ(ages->currentData().toInt(), u12);
    EXPECT_EQ(rowTexts(refs).value(0), QStringLiteral("Gesamt|-"));
    QTest::keyClick(ages, Qt::Key_Up);
    EXPECT_EQ(rowTexts(refs).value(0), assigned);
    QTest::mouseClick(loadDisc->CancelButton, Qt::LeftButton);
}

TEST_F(TemplateWindows, TheOverallScoringSaveWindowWritesTheGoldenFileUnderTheInterfaceNameTyped)
{
    setParameter(compA, QStringLiteral("N"), 3);
    switchTo(compA);
    const TDisciplineInfo disc = goldenDiscipline();
    auto tree = std::make_unique<TAggregatorTreeModel>(
        goldenTreeRoots(), std::vector<int>{10}, [](int) { return nullptr; }, &disc);
    tree->setLabelsToAggTree(goldenTreeLabels(), 0);

    const QString file = dir.filePath(QStringLiteral("Team.qrt"));
    script->expectFile(QStringLiteral("Gesamtwertungsvorlage speichern"), file);
    script->expectWindow(QStringLiteral("Gesamtwertungsvorlage speichern"), [&](QWidget&) {
        EXPECT_EQ(rowTexts(saveRes->ParamListView), QStringList{QStringLiteral("N|3|N")});
        QTreeView* interfaces = saveRes->InterfaceListView;
        EXPECT_EQ(rowTexts(interfaces), QStringList{QStringLiteral("Gesamt|Gesamt|-30")});
        interfaces->setCurrentIndex(rowAt(interfaces, 0));
        QTest::keyClick(interfaces, Qt::Key_F2);
        typeInEditor(interfaces, QStringLiteral("Team-Wertung"));
        QTest::mouseClick(saveRes->SaveButton, Qt::LeftButton);
        EXPECT_TRUE(waitUntil([&] { return !saveRes->isVisible(); }, 10000));
        return 0;
    });
    saveRes->ShowTemplateSaveDialog({30}, {30}, std::move(tree));
    settle();
    EXPECT_TRUE(recorder.messages.lines().isEmpty()) << recorder.messages.lines().join(u'\n').toStdString();
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(written.readAll()), QString::fromUtf8(golden("overall.qrt")));
    EXPECT_EQ(info(QStringLiteral("ResultsTopLevelConnection0"), 30), QStringLiteral("Team-Wertung"));
    EXPECT_EQ(info(QStringLiteral("ResultsOutputConnections0"), 21), QStringLiteral("Team-Wertung"));
}
