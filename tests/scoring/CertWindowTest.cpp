// The compilation window on the stand-in: what it offers, compositions made by real drags, saving,
// renaming, removing and a compilation whose source lost its mark; the cup window and repeated
// load failures on a fake server.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/protocol/WebServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "core/util/ShellClock.h"
#include "core/ui/MainWindowServices.h"
#include "core/services/ResultCaptureServices.h"
#include "results/ui/ResultWindows.h"
#include "scoring/CertDocTools.h"
#include "scoring/ui/CertSetupDialog.h"
#include "scoring/ui/CupCertSetupDialog.h"
#include "scoring/ui/ScoringWindows.h"
#include "tests/support/FakeOpener.h"
#include "tests/support/FakeServer.h"
#include "tests/support/RealDrag.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

class FakeDataView : public QWidget, public IDataViewForm {
public:
    void ShowData(const QString& name, int collectionId, const std::vector<TAggInfo>& aggs,
                  const std::vector<int>& orderIndices, bool testMode, bool cupMode, int cupId) override
    {
        QStringList labels;
        for (const TAggInfo& a : aggs)
            labels << a.aggLabel + (a.multidisc ? QStringLiteral("*") : QString());
        QStringList order;
        for (int i : orderIndices)
            order << QString::number(i);
        shown << QStringLiteral("%1 %2 [%3] [%4] %5 %6 %7")
                     .arg(name)
                     .arg(collectionId)
                     .arg(labels.join(u'|'), order.join(u','))
                     .arg(testMode)
                     .arg(cupMode)
                     .arg(cupId);
    }
    QStringList shown;
};

class FakeCups : public QWidget, public ICupsForm {
public:
    void ReloadCupWindows() override {}
    QString getCupName() override { return name; }
    QString name;
};

// Rows of a list, cells joined by "|", in the shown order.
QStringList rowsOf(const QTreeView* view)
{
    QStringList rows;
    const QAbstractItemModel* m = view->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << m->index(r, c).data().toString();
        rows << cells.join(u'|');
    }
    return rows;
}

class CertWindowBase : public ::testing::Test {
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
        registerScoringWindows(windows);
        windows.place(TWindowId::DataViewForm, &dataView);
    }

    void TearDown() override
    {
        settle();
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        windows.destroyAll();
        setDialogs(nullptr);
        setShellClockForTests({});
        AppPaths::setProgramDirForTests({});
        AppPaths::setCommonAppDataDirForTests({});
    }

    void settle()
    {
        for (int round = 0; round < 3; ++round) {
            EXPECT_TRUE(waitUntil(
                [this] { return runningRequestCount() == 0 && (!form || form->pendingRequests() == 0); }, 10000));
            QTest::qWait(20);
        }
    }

    QStringList messages() const { return recorder.messages.lines(); }

    // Selects the available rows with the given texts (Ctrl held) and drags them to the compilation's
    // row (-1: below the last row).
    bool dragAvailable(const QStringList& rows, int onRow)
    {
        QTreeView* from = form->ListView1;
        from->clearSelection();
        QPoint press;
        for (const QString& text : rows) {
            const int r = rowsOf(from).indexOf(text);
            if (r < 0) {
                ADD_FAILURE() << "no available row " << text.toStdString();
                return false;
            }
            press = from->visualRect(from->model()->index(r, 1)).center();
            QTest::mouseClick(from->viewport(), Qt::LeftButton, Qt::ControlModifier, press);
        }
        return dragTo(*from, press, onRow);
    }

    bool dragTo(QTreeView& from, QPoint press, int onRow)
    {
        QTreeView* to = form->ListView2;
        const QPoint at = onRow >= 0 ? to->visualRect(to->model()->index(onRow, 1)).center()
                                     : QPoint(10, to->viewport()->height() - 5);
        RealDrag drag;
        if (!drag.start(*from.viewport(), press))
            return false;
        return drag.dropOn(*to->viewport(), at);
    }

    QTemporaryDir dir;
    qint64 now = 1'000'000;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    ScriptedDialogs* script = nullptr;
    FakeDataView dataView;
    TCertForm* form = nullptr;
};

