// Every window of the program, as the areas register it, opened against a stand-in with the data of
// a real club day (long team names, double surnames): each text it shows must fit its place, with
// its lists filled and on each of its tabs, at the size the window first opens with and at its
// smallest size.

#include "core/services/ParticipantForms.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowCatalogue.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowPositionManager.h"
#include "core/ui/WindowRegistry.h"
#include "scoring/ui/AggregatorTreeUI.h"
#include "tests/app/ClubDay.h"
#include "tests/support/TestUtil.h"
#include "tests/support/TextFit.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QComboBox>
#include <QFontInfo>
#include <QLineEdit>
#include <QSet>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>

using namespace tvp;
using namespace tvp::test;

namespace {

// Windows that other windows open with their data: opened so, as those windows do.
void openWithData(TWindowId id, TWindowRegistry& windows, const ClubDay& day)
{
    if (id == TWindowId::TallySheetForm)
        windows.get<ITallySheetForm>(id)->ShowTallyDialog(day.jump, day.athlete, 1);
    if (id == TWindowId::AquireBibOrderForm)
        windows.get<IAquireBibOrderForm>(id)->showDialog(day.ranked, 1);
    // The search as a user opens it over the athletes: Ctrl+F, then a letter most names have.
    if (id == TWindowId::SearchForm) {
        QWidget* athletes = windows.widget(TWindowId::AthleteForm);
        athletes->show();
        settle();
        QApplication::setActiveWindow(athletes);
        QTest::keyClick(athletes, Qt::Key_F, Qt::ControlModifier);
        settle();
        QTest::keyClicks(windows.widget(id)->findChild<QLineEdit*>(QStringLiteral("Edit1")), QStringLiteral("e"));
        QTest::qWait(200);
        runQueued(); // the search's pause has run out: it has applied, however late the machine is
        athletes->hide();
    }
    if (id == TWindowId::AthleteResultFinderForm) {
        proto::AthleteType athlete;
        athlete.AthleteID = day.athlete;
        athlete.Name = proto::AthleteNameType{QStringLiteral("Anna-Lena"), QStringLiteral("Großmann")};
        proto::TeamType team;
        team.Name = QStringLiteral("TSV Müsterhausen-Großengstingen");
        athlete.Team = team;
        windows.get<IAthleteResultFinderForm>(id)->LoadAthlete(athlete, 0);
    }
}

// Two different names of a list never alike where it or its window (by roomToGrow) has room to show
// them apart; no text cut where the window could grow (a tree without captions aside).
void expectListsApart(QWidget& window, int roomToGrow)
{
    using namespace tvp::test::textfit_detail;
    for (QAbstractItemView* view : window.findChildren<QAbstractItemView*>()) {
        QHeaderView* header = columnHeader(*view);
        if (!header || !view->isVisibleTo(&window) || qobject_cast<QComboBox*>(view->parentWidget()))
            continue;
        std::vector<CellCut> cuts;
        emptyRoom(*view, header, &cuts);
        const std::string at = window.objectName().toStdString() + " at " + std::to_string(window.width());
        if (!cuts.empty() && roomToGrow > 8 && !header->isHidden())
            ADD_FAILURE() << at << " cuts \"" << cuts[0].text.toStdString() << "\", could grow by " << roomToGrow;
        for (const CutText& alike : tvp::test::textsShownAlike(*view, roomToGrow))
            ADD_FAILURE() << at << ": " << tvp::test::describe(alike);
    }
}

class WindowFitTest : public ::testing::TestWithParam<TWindowId> {
protected:
    static void SetUpTestSuite() { program_ = new ProgramUnderTest; }
    static void TearDownTestSuite()
    {
        delete program_;
        program_ = nullptr;
    }

