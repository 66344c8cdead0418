// The cup result modelling window offscreen against the stand-in: nodes dragged out of a discipline
// window's scoring tree become cup scorings or their sources, the parameter question on promotion,
// and the rows' texts, built on the GUI thread from what the worker fetched.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "organisation/ui/DisciplinDialog.h"
#include "scoring/CupResultModelRequests.h"
#include "scoring/ui/AggregatorTreeUI.h"
#include "scoring/ui/CertSetupDialog.h"
#include "scoring/ui/CupResultModellingDialog.h"
#include "scoring/ui/CupsDialog.h"
#include "tests/support/DisciplineWindowEnv.h"
#include "tests/support/RealDrag.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QThread>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

const QString kPromoteCaption = QStringLiteral("Veranstaltungs-Aggregator erstellen");

QStringList rowsOf(const QAbstractItemModel& m)
{
    QStringList rows;
    for (int r = 0; r < m.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m.columnCount(); ++c)
            cells << m.index(r, c).data().toString();
        rows << cells.join(u'|');
    }
    return rows;
}

class CupResultModelWindow : public ::testing::Test, public DisciplineWindowEnv {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(setUpEnv());
        registerScoringWindows(windows);
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        a = client->create(QStringLiteral("Frühjahrssportfest"));
        b = client->create(QStringLiteral("Herbstsportfest"));
        useCompetition(a);
        jump = discipline(a, QStringLiteral("Weitsprung"));
        sprint = discipline(a, QStringLiteral("Sprint"));
        jumpB = discipline(b, QStringLiteral("Weitsprung"));
        GlobalParametersInfoType faktor;
        faktor.Key = QStringLiteral("Faktor");
        faktor.Value = 2;
        client->cms()->setGlobalParameter(a, {faktor});
        StandinSeed seed(standin.dataFile());
        cup = seed.cup(QStringLiteral("Kreiscup"), {a, b});
        seed.cup(QStringLiteral("Stadtcup"), {b});