class CertWindow : public CertWindowBase {
protected:
    void SetUp() override
    {
        CertWindowBase::SetUp();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        comp = client->create(QStringLiteral("Kinderleichtathletik"));
        auto c = std::make_unique<CompetitionType>();
        c->ID = comp;
        competition.SetCompetitionInternal(std::move(c));

        StandinSeed seed(standin.dataFile());
        jump = seed.discipline(comp, QStringLiteral("Weitsprung"));
        sprint = seed.discipline(comp, QStringLiteral("Sprint"));
        best = node({jump}, QStringLiteral("Bester"), true);
        hidden = node({jump}, QStringLiteral("Summe"), false);
        overall = node({best, sprint}, QStringLiteral("Gesamt"), true);

        form = static_cast<TCertForm*>(windows.create(TWindowId::CertForm, context));
    }

    void TearDown() override
    {
        CertWindowBase::TearDown();
        standin.stop();
    }

    int node(std::vector<int> sources, const QString& label, bool forCertificates)
    {
        ResultAggregatorInstanceInfoType n;
        n.TemplateID = 2;
        n.ConnectedAggregators = std::move(sources);
        n.Parameters = {QStringLiteral("0")};
        const int id = client->cms()->assignResultAggregator(n).CreatedResultAggregator->ID;
        client->cms()->setUiInfo(QStringLiteral("Label"), label, id);
        client->cms()->setUiInfo(QStringLiteral("ResAgg_VisCertificate"),
                                 forCertificates ? QStringLiteral("true") : QStringLiteral("false"), id);
        return id;
    }

    void open()
    {
        windows.show(TWindowId::CertForm);
        settle();
    }

    std::unique_ptr<UiRetrievalPortType> uir()
    {
        return GetUiRetrievalPortType(false, QString::fromStdString(client->url("UiRetrievalService")), &client->rio);
    }
    std::unique_ptr<UiStorePortType> uis()
    {
        return GetUiStorePortType(false, QString::fromStdString(client->url("UiStoreService")), &client->rio);
    }

    // The stored compilations: name and ids.
    QStringList stored()
    {
        QStringList out;
        for (const aggregatorCollectionType& c : uir()->getAggregatorCollection(comp, 0)) {
            QStringList ids;
            for (int id : c.AggIds)
                ids << QString::number(id);
            out << c.Name + QStringLiteral(": ") + ids.join(u',');
        }
        return out;
    }

    QString ids(std::initializer_list<int> list)
    {
        QStringList out;
        for (int id : list)
            out << QString::number(id);
        return out.join(u',');
    }

    void typeName(const QString& text)
    {
        QApplication::setActiveWindow(form);
        form->Edit1->setFocus();
        QTest::keyClick(form->Edit1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(form->Edit1, Qt::Key_Delete);
        QTest::keyClicks(form->Edit1, text);
    }

    StandinHarness standin;
    std::unique_ptr<StandinClient> client;
    int comp = 0, jump = 0, sprint = 0, best = 0, hidden = 0, overall = 0;
};

} // namespace

TEST_F(CertWindow, OffersMarkedNodesAndPlainResultsWithTheirDisciplines)
{
    open();
    EXPECT_TRUE(form->ListView1->isEnabled());
    // Sorted by "Disziplin" until the user clicks another column.
    EXPECT_EQ(rowsOf(form->ListView1),
              (QStringList{QStringLiteral("Sprint|Leistungen"), QStringLiteral("Weitsprung|Bester"),
                           QStringLiteral("Weitsprung|Leistungen"), QStringLiteral("Weitsprung, Sprint|Gesamt")}));
    // Nothing stored yet: the new compilation, which cannot be saved over anything.
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("Neue Urkunde"));
    EXPECT_EQ(form->currentCertId(), 0);
    EXPECT_FALSE(form->Button1->isEnabled());
    EXPECT_FALSE(form->Button2->isEnabled());
    EXPECT_TRUE(form->CheckResultsButton->isVisible());
    EXPECT_TRUE(messages().isEmpty()) << messages().join(u'\n').toStdString();
}