    // Each cut once, however many tabs show it. A list's columns share its width: a column past
    // its right edge hides behind a scroll bar, whatever its width.
    void expectAllFit(QWidget& window, const QString& when)
    {
        std::vector<CutText> cuts = tvp::test::cutTexts(window);
        for (QAbstractItemView* view : window.findChildren<QAbstractItemView*>())
            if (view->isVisibleTo(&window) && !qobject_cast<QComboBox*>(view->parentWidget()))
                std::ranges::move(tvp::test::columnsPastEdge(*view), std::back_inserter(cuts));
        for (const CutText& cut : cuts) {
            if (reported_.contains(cut.widget + cut.text))
                continue;
            reported_.insert(cut.widget + cut.text);
            ADD_FAILURE() << window.objectName().toStdString() << " (" << window.windowTitle().toStdString() << ") "
                          << when.toStdString() << " " << window.width() << "x" << window.height() << ": "
                          << tvp::test::describe(cut);
        }
    }

    // The window as it is, then each tab of its tab strips, clicked as a user does.
    void expectAllFitOnEveryTab(QWidget& window, const QString& when)
    {
        expectAllFit(window, when);
        for (QTabWidget* tabs : window.findChildren<QTabWidget*>()) {
            if (!tabs->isVisibleTo(&window))
                continue;
            const int before = tabs->currentIndex();
            for (int i = 0; i < tabs->count(); ++i) {
                if (i == before || !tabs->isTabEnabled(i) || !tabs->isTabVisible(i))
                    continue;
                QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(i).center());
                settle();
                if (tabs->currentIndex() != i)
                    continue;
                chooseFirst(window);
                expectAllFit(window, when + QStringLiteral(" on tab \"") + tabs->tabText(i) + u'"');
            }
            if (tabs->currentIndex() != before)
                tabs->setCurrentIndex(before);
        }
    }

    // Each node of a drawn scoring tree opened as a user does, so its parameters show; a node's
    // text cut by its box shows whole when the mouse rests on it.
    void expectScoringNodesFit(QWidget& window)
    {
        // The node with the most to show last, so the window is measured at its smallest size with it.
        QList<TAggregatorBox*> boxes = window.findChildren<TAggregatorBox*>();
        std::ranges::stable_sort(boxes, {}, [](const TAggregatorBox* b) { return b->node().boxLines().size(); });
        for (TAggregatorBox* box : boxes) {
            if (!box->isVisibleTo(&window))
                continue;
            QTest::mouseDClick(box, Qt::LeftButton, {}, QPoint(4, 4));
            settle();
            expectAllFit(window, QStringLiteral("with node \"") + box->node().boxLines().value(0) + u'"');
            const QPoint centre = box->rect().center();
            QHelpEvent hover(QEvent::ToolTip, centre, box->mapToGlobal(centre));
            QApplication::sendEvent(box, &hover);
            QTextDocument tip;
            tip.setHtml(QToolTip::isVisible() ? QToolTip::text() : QString());
            QToolTip::hideText();
            QFont font = box->font();
            font.setBold(true); // as the opened node is drawn
            for (const QString& line : box->node().boxLines())
                if (QFontMetrics(font).horizontalAdvance(line) > box->width() - 8 && !tip.toPlainText().contains(line))
                    ADD_FAILURE() << window.objectName().toStdString() << ": node " << box->objectName().toStdString()
                                  << " cuts \"" << line.toStdString() << "\" and shows no tooltip with it";
        }
    }

    static ProgramUnderTest* program_;
    QSet<QString> reported_;
};

ProgramUnderTest* WindowFitTest::program_ = nullptr;

