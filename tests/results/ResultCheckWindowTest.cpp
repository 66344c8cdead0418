// The plausibility check and the bib conflict list on stand-in data, and where their double clicks
// lead.

#include "results/ui/BibAmbiguousWarningDialog.h"
#include "results/ui/ResultCheckDialog.h"
#include "results/ui/ResultWindows.h"
#include "tests/results/ResultWindowFixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QTreeView>

namespace tvp::test {
namespace {

class ResultCheckTest : public ResultWindowTest {
protected:
    void SetUp() override
    {
        ResultWindowTest::SetUp();
        check = std::make_unique<TResultCheckForm>(context);
        windows.place(TWindowId::ResultCheckForm, check.get());
    }
    void TearDown() override
    {
        check.reset();
        ResultWindowTest::TearDown();
    }

    bool checked()
    {
        return waitUntil([this] { return check->pendingRequests() == 0 && runningRequestCount() == 0; }, 10000);
    }
    QTreeView* list(const char* name) const { return check->findChild<QTreeView*>(QString::fromLatin1(name)); }
    // The row of a list whose cells, joined by "|", contain the text.
    QModelIndex rowWith(QTreeView* view, const QString& text) const
    {
        const QAbstractItemModel* m = view->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c)
                cells << m->index(r, c).data().toString();
            if (cells.join(u'|').contains(text))
                return m->index(r, 1);
        }
        return {};
    }
    void doubleClick(QTreeView* view, const QModelIndex& index)
    {
        view->scrollTo(index);
        const QPoint at = view->visualRect(index).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }
    QStringList rows(QTreeView* view) const
    {
        QStringList out;
        const QAbstractItemModel* m = view->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c)
                cells << m->index(r, c).data().toString();
            out << cells.join(u'|');
        }
        return out;
    }

    std::unique_ptr<TResultCheckForm> check;
};

TEST_F(ResultCheckTest, FindingsAreListedAndLeadToTheAthleteOrTheCell)
{
    // Anna has both results; Ben and Cara have none.
    seed->result(jump, anna);
    seed->result(jump, 2, anna, 0);
    check->checkWarnings({jump}, true);
    ASSERT_TRUE(checked());
    ASSERT_TRUE(check->isVisible());
    EXPECT_TRUE(recorder.waits.shown.isEmpty());
    EXPECT_EQ(recorder.waits.log, (QStringList{"+Prüfe Ergebnisse", "-Prüfe Ergebnisse"}));
    const QStringList athletes1 = rows(list("ListView1"));
    EXPECT_TRUE(athletes1.contains(QStringLiteral("Ben|Acker|Füchse (U10)|Keine Leistungen")))
        << athletes1.join('\n').toStdString();
    const QModelIndex missing = rowWith(list("ListView2"), QStringLiteral("Ben Acker"));
    ASSERT_TRUE(missing.isValid()) << rows(list("ListView2")).join('\n').toStdString();
    EXPECT_FALSE(check->findChild<QLabel*>(QStringLiteral("Panel2"))->isVisible());

    doubleClick(list("ListView1"), rowWith(list("ListView1"), QStringLiteral("Acker")));
    EXPECT_EQ(athletes.calls, QStringList{QStringLiteral("showAthlete %1 %2").arg(ben).arg(foxes)});

    doubleClick(list("ListView2"), missing);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->currentDiscipline(), jump);
    const QModelIndex current = grid()->currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_EQ(model().athleteId(current.row()), ben);
    EXPECT_EQ(model().attemptOfColumn(current.column()), 1);
}

TEST_F(ResultCheckTest, WithoutFindingsTheWindowStaysClosedAndSaysSoOnlyWhenAsked)
{
    const int single = discipline(QStringLiteral("Wurf"), 1, false, "byAthleteOrTeam", QStringLiteral("Distance"));
    seed->placeAthlete(single, anna, 1);
    seed->result(single, anna);
    check->checkWarnings({single}, false);
    ASSERT_TRUE(checked());
    EXPECT_FALSE(check->isVisible());
    EXPECT_TRUE(script->seen.empty());

    script->expectMessage(check->windowTitle(), TMsgAnswer::Ok);
    check->checkWarnings({single}, true);
    ASSERT_TRUE(checked());
    EXPECT_FALSE(check->isVisible());
    ASSERT_EQ(script->seen.size(), 1u);
    EXPECT_TRUE(script->seen[0].text.startsWith(QStringLiteral("Prüfung erfolgreich")));
}

TEST_F(ResultCheckTest, BibConflictsLeadToTheParticipantOrSayTheyBelongElsewhere)
{
    // Cara's two bibs carry different results in one attempt.
    seed->result(throwing, 1, 0, 9);
    seed->result(throwing, 1, 0, 10);
    seed->db().query("UPDATE results SET distance_in_meter = 5 WHERE bib = 10 AND discipline_id = ?", throwing).run();
    StandinClient client(standin.port());
    std::vector<proto::AmbiguousResultType> conflicts = client.drs()->checkAmbiguousBibResults({throwing});
    ASSERT_EQ(conflicts.size(), 1u);

    TBibAmbiguousWarningForm bibs(context);
    bibs.showWarning({});
    EXPECT_FALSE(bibs.isVisible());
    bibs.showWarning(conflicts);
    ASSERT_TRUE(bibs.isVisible());
    auto* view = bibs.findChild<QTreeView*>(QStringLiteral("ListView1"));
    const QStringList shown = rows(view);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Ballwurf|Cara Dorn|9, 10|"))) << shown[0].toStdString();

    doubleClick(view, view->model()->index(0, 1));
    ASSERT_TRUE(settled());
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->currentDiscipline(), throwing);
    EXPECT_EQ(model().athleteId(grid()->currentIndex().row()), cara);

    conflicts[0].Competition->ID = comp + 1000;
    bibs.showWarning(conflicts);
    doubleClick(view, view->model()->index(0, 1));
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{"Startnummernkonflikte auflösen.: Ergebnis gehört zu einer anderen Veranstaltung des Cups. "
                          "Bitte zuerst die entsprechende Veranstaltung öffnen."});
}

} // namespace
} // namespace tvp::test

namespace tvp::test {
namespace {

TEST(ResultWindows, TheEntriesOfOtherWindowsReachTheRealWindows)
{
    TempAppFolders folders;
    TWindowRegistry registry;
    registerResultWindows(registry);
    TCurrentCompetition competition;
    TWindowContext context(competition, registry);
    for (TWindowId id : {TWindowId::BibAmbiguousWarningForm, TWindowId::ResultCheckForm, TWindowId::ResultDialog})
        registry.create(id, context);
    EXPECT_TRUE(registry.getOrPlaceholder<IResultDialog>(TWindowId::ResultDialog));
    EXPECT_TRUE(registry.find<IResultCheckForm>());
    EXPECT_TRUE(registry.find<IBibAmbiguousWarningForm>());
    EXPECT_TRUE(dynamic_cast<TResultDialog*>(registry.widget(TWindowId::ResultDialog)));
    EXPECT_FALSE(registry.isVisible(TWindowId::BibAmbiguousWarningForm));
    registry.destroyAll();
}

} // namespace
} // namespace tvp::test