        w0 = static_cast<TDisciplinForm*>(windows.create(TWindowId::DisciplinListForm0, context));
        form = static_cast<TCupResultModelForm*>(windows.create(TWindowId::CupResultModelForm, context));
    }

    void TearDown() override
    {
        settle();
        EXPECT_TRUE(recorder.confirmation.allAnswered());
        closeWindows();
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

    int discipline(int comp, const QString& name)
    {
        DisciplinInfoType s;
        s.Name = name;
        s.maxParticipantsPerHeat = 8;
        s.ResultTableType.ensure().ResultsPerRow = 3;
        const int id = client->cms()->createDisciplin(s, comp).Disciplin->DisciplinID;
        client->cms()->setUiInfo(QStringLiteral("Disciplin_ResultType"), QStringLiteral("Distance"), id);
        client->cms()->setUiInfo(QStringLiteral("Disciplin_ResultFormat"), QStringLiteral("Default"), id);
        return id;
    }

    int node(int templateId, std::vector<int> sources, const QString& parameter, const QString& label = {})
    {
        ResultAggregatorInstanceInfoType n;
        n.TemplateID = templateId;
        n.ConnectedAggregators = std::move(sources);
        n.Parameters = {parameter};
        const int id = client->cms()->assignResultAggregator(n).CreatedResultAggregator->ID;
        if (!label.isEmpty())
            client->cms()->setUiInfo(QStringLiteral("Label"), label, id);
        return id;
    }

    void openDiscipline(int disc)
    {
        w0->show();
        LoadDisciplineTemplates(windows); // as opening the competition does
        settle();
        selectDisciplineRow(w0, disc);
        settle();
        ASSERT_EQ(w0->currentDiscipline(), disc);
    }

    void openWindow(const QString& cupName)
    {
        windows.show(TWindowId::CupResultModelForm);
        settle();
        const int i = form->ComboBox1->findText(cupName);
        ASSERT_GE(i, 0);
        form->ComboBox1->setCurrentIndex(i);
        emit form->ComboBox1->activated(i);
        settle();
    }

    // Drags the node's box out of the discipline window onto a row of the list (-1: its empty part).
    bool dragNode(int id, int onRow)
    {
        auto* tree = dynamic_cast<TDrawnAggregatorTree*>(w0->aggregatorTree());
        TAggregatorBox* box = tree ? tree->boxOf(id) : nullptr;
        if (!box) {
            ADD_FAILURE() << "no box for " << id;
            return false;
        }
        QTreeView* list = form->ListView1;
        const QPoint at = onRow >= 0 ? list->visualRect(list->model()->index(onRow, 0)).center()
                                     : QPoint(10, list->viewport()->height() - 5);
        RealDrag drag;
        if (!drag.start(*box, box->rect().center())) {
            ADD_FAILURE() << "the box started no drag";
            return false;
        }
        const bool taken = drag.dropOn(*list->viewport(), at);
        settle();
        return taken;
    }

    void selectRow(int row)
    {
        form->ListView1->selectionModel()->select(form->rows().index(row, 0),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    // The node as the discipline's tree answers it; null when it is not there.
    static const ResultAggregatorInstanceType* find(const std::vector<AggregatorTreeNodeType>& nodes, int id)
    {
        for (const AggregatorTreeNodeType& n : nodes) {
            if (n.ID == id)
                return n.AggregatorInfo.get();
            if (const ResultAggregatorInstanceType* found = find(n.OutputConnections, id))
                return found;
        }
        return nullptr;
    }
    std::vector<QString> parametersOf(int disc, int comp, int id)
    {
        const getResultAggregatorTreeResponse1 tree = client->drs()->getResultAggregatorTree(disc, comp);
        const ResultAggregatorInstanceType* n = find(tree, id);
        return n ? n->Parameters : std::vector<QString>{QStringLiteral("<none>")};
    }

    std::vector<int> cupNodes()
    {
        std::vector<int> ids;
        for (const AggregatorTreeNodeType& n : client->crs()->getCupAggregators(cup))
            ids.push_back(n.ID);
        return ids;
    }

    StandinHarness standin;
    std::unique_ptr<StandinClient> client;
    TDisciplinForm* w0 = nullptr;
    TCupResultModelForm* form = nullptr;
    int a = 0, b = 0, jump = 0, sprint = 0, jumpB = 0, cup = 0;
};

} // namespace

TEST_F(CupResultModelWindow, ANodeDroppedOnTheEmptyListAsksAboutItsParametersBeforeItJoinsTheCup)
{
    const int best = node(1, {jump}, QStringLiteral("Faktor"), QStringLiteral("Weite x$(1)"));
    ASSERT_NO_FATAL_FAILURE(openDiscipline(jump));
    windows.show(TWindowId::CupResultModelForm);
    settle();
    EXPECT_EQ(form->ComboBox1->count(), 2);
    EXPECT_FALSE(dragNode(best, -1)) << "no cup chosen";

    ASSERT_NO_FATAL_FAILURE(openWindow(QStringLiteral("Kreiscup")));
    EXPECT_EQ(form->rows().rowCount(), 0);
    recorder.confirmation.expect({false});
    EXPECT_TRUE(dragNode(best, -1));
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, kPromoteCaption);
    EXPECT_FALSE(recorder.confirmation.asked[0].applyToAllOffered);
    EXPECT_TRUE(cupNodes().empty());
    EXPECT_EQ(parametersOf(jump, a, best), std::vector<QString>{QStringLiteral("Faktor")});
    EXPECT_TRUE(recorder.messages.messages.empty());

    recorder.confirmation.expect({true});
    EXPECT_TRUE(dragNode(best, -1));
    EXPECT_EQ(recorder.confirmation.asked.size(), 2u);
    EXPECT_EQ(cupNodes(), std::vector<int>{best});
    EXPECT_EQ(parametersOf(jump, a, best), std::vector<QString>{QStringLiteral("2")});
    EXPECT_EQ(rowsOf(form->rows()), QStringList{QStringLiteral("Weite x2|Bester Versuch|%1").arg(best)});
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join(u'\n').toStdString();
}