TEST_P(WindowFitTest, EveryTextFitsAtTheDefaultAndTheSmallestSize)
{
    ASSERT_TRUE(program_->chosen);
    // The font the program runs with on a plain Debian desktop.
    ASSERT_EQ(QFontInfo(QApplication::font()).family(), QStringLiteral("DejaVu Sans"));
    QWidget* window = program_->program->registry().widget(GetParam());
    ASSERT_NE(window, nullptr);
    window->show();
    settle();
    openWithData(GetParam(), program_->program->registry(), program_->day);
    settle();
    chooseFirst(*window);
    // The discipline windows load a chosen discipline after a short pause, as a user waits.
    if (GetParam() == TWindowId::DisciplinListForm0 || GetParam() == TWindowId::DisciplinListForm1) {
        QTest::qWait(500);
        runQueued(); // the pause has run out: the load has begun, however late the machine is
        settle();
        expectScoringNodesFit(*window);
        // The run feeds the team scoring, whose node has parameters.
        auto* list = window->findChild<QTreeView*>(QStringLiteral("ListView1"));
        ASSERT_NE(list, nullptr);
        const QModelIndexList run =
            list->model()->match(list->model()->index(0, 0), Qt::DisplayRole,
                                 QStringLiteral("Hindernis-Rundenlauf 3 Läufe"), 1, Qt::MatchRecursive);
        ASSERT_EQ(run.size(), 1);
        list->scrollTo(run[0]);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(run[0]).center());
        QTest::qWait(500);
        runQueued(); // the pause has run out: the load has begun, however late the machine is
        settle();
        expectScoringNodesFit(*window);
    }
    runQueued();
    const QSize opened = window->size();
    // Under a real display (xvfb-run with QT_QPA_PLATFORM=xcb), each window as it opens, saved into
    // the folder TVP_SCREENSHOTS names.
    if (const QString folder = qEnvironmentVariable("TVP_SCREENSHOTS"); !folder.isEmpty())
        window->grab().save(QDir(folder).filePath(window->objectName() + QStringLiteral(".png")));
    expectListsApart(*window, 0);
    expectAllFitOnEveryTab(*window, QStringLiteral("at"));

    window->resize(1, 1); // the layout holds it at its smallest size
    runQueued();
    expectAllFit(*window, QStringLiteral("at its smallest size"));

    window->resize(opened);
    if (auto* form = qobject_cast<TTVPForm*>(window))
        form->clearAllDirtyData();
    window->hide();
    settle();
}

std::vector<TWindowId> allWindows()
{
    std::vector<TWindowId> ids;
    for (const TWindowRow& row : windowCatalogue())
        ids.push_back(row.id);
    return ids;
}

INSTANTIATE_TEST_SUITE_P(Program, WindowFitTest, ::testing::ValuesIn(allWindows()),
                         [](const ::testing::TestParamInfo<TWindowId>& info) {
                             return std::string(windowRow(info.param).objectName);
                         });

// ---- A laptop's screen ----

// 1366 x 768 with a 32 px panel at the top: where the windows may open.
const QRect kLaptopArea(0, 32, 1366, 736);
const int kLaptopTitleBar = 37;

class LaptopScreenTest : public ::testing::TestWithParam<TWindowId> {
protected:
    static void SetUpTestSuite() { program_ = new ProgramUnderTest(kLaptopArea); }
    static void TearDownTestSuite()
    {
        delete program_;
        program_ = nullptr;
    }

    static ProgramUnderTest* program_;
};

ProgramUnderTest* LaptopScreenTest::program_ = nullptr;

// The window with its frame lies within the laptop's free area and can be made smaller than it.
void expectWithinLaptop(QWidget& window, TWindowId id, const char* when)
{
    const std::string name = window.objectName().toStdString() + " " + when;
    // The frame as far as this platform draws one, and at least the title bar a window manager adds:
    // the 37 px of a common laptop desktop.
    const QRect frame = window.frameGeometry();
    const int titleBar =
        std::max(kLaptopTitleBar, window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window));
    const QRect outer(frame.topLeft(), QSize(frame.width(), std::max(frame.height(), window.height() + titleBar)));
    const bool stored = std::ranges::find(positionStoreOrder(), id) != positionStoreOrder().end();
    // Windows the store does not place open where Qt puts them: only their size is the program's.
    if (stored)
        EXPECT_TRUE(kLaptopArea.contains(outer))
            << name << " at " << outer.x() << "," << outer.y() << " " << outer.width() << "x" << outer.height();
    else
        EXPECT_TRUE(outer.width() <= kLaptopArea.width() && outer.height() <= kLaptopArea.height())
            << name << " " << outer.width() << "x" << outer.height();
    const QSize smallest = window.minimumSize() + (outer.size() - window.size());
    EXPECT_TRUE(smallest.width() < kLaptopArea.width() && smallest.height() < kLaptopArea.height())
        << name << " cannot become smaller than " << smallest.width() << "x" << smallest.height();
}