TEST_F(CertWindow, DropsFromTheAvailableDataKeepEachResultOnceAndLandAboveTheRowInReverse)
{
    open();
    ASSERT_TRUE(dragAvailable({QStringLiteral("Weitsprung, Sprint|Gesamt")}, -1));
    // Two rows onto the first: above it, the one lower in the list first.
    ASSERT_TRUE(dragAvailable({QStringLiteral("Weitsprung|Leistungen"), QStringLiteral("Sprint|Leistungen")}, 0));
    EXPECT_EQ(rowsOf(form->ListView2),
              (QStringList{QStringLiteral("Weitsprung|Leistungen"), QStringLiteral("Sprint|Leistungen"),
                           QStringLiteral("Weitsprung, Sprint|Gesamt")}));
    // Below the last row: appended in list order.
    ASSERT_TRUE(dragAvailable({QStringLiteral("Weitsprung|Bester")}, -1));
    EXPECT_EQ(form->templateItems().ids(), (std::vector<int>{jump, sprint, overall, best}));

    // The same node again adds nothing and selects its row.
    form->ListView2->clearSelection();
    ASSERT_TRUE(dragAvailable({QStringLiteral("Weitsprung, Sprint|Gesamt")}, 0));
    EXPECT_EQ(form->templateItems().ids(), (std::vector<int>{jump, sprint, overall, best}));
    const QModelIndexList selected = form->ListView2->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.front().row(), 2);

    // A row of the compilation dragged onto the first moves there.
    const QPoint last = form->ListView2->visualRect(form->ListView2->model()->index(3, 1)).center();
    QTest::mouseClick(form->ListView2->viewport(), Qt::LeftButton, Qt::NoModifier, last);
    ASSERT_TRUE(dragTo(*form->ListView2, last, 0));
    EXPECT_EQ(form->templateItems().ids(), (std::vector<int>{best, jump, sprint, overall}));

    // Delete takes the selected row off.
    QApplication::setActiveWindow(form);
    form->ListView2->setFocus();
    form->ListView2->setCurrentIndex(form->ListView2->model()->index(1, 0));
    QTest::keyClick(form->ListView2, Qt::Key_Delete);
    EXPECT_EQ(form->templateItems().ids(), (std::vector<int>{best, sprint, overall}));
}

TEST_F(CertWindow, SavingNewAndChangedCompilationsAndRenamingBack)
{
    open();
    ASSERT_TRUE(dragAvailable({QStringLiteral("Weitsprung|Bester"), QStringLiteral("Sprint|Leistungen")}, -1));

    // A blank name is refused, and the button is usable again.
    typeName(QStringLiteral("   "));
    QTest::mouseClick(form->Button4, Qt::LeftButton);
    settle();
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Urkundenvorlage anlegen: Kein Vorlagename eingegeben")});
    EXPECT_TRUE(form->Button4->isEnabled());
    EXPECT_TRUE(stored().isEmpty());

    typeName(QStringLiteral(" U10 / Jungen "));
    QTest::mouseClick(form->Button4, Qt::LeftButton);
    settle();
    ASSERT_EQ(stored(), QStringList{QStringLiteral("U10 / Jungen: ") + ids({sprint, best})});
    // The new compilation is selected and being edited, with nothing left to save.
    EXPECT_NE(form->currentCertId(), 0);
    EXPECT_EQ(rowsOf(form->ListView3), QStringList{QStringLiteral("U10 / Jungen")});
    EXPECT_EQ(form->ListView3->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("U10 / Jungen"));
    EXPECT_FALSE(form->Button1->isEnabled());
    EXPECT_TRUE(form->Button2->isEnabled());

    // Renaming enables saving; renaming back disables it again.
    QApplication::setActiveWindow(form);
    form->Edit1->setFocus();
    QTest::keyClick(form->Edit1, Qt::Key_End);
    QTest::keyClick(form->Edit1, Qt::Key_X);
    EXPECT_TRUE(form->Button1->isEnabled());
    QTest::keyClick(form->Edit1, Qt::Key_Backspace);
    EXPECT_FALSE(form->Button1->isEnabled());

    // Only the order changed is a change too; saved with the new order.
    const QPoint last = form->ListView2->visualRect(form->ListView2->model()->index(1, 1)).center();
    QTest::mouseClick(form->ListView2->viewport(), Qt::LeftButton, Qt::NoModifier, last);
    ASSERT_TRUE(dragTo(*form->ListView2, last, 0));
    EXPECT_TRUE(form->Button1->isEnabled());
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    settle();
    EXPECT_EQ(stored(), QStringList{QStringLiteral("U10 / Jungen: ") + ids({best, sprint})});
    EXPECT_FALSE(form->Button1->isEnabled());

    // The data view gets the rows, the name and the id.
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    EXPECT_EQ(dataView.shown,
              QStringList{QStringLiteral("U10 / Jungen %1 [Bester#Weitsprung|Leistungen#Sprint] [] 1 0 0")
                              .arg(form->currentCertId())});
}