TEST_F(CupResultModelWindow, ANodeDroppedOnARowBecomesItsSourceAndTheRowsLeadToTheirDisciplines)
{
    // A cup scoring fed by the sum, and one fed only from the other competition.
    const int sum = node(2, {jump}, QStringLiteral("0"), QStringLiteral("Cupsumme"));
    const int overall = node(3, {sum}, QStringLiteral("0"), QStringLiteral("Gesamt"));
    client->css()->promoteToCupAggregator(overall, cup, false);
    client->css()->promoteToCupAggregator(sum, cup, false);
    const int other = node(2, {jumpB}, QStringLiteral("0"));
    client->css()->promoteToCupAggregator(other, cup, false);
    ASSERT_NO_FATAL_FAILURE(openDiscipline(sprint));
    ASSERT_NO_FATAL_FAILURE(openWindow(QStringLiteral("Kreiscup")));
    ASSERT_EQ(rowsOf(form->rows()),
              (QStringList{QStringLiteral("Gesamt|Rang|%1").arg(overall), QStringLiteral("Cupsumme|Summe|%1").arg(sum),
                           QStringLiteral("Summe|Summe|%1").arg(other)}));

    // The sprint's own results onto the sum: linked, the wait text closed with the answer.
    EXPECT_TRUE(dragNode(sprint, 1));
    EXPECT_EQ(recorder.waits.log.count(QStringLiteral("+Verknüpfe mit Cup")), 1);
    EXPECT_TRUE(recorder.waits.shown.isEmpty());
    std::vector<int> sources;
    for (const DisciplinType& d : client->drs()->getToplevelSourceDisciplines(sum))
        sources.push_back(d.DisciplinID);
    std::sort(sources.begin(), sources.end());
    EXPECT_EQ(sources, (std::vector<int>{jump, sprint}));

    // Fed here directly or through the sum; the third only from the other competition.
    for (const int row : {0, 1}) {
        selectRow(row);
        EXPECT_TRUE(form->InDisziplinfensteranzeigen1->isEnabled()) << row;
        EXPECT_EQ(form->rows().row(row)->discId, jump) << row;
    }
    selectRow(2);
    EXPECT_FALSE(form->InDisziplinfensteranzeigen1->isEnabled());
    EXPECT_TRUE(form->AggregatorausCupentfernen1->isEnabled());

    // Taken out of the cup: back in its competition, gone from the list.
    form->AggregatorausCupentfernen1->trigger();
    settle();
    EXPECT_EQ(rowsOf(form->rows()).size(), 2);
    EXPECT_EQ(cupNodes(), std::vector<int>{sum});
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join(u'\n').toStdString();
}