TEST_P(LaptopScreenTest, EveryWindowOpensWithinTheScreenAndCanBeMadeSmaller)
{
    ASSERT_TRUE(program_->chosen);
    QWidget* window = program_->program->registry().widget(GetParam());
    ASSERT_NE(window, nullptr);
    window->show();
    settle();
    runQueued();
    expectWithinLaptop(*window, GetParam(), "as it opens");
    // Its lists filled as a user fills them (a cup chosen): it stays within the screen.
    chooseFirst(*window);
    runQueued();
    expectWithinLaptop(*window, GetParam(), "with its data");
    // Each window so, as the fit test saves them.
    if (const QString folder = qEnvironmentVariable("TVP_SCREENSHOTS"); !folder.isEmpty())
        window->grab().save(QDir(folder).filePath(window->objectName() + QStringLiteral("-laptop.png")));
    expectListsApart(*window, std::max(0, kLaptopArea.width() - window->frameGeometry().width()));

    if (auto* form = qobject_cast<TTVPForm*>(window))
        form->clearAllDirtyData();
    window->hide();
    settle();
}

INSTANTIATE_TEST_SUITE_P(Program, LaptopScreenTest, ::testing::ValuesIn(allWindows()),
                         [](const ::testing::TestParamInfo<TWindowId>& info) {
                             return std::string(windowRow(info.param).objectName);
                         });

class CrowdedLaptopTest : public ::testing::TestWithParam<std::tuple<int, TWindowId>> {
protected:
    static void TearDownTestSuite() { program_.reset(); }
    QRect area() const { return {0, 32, std::get<0>(GetParam()), std::get<0>(GetParam()) * 9 / 16 - 32}; }
    // One program at a time: it holds the settings and the connection of the process.
    ProgramUnderTest& program()
    {
        if (!program_ || program_->area != area()) {
            program_.reset();
            program_ = std::make_unique<ProgramUnderTest>(
                area(), [](StandinSeed& seed, const ClubDay& day) { seedCrowd(seed, day); });
        }
        return *program_;
    }
    static inline std::unique_ptr<ProgramUnderTest> program_;
};

// Each list's names apart wherever the screen allows, framed by the window manager before its data or after.
TEST_P(CrowdedLaptopTest, TheListsTellTheirNamesApartWhereverTheScreenAllows)
{
    ASSERT_TRUE(program().chosen);
    QWidget* window = program().program->registry().widget(std::get<1>(GetParam()));
    ASSERT_NE(window, nullptr);
    // Offscreen the test sends what a window manager sends once it framed the window: moved below its
    // title bar, its size confirmed, as spontaneous as from the window system. Under xcb its own does.
    const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    window->show();
    QTest::qWait(1);
    for (int step = 0; step < 2; ++step) {
        QMoveEvent move(window->pos() + QPoint(1, 37), window->pos());
        QResizeEvent resize(window->size(), window->size() - QSize(0, 1));
        for (QEvent* event : std::initializer_list<QEvent*>{&move, &resize})
            if (offscreen) {
                QSpontaneKeyEvent::setSpontaneous(event);
                qApp->notify(window, event);
            }
        settle();
        chooseFirst(*window);
    }
    QTest::qWait(offscreen ? 10 : 1500);
    EXPECT_TRUE(area().contains(window->frameGeometry())) << window->frameGeometry().width();
    expectListsApart(*window, std::max(0, area().width() - window->frameGeometry().width()));
    if (auto* form = qobject_cast<TTVPForm*>(window))
        form->clearAllDirtyData();
    window->hide();
    settle();
}

INSTANTIATE_TEST_SUITE_P(Program, CrowdedLaptopTest,
                         ::testing::Combine(::testing::Values(1366, 1280),
                                            ::testing::Values(TWindowId::TeamForm, TWindowId::AthleteForm,
                                                              TWindowId::ScheduleForm, TWindowId::DisciplinePlaceForm,
                                                              TWindowId::CupTeamForm, TWindowId::CupAthleteForm)),
                         [](const auto& info) {
                             return std::string(windowRow(std::get<1>(info.param)).objectName) + "_" +
                                    std::to_string(std::get<0>(info.param));
                         });

} // namespace