TEST_F(CertWindow, ASourceThatLostItsMarkIsSkippedWithAMessageAndRemovalAsks)
{
    const int kept = uis()
                         ->storeAggregatorCollection(comp, 0,
                                                     Owned<AggregatorCollectionInfoType>(AggregatorCollectionInfoType{
                                                         QStringLiteral("Gesamtwertung"), {overall, best}, {}}))
                         .newAggregatorCollection->Id;
    client->cms()->setUiInfo(QStringLiteral("ResAgg_VisCertificate"), QStringLiteral("false"), best);
    open();
    const QPoint first = form->ListView3->visualRect(form->ListView3->model()->index(0, 0)).center();
    QTest::mouseClick(form->ListView3->viewport(), Qt::LeftButton, Qt::NoModifier, first);
    EXPECT_EQ(form->currentCertId(), kept);
    EXPECT_EQ(form->templateItems().ids(), std::vector<int>{overall});
    EXPECT_EQ(messages(),
              QStringList{QStringLiteral("Urkundenvorlage laden: Eine Datenquelle der Urkunde (ID=%1) steht "
                                         "nicht mehr zur Verfügung und wurde übersprungen.")
                              .arg(best)});
    // Shown without it, the compilation differs from the stored one.
    EXPECT_TRUE(form->Button1->isEnabled());

    // Removal asks first; "Nein" keeps it.
    script->expectMessage(QStringLiteral("Urkunde löschen?"), TMsgAnswer::No);
    QApplication::setActiveWindow(form);
    form->ListView3->setFocus();
    QTest::keyClick(form->ListView3, Qt::Key_Delete);
    settle();
    EXPECT_EQ(stored().size(), 1);
    script->expectMessage(QStringLiteral("Urkunde löschen?"), TMsgAnswer::Yes);
    QTest::keyClick(form->ListView3, Qt::Key_Delete);
    settle();
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_TRUE(rowsOf(form->ListView3).isEmpty());
}

class FakeResultCheck : public QWidget, public IResultCheckForm {
public:
    void checkWarnings(const std::vector<int>& ids, bool showOkMessage) override
    {
        checked.push_back(ids);
        okMessage = showOkMessage;
    }
    std::vector<std::vector<int>> checked;
    bool okMessage = false;
};

TEST_F(CertWindow, AnotherCompilationIsChosenOnlyWhenTheUserLetsTheChangesGo)
{
    for (const auto& [name, id] : {std::pair{QStringLiteral("A"), jump}, std::pair{QStringLiteral("B"), sprint}})
        uis()->storeAggregatorCollection(
            comp, 0, Owned<AggregatorCollectionInfoType>(AggregatorCollectionInfoType{name, {id}, {}}));
    FakeResultCheck check;
    windows.place(TWindowId::ResultCheckForm, &check);
    open();
    QApplication::setActiveWindow(form);
    QTest::mouseClick(form->ListView3->viewport(), Qt::LeftButton, Qt::NoModifier,
                      form->ListView3->visualRect(form->ListView3->model()->index(0, 0)).center());
    ASSERT_EQ(form->Edit1->text(), QStringLiteral("A"));
    typeName(QStringLiteral("A2"));
    ASSERT_TRUE(form->Button1->isEnabled());

    const QString question = QStringLiteral("Urkunden / Ergebniszusammenstellungen");
    script->expectMessage(question, TMsgAnswer::No);
    form->ListView3->setFocus();
    QTest::keyClick(form->ListView3, Qt::Key_Down);
    // Kept: A stays selected and edited.
    EXPECT_EQ(form->ListView3->selectionModel()->selectedRows().value(0).row(), 0);
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("A2"));

    script->expectMessage(question, TMsgAnswer::Yes);
    QTest::keyClick(form->ListView3, Qt::Key_Down);
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("B"));
    EXPECT_EQ(form->templateItems().ids(), std::vector<int>{sprint});
    EXPECT_FALSE(form->Button1->isEnabled());

    // The plausibility check gets the compilation's results.
    QTest::mouseClick(form->CheckResultsButton, Qt::LeftButton);
    EXPECT_EQ(check.checked, (std::vector<std::vector<int>>{{sprint}}));
    EXPECT_TRUE(check.okMessage);

    // "Neue Vorlage" of the rows' menu: the empty new compilation, its name ready to be typed over.
    form->NeueVorlage1->trigger();
    EXPECT_EQ(form->currentCertId(), 0);
    EXPECT_EQ(form->Edit1->selectedText(), QStringLiteral("Neue Urkunde"));
    EXPECT_TRUE(form->templateItems().ids().empty());
    EXPECT_TRUE(form->ListView3->selectionModel()->selectedRows().isEmpty());
}