// A row dragged onto another makes its scoring that one's source, as a discipline node would.
TEST_F(CupResultModelWindow, ARowDraggedOntoAnotherFeedsIt)
{
    const int first = node(2, {jump}, QStringLiteral("0"), QStringLiteral("Sprung A"));
    client->css()->promoteToCupAggregator(first, cup, false);
    const int second = node(2, {jumpB}, QStringLiteral("0"), QStringLiteral("Sprung B"));
    client->css()->promoteToCupAggregator(second, cup, false);
    ASSERT_NO_FATAL_FAILURE(openWindow(QStringLiteral("Kreiscup")));
    ASSERT_EQ(rowsOf(form->rows()).size(), 2);
    QTreeView* list = form->ListView1;
    const int from = form->rows().row(0)->aggId == first ? 0 : 1;
    const QPoint press = list->visualRect(form->rows().index(from, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, press);
    RealDrag drag;
    ASSERT_TRUE(drag.start(*list->viewport(), press));
    EXPECT_TRUE(drag.dropOn(*list->viewport(), list->visualRect(form->rows().index(1 - from, 0)).center()));
    settle();

    const getCupAggregatorsResponse forest = client->crs()->getCupAggregators(cup);
    ASSERT_EQ(forest.size(), 1u);
    EXPECT_EQ(forest[0].ID, first);
    ASSERT_EQ(forest[0].OutputConnections.size(), 1u);
    EXPECT_EQ(forest[0].OutputConnections[0].ID, second);
    EXPECT_EQ(rowsOf(form->rows()).size(), 2);
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join(u'\n').toStdString();
}

TEST_F(CupResultModelWindow, ACupRemovedElsewhereDropsOutAndTheWindowShowsNoCup)
{
    const int sum = node(2, {jump}, QStringLiteral("0"));
    client->css()->promoteToCupAggregator(sum, cup, false);
    ASSERT_NO_FATAL_FAILURE(openWindow(QStringLiteral("Kreiscup")));
    EXPECT_EQ(form->rows().rowCount(), 1);
    // Removed in the cups window, which reloads the cup windows shown.
    auto* cups = static_cast<TCupsForm*>(windows.create(TWindowId::CupsForm, context));
    cups->show();
    settle();
    const QAbstractItemModel* cupTree = cups->TreeView1->model();
    const QModelIndex cupNode = cupTree->index(0, 0, cupTree->index(0, 0));
    ASSERT_EQ(cupNode.data().toString(), QStringLiteral("Kreiscup"));
    const QPoint at = cups->TreeView1->visualRect(cupNode).center();
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, cups->TreeView1->viewport()->mapToGlobal(at));
    QApplication::sendEvent(cups->TreeView1->viewport(), &menu);
    cups->PopupMenu1->hide();
    script->expectMessage(QStringLiteral("Cup-Wertung löschen?"), TMsgAnswer::Yes);
    cups->Entfernen1->trigger();
    settle();
    EXPECT_EQ(form->currentCup(), 0);
    EXPECT_EQ(form->ComboBox1->count(), 1);
    EXPECT_EQ(form->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(form->rows().rowCount(), 0);
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join(u'\n').toStdString();
}

// The organiser's way through: the sum promoted in one competition, fed in the other from its own
// discipline window, and its finishers read in the cup's data view opened from the cups window.
TEST_F(CupResultModelWindow, ACupSumFedInEachCompetitionShowsItsFinishersInTheCupDataView)
{
    StandinSeed seed(standin.dataFile());
    const int c = seed.competition(QStringLiteral("Hallensportfest"));
    const int jumpC = seed.discipline(c, QStringLiteral("Weitsprung"));
    using enum ResultValueType;
    seed.measured(jump, seed.athlete(a, QStringLiteral("Anna"), QStringLiteral("Muster")), 1, Distance, 30);
    seed.measured(jump, seed.athlete(a, QStringLiteral("Ben"), QStringLiteral("Berg")), 1, Distance, 20);
    seed.measured(jumpB, seed.athlete(b, QStringLiteral("Anna"), QStringLiteral("Muster")), 1, Distance, 25);
    seed.measured(jumpB, seed.athlete(b, QStringLiteral("Clara"), QStringLiteral("Creutz")), 1, Distance, 40);
    seed.measured(jumpC, seed.athlete(c, QStringLiteral("Anna"), QStringLiteral("Muster")), 1, Distance, 28);
    CupInfoDataType info;
    info.Name = QStringLiteral("Sommercup");
    info.MinTeamParticipations = 2;
    info.MinAthleteParticipations = 2;
    const int summer = client->css()->createCup(Owned<CupInfoDataType>(info)).CupID;
    client->css()->assignCompetitions(summer, {a, b});
    const int sum = node(2, {jump}, QStringLiteral("0"), QStringLiteral("Cupsumme"));
    client->cms()->setUiInfo(QStringLiteral("ResAgg_VisCertificate"), QStringLiteral("true"), sum);

    ASSERT_NO_FATAL_FAILURE(openDiscipline(jump));
    ASSERT_NO_FATAL_FAILURE(openWindow(QStringLiteral("Sommercup")));
    EXPECT_TRUE(dragNode(sum, -1));
    ASSERT_EQ(rowsOf(form->rows()), QStringList{QStringLiteral("Cupsumme|Summe|%1").arg(sum)});
    // The other competition: its discipline window's own results onto the row.
    useCompetition(b);
    w0->reloadFormData(false);
    settle();
    ASSERT_NO_FATAL_FAILURE(openDiscipline(jumpB));
    form->reloadFormData(false);
    settle();
    EXPECT_TRUE(dragNode(jumpB, 0));
    EXPECT_EQ(form->rows().row(0)->discId, jumpB);

    // The cups window's "Ergebnisse/Urkunden..." and a compilation of the sum.
    auto* cups = static_cast<TCupsForm*>(windows.create(TWindowId::CupsForm, context));
    auto* cert = static_cast<TCertForm*>(windows.create(TWindowId::CupCertForm, context));
    auto* dataView = windows.create(TWindowId::DataViewForm, context);
    cups->show();
    settle();
    const QAbstractItemModel* cupTree = cups->TreeView1->model();
    const QModelIndex root = cupTree->index(0, 0);
    QModelIndex cupNode;
    for (int i = 0; i < cupTree->rowCount(root); ++i)
        if (cupTree->index(i, 0, root).data().toString() == QStringLiteral("Sommercup"))
            cupNode = cupTree->index(i, 0, root);
    ASSERT_TRUE(cupNode.isValid());
    QTest::mouseClick(cups->TreeView1->viewport(), Qt::LeftButton, Qt::NoModifier,
                      cups->TreeView1->visualRect(cupNode).center());
    QTest::mouseClick(cups->ButtonCert, Qt::LeftButton);
    settle();
    ASSERT_TRUE(cert->isVisible());
    QTreeView* available = cert->ListView1;
    int row = -1;
    for (int r = 0; r < available->model()->rowCount(); ++r)
        if (available->model()->index(r, 1).data().toString() == QStringLiteral("Cupsumme"))
            row = r;
    ASSERT_GE(row, 0) << rowsOf(*available->model()).join(u'\n').toStdString();
    {
        const QPoint press = available->visualRect(available->model()->index(row, 1)).center();
        QTest::mouseClick(available->viewport(), Qt::LeftButton, Qt::NoModifier, press);
        RealDrag drag;
        ASSERT_TRUE(drag.start(*available->viewport(), press));
        ASSERT_TRUE(drag.dropOn(*cert->ListView2->viewport(), QPoint(10, cert->ListView2->viewport()->height() - 5)));
    }
    QTest::mouseClick(cert->Button4, Qt::LeftButton);
    settle();

    // The sum's value per finisher, in the data view's order.
    auto shown = [&] {
        QTest::mouseClick(cert->Button2, Qt::LeftButton);
        settle();
        EXPECT_TRUE(dataView->isVisible());
        auto* list = dataView->findChild<QTreeView*>(QStringLiteral("ListView1"));
        const QAbstractItemModel* m = list->model();
        int column = -1;
        for (int col = 0; col < m->columnCount(); ++col)
            if (m->headerData(col, Qt::Horizontal).toString().startsWith(QStringLiteral("Cupsumme")))
                column = col;
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, 0).data().toString() + u'=' + m->index(r, column).data().toString();
        return out;
    };
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Anna=55,00m")});

    QTest::keyClick(cups->UpDownMinAthlete, Qt::Key_Down);
    QTest::mouseClick(cups->ButtonSave, Qt::LeftButton);
    settle();
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("Anna=55,00m"), QStringLiteral("Ben=20,00m"),
                                    QStringLiteral("Clara=40,00m")}));

    // A third competition, and the cup's parameter dropping the worst value.
    client->css()->assignCompetitions(summer, {c});
    client->cms()->connectProviderToResultAggregator(sum, jumpC);
    GlobalParametersInfoType drop;
    drop.Key = QStringLiteral("Anzahl Streichwerte");
    drop.Value = 1;
    client->css()->setCupParameter(summer, {drop});
    ResultAggregatorInstanceInfoType dropOne;
    dropOne.TemplateID = 2;
    dropOne.ConnectedAggregators = {jump, jumpB, jumpC};
    dropOne.Parameters = {QStringLiteral("Anzahl Streichwerte")};
    client->cms()->modifyAssignedResultAggregator(sum, dropOne);
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("Anna=58,00m"), QStringLiteral("Ben=20,00m"),
                                    QStringLiteral("Clara=40,00m")}));
    // No item was marked done: every load says so.
    EXPECT_EQ(
        recorder.messages.lines(),
        QStringList(3, QStringLiteral("Daten laden: WARNUNG: Cup enthält noch nicht zugeordnete Athleten einzelner "
                                      "Veranstaltungen.")));
}