// The whole road of a certificate: compiled here, shown in the data view, linked to the standard
// template there, printed with its data file beside the document.
TEST_F(CertWindow, ACompilationBecomesALinkedDocumentWithItsDataFile)
{
    StandinSeed seed(standin.dataFile());
    const int team = seed.team(comp, QStringLiteral("Füchse"));
    const int anna = seed.athlete(comp, QStringLiteral("Anna"), QStringLiteral("Ahorn"), team);
    seed.measured(jump, anna, 1, ResultValueType::Distance, 3.10);
    QDir(dir.path()).mkpath(QStringLiteral("Templates"));
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(TVP_TEMPLATES_DIR "/Urkundenvorlage.docx"), standardTemplatePath(certDocKind())));
    QTemporaryDir docs;
    FakeOpener opener;
    windows.create(TWindowId::CertDocSetupForm, context);
    QWidget* view = windows.create(TWindowId::DataViewForm, context);
    auto action = [view](const char* name) { return view->findChild<QAction*>(QString::fromLatin1(name)); };

    open();
    ASSERT_TRUE(dragAvailable({QStringLiteral("Weitsprung|Leistungen")}, -1));
    typeName(QStringLiteral("U10"));
    QTest::mouseClick(form->Button4, Qt::LeftButton);
    settle();
    const int compilation = form->currentCertId();
    ASSERT_NE(compilation, 0);
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    settle();
    ASSERT_TRUE(view->isVisible());
    ASSERT_TRUE(action("Urkundenvorlageeinrichten1")->isEnabled());

    const QString document = docs.filePath(QStringLiteral("U10.docx"));
    script->expectWindow(QStringLiteral("Urkunde für Wertung \"U10\" einrichten"), [&](QWidget& w) {
        script->expectFile(QStringLiteral("Dokument speichern unter"), document);
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
        return 0;
    });
    action("Urkundenvorlageeinrichten1")->trigger();
    settle();
    EXPECT_EQ(client->drs()->getUiInfo(QStringLiteral("AggColl_CertDocPath"), compilation).Value, document);
    EXPECT_EQ(opener.opened(), QStringList{document});
    EXPECT_TRUE(QFile::exists(docs.filePath(QStringLiteral("U10.csv"))));

    opener.setExitStatus(1);
    action("Urkundendrucken1")->trigger();
    ASSERT_TRUE(FakeOpener::settle());
    EXPECT_EQ(messages().value(0),
              QStringLiteral("Urkunden anzeigen: Urkundenvorlage konnte nicht geöffnet werden. Stellen Sie sicher, "
                             "dass ein Programm zum Öffnen von .docx-Dateien eingerichtet ist."));
}

// Opened from here, the data view has the plausibility check look at the compilation's results
// and lists the bib conflicts among them, each in its own window, once it has loaded.
TEST_F(CertWindow, TheDataViewShowsThePlausibilityCheckAndTheBibConflicts)
{
    StandinSeed seed(standin.dataFile());
    const int team = seed.team(comp, QStringLiteral("Füchse"));
    seed.athlete(comp, QStringLiteral("Anna"), QStringLiteral("Ahorn"), team, 0, {11, 12});
    const int ben = seed.athlete(comp, QStringLiteral("Ben"), QStringLiteral("Birke"), team);
    const int cem = seed.athlete(comp, QStringLiteral("Cem"), QStringLiteral("Clement"), team);
    // Anna's two bibs carry different distances in the jump's first attempt; the sprint misses rank 2.
    seed.result(jump, 1, 0, 11);
    seed.result(jump, 1, 0, 12);
    seed.db().query("UPDATE results SET distance_in_meter = 3.1 + bib - 11 WHERE discipline_id = ?", jump).run();
    seed.measured(sprint, ben, 1, ResultValueType::Rank, 1);
    seed.measured(sprint, cem, 1, ResultValueType::Rank, 3);

    registerResultWindows(windows);
    QWidget* check = windows.create(TWindowId::ResultCheckForm, context);
    QWidget* bibs = windows.create(TWindowId::BibAmbiguousWarningForm, context);
    windows.create(TWindowId::CertDocSetupForm, context);
    QWidget* view = windows.create(TWindowId::DataViewForm, context);

    open();
    ASSERT_TRUE(dragAvailable({QStringLiteral("Weitsprung|Leistungen"), QStringLiteral("Sprint|Leistungen")}, -1));
    typeName(QStringLiteral("U10"));
    QTest::mouseClick(form->Button4, Qt::LeftButton);
    settle();
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    settle();
    ASSERT_TRUE(view->isVisible());

    ASSERT_TRUE(bibs->isVisible()) << "the bib conflicts";
    const QStringList conflicts = rowsOf(bibs->findChild<QTreeView*>(QStringLiteral("ListView1")));
    ASSERT_EQ(conflicts.size(), 1);
    EXPECT_TRUE(conflicts[0].startsWith(QStringLiteral("Weitsprung|Anna Ahorn|11, 12|"))) << conflicts[0].toStdString();
    EXPECT_TRUE(conflicts[0].endsWith(QStringLiteral("|1|Kinderleichtathletik"))) << conflicts[0].toStdString();

    ASSERT_TRUE(check->isVisible()) << "the plausibility check";
    const QStringList findings = rowsOf(check->findChild<QTreeView*>(QStringLiteral("ListView2")));
    ASSERT_EQ(findings.size(), 1);
    EXPECT_TRUE(findings[0].startsWith(QStringLiteral("Sprint|Rang fehlt zwischen 1 und 3|-|")))
        << findings[0].toStdString();
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
}

namespace {

class CupCertWindow : public CertWindowBase {
protected:
    void SetUp() override
    {
        CertWindowBase::SetUp();
        competitionUrlHolderInstance().setServerUrl(QStringLiteral("http://127.0.0.1:1/TrivantaPentrel/services/"));
        auto c = std::make_unique<CompetitionType>();
        c->ID = 5;
        competition.SetCompetitionInternal(std::move(c));
        fake->acceptTransactions();
        fake->on<op::getUiInfos>([](const op::getUiInfos& a) {
            getUiInfosResponse1 out;
            for (const UiInfoKey& k : a.Keys) {
                UiInfoKeyValuePair p;
                p.Key = k;
                p.Value = k.Key == QLatin1String("Label") ? QStringLiteral("Cupwertung %1").arg(k.AssotiatedId)
                                                          : QStringLiteral("true");
                out.push_back(p);
            }
            return out;
        });
    }

    static AggregatorTreeNodeType cupNode(int id)
    {
        AggregatorTreeNodeType n;
        n.ID = id;
        ResultAggregatorInstanceType instance;
        instance.ID = id;
        instance.TemplateID = 2;
        CupType cup;
        cup.CupID = 9;
        instance.Cup = Owned<CupType>(std::move(cup));
        n.AggregatorInfo = Owned<ResultAggregatorInstanceType>(std::move(instance));
        return n;
    }

    FakeServerInstall fake;
};

} // namespace