// ---- the rows, without a server ------------------------------------------------------------------

namespace {

ResultAggregatorTemplateType templateOf(int id, const QString& name)
{
    ResultAggregatorTemplateType t;
    t.ID = id;
    t.Name = name;
    return t;
}

AggregatorTreeNodeType treeNode(int id, int templateId, std::vector<AggregatorTreeNodeType> feeds = {})
{
    AggregatorTreeNodeType n;
    n.ID = id;
    ResultAggregatorInstanceType instance;
    instance.ID = id;
    instance.TemplateID = templateId;
    instance.Parameters = {QStringLiteral("3")};
    n.AggregatorInfo = Owned<ResultAggregatorInstanceType>(std::move(instance));
    n.OutputConnections = std::move(feeds);
    return n;
}

UiInfoKeyValuePair label(int id, const QString& text)
{
    UiInfoKeyValuePair p;
    p.Key = makeUiInfoKey(QStringLiteral("Label"), id);
    p.Value = text;
    return p;
}

} // namespace

TEST(CupResultModelRows, TextsAndFeedingDisciplinesComeFromTheAnswerWithTemplatesAskedOnlyWhileBuilding)
{
    TCupAggResponse answer;
    // 31 and 33 draw on competitions; 32 on 31. Only 31 has a source in the current competition.
    answer.forest = {treeNode(31, 2, {treeNode(32, 3)}), treeNode(33, 2)};
    answer.tlDiscCompInfo = {{31, 5, 7}};
    answer.labels = {label(31, QStringLiteral("Summe ohne $(1)")), label(32, {}), label(33, {})};

    std::vector<ResultAggregatorTemplateType> templates{templateOf(2, QStringLiteral("Summe")),
                                                        templateOf(3, QStringLiteral("Rang"))};
    int asked = 0;
    const TTemplateLookup lookup = [&](int id) -> const ResultAggregatorTemplateType* {
        ++asked;
        for (const ResultAggregatorTemplateType& t : templates)
            if (t.ID == id)
                return &t;
        return nullptr;
    };
    TCupAggListModel model;
    model.setRows(cupAggRows(answer, lookup, {}));
    EXPECT_GT(asked, 0);
    // What a reload of the discipline window does to the templates: the rows hold their own texts.
    templates.clear();
    asked = 0;
    // In the tree's order, the fed node above.
    EXPECT_EQ(rowsOf(model), (QStringList{"Rang|Rang|32", "Summe ohne 3|Summe|31", "Summe|Summe|33"}));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(model.row(0)->discId, 5);
    EXPECT_EQ(model.row(0)->compId, 7);
    EXPECT_EQ(model.row(2)->compId, 0);

    // A row drags as the cup scoring it shows.
    aggDragObject() = {};
    std::unique_ptr<QMimeData> mime(model.mimeData({model.index(2, 0)}));
    ASSERT_TRUE(mime);
    EXPECT_EQ(mime->data(QString::fromLatin1(kAggregatorMimeType)), QByteArray("33"));
    EXPECT_EQ(aggDragObject().Id, 33);
    EXPECT_EQ(aggDragObject().aggType, TAggregatorType::ag_CupRef);
}

// The discipline windows replace their templates on every reload: the window asks them only on the
// GUI thread, when the answer is shown.
TEST_F(CupResultModelWindow, TheTemplatesAreAskedOnlyOnTheGuiThread)
{
    const int sum = node(2, {jump}, QStringLiteral("0"));
    client->css()->promoteToCupAggregator(sum, cup, false);
    ASSERT_NO_FATAL_FAILURE(openDiscipline(jump));

    class WatchedDisciplines : public QWidget, public IDisciplineWindows {
    public:
        explicit WatchedDisciplines(IDisciplineWindows& real) : real_(real) {}
        void ShowDisciplinForm(QObject* sender, int discId, int aggId) override {}
        void reloadDisciplinForms(bool) override {}
        bool isDiscVisible() const override { return false; }
        std::optional<TDisciplineInfo> getLatestDiscInfo(int id) const override { return real_.getLatestDiscInfo(id); }
        const ResultAggregatorTemplateType* getTemplateById(int id) const override
        {
            threads.push_back(QThread::currentThread());
            return real_.getTemplateById(id);
        }
        mutable std::vector<QThread*> threads;

    private:
        IDisciplineWindows& real_;
    };
    // In the discipline window's place; it answers from the real one.
    WatchedDisciplines watched(*w0);
    windows.place(TWindowId::DisciplinListForm0, &watched);
    ASSERT_NO_FATAL_FAILURE(openWindow(QStringLiteral("Kreiscup")));
    EXPECT_EQ(rowsOf(form->rows()), QStringList{QStringLiteral("Summe|Summe|%1").arg(sum)});
    ASSERT_FALSE(watched.threads.empty());
    for (QThread* t : watched.threads)
        EXPECT_EQ(t, QCoreApplication::instance()->thread());
    windows.place(TWindowId::DisciplinListForm0, w0);
}