TEST_F(CupCertWindow, ShowsTheCupsNodesUnderCupAndSavesToTheCup)
{
    FakeCups cups;
    cups.name = QStringLiteral("Kreiscup");
    windows.place(TWindowId::CupsForm, &cups);
    fake->answer<op::getCupAggregators>({cupNode(31), cupNode(32)});
    std::vector<aggregatorCollectionType> onServer;
    fake->on<op::getAggregatorCollection>([&](const op::getAggregatorCollection&) { return onServer; });
    fake->on<op::storeAggregatorCollection>([&](const op::storeAggregatorCollection& a) {
        aggregatorCollectionType c;
        static_cast<AggregatorCollectionInfoType&>(c) = *a.aggregatorCollection;
        c.Id = 77;
        onServer.push_back(c);
        storeAggregatorCollectionResponse r;
        r.newAggregatorCollection = Owned<aggregatorCollectionType>(c);
        return r;
    });

    auto* cupForm = static_cast<TCupCertForm*>(windows.create(TWindowId::CupCertForm, context));
    form = cupForm;
    cupForm->ShowCertForm(9);
    settle();
    EXPECT_EQ(cupForm->windowTitle(), QStringLiteral("Kreiscup - Urkunden / Ergebniszusammenstellungen"));
    EXPECT_EQ(rowsOf(form->ListView1),
              (QStringList{QStringLiteral("Cup|Cupwertung 31"), QStringLiteral("Cup|Cupwertung 32")}));
    EXPECT_FALSE(form->CheckResultsButton->isVisible());
    EXPECT_FALSE(form->Button3->isEnabled());
    ASSERT_EQ(fake->callsOf<op::getAggregatorCollection>().size(), 1u);
    EXPECT_EQ(fake->callsOf<op::getAggregatorCollection>()[0].competitionId, 0);
    EXPECT_EQ(fake->callsOf<op::getAggregatorCollection>()[0].cupId, 9);

    ASSERT_TRUE(dragAvailable({QStringLiteral("Cup|Cupwertung 32")}, -1));
    fake->clearRequests();
    QTest::mouseClick(form->Button4, Qt::LeftButton);
    settle();
    std::vector<std::string> calls;
    for (const std::string& op : fake->operations())
        if (op != "beginTransaction" && op != "commitTransaction" && op != "rollbackTransaction")
            calls.push_back(op);
    EXPECT_EQ(calls, (std::vector<std::string>{"storeAggregatorCollection", "getAggregatorCollection"}));
    ASSERT_EQ(fake->callsOf<op::storeAggregatorCollection>().size(), 1u);
    EXPECT_EQ(fake->callsOf<op::storeAggregatorCollection>()[0].cupId, 9);
    EXPECT_EQ(fake->callsOf<op::storeAggregatorCollection>()[0].competitionId, 0);
    EXPECT_EQ(form->currentCertId(), 77);
    EXPECT_EQ(form->ListView3->selectionModel()->selectedRows().size(), 1);

    QTest::mouseClick(form->Button2, Qt::LeftButton);
    EXPECT_EQ(dataView.shown, QStringList{QStringLiteral("Neue Urkunde 77 [Cupwertung 32#Cup] [] 0 1 9")});
}

TEST_F(CupCertWindow, WithoutACupsWindowTheCaptionIsTheCompetitionWindows)
{
    fake->answer<op::getCupAggregators>({});
    fake->answer<op::getAggregatorCollection>({});
    auto* cupForm = static_cast<TCupCertForm*>(windows.create(TWindowId::CupCertForm, context));
    form = cupForm;
    cupForm->ShowCertForm(9);
    settle();
    EXPECT_EQ(cupForm->windowTitle(), QStringLiteral("Urkunden / Ergebniszusammenstellungen"));
    cupForm->ShowCertForm(0);
    EXPECT_FALSE(cupForm->isVisible());
}

TEST_F(CupCertWindow, AFailingTemplateLoadReloadsOnceAndThenOnlyReports)
{
    fake->answer<op::getResultAggregatorTree>({});
    fake->fault<op::getAggregatorCollection>(3, {QStringLiteral("5")}, QStringLiteral("Veranstaltung fehlt"));
    form = static_cast<TCertForm*>(windows.create(TWindowId::CertForm, context));
    windows.show(TWindowId::CertForm);
    settle();
    QTest::qWait(200);
    settle();
    EXPECT_EQ(fake->callsOf<op::getResultAggregatorTree>().size(), 2u);
    EXPECT_EQ(fake->callsOf<op::getAggregatorCollection>().size(), 2u);
    EXPECT_EQ(messages().size(), 2) << messages().join(u'\n').toStdString();
    for (const RecordedMessage& m : recorder.messages.messages)
        EXPECT_EQ(m.caption, QStringLiteral("Urkundenvorlagen laden"));
    EXPECT_FALSE(form->ListView3->isEnabled());
}
