#include "core/util/IniHandler.h"
#include "tests/core/ui/ShellFixture.h"
#include "tests/support/TestUtil.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowPositionManager.h"
#include "core/ui/TVPForm.h"

#include <QStyle>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace tvp;
using namespace tvp::test;

namespace {

const QString kSection = QStringLiteral("WindowPositions");
const QRect kScreen(0, 0, 1000, 800);

void store(const QString& form, int x, int y, int w = -1, int h = -1)
{
    WriteIniInteger(kSection, form + QStringLiteral(".PosX"), x);
    WriteIniInteger(kSection, form + QStringLiteral(".PosY"), y);
    WriteIniInteger(kSection, form + QStringLiteral(".Width"), w);
    WriteIniInteger(kSection, form + QStringLiteral(".Height"), h);
}

// A window not shown yet is given room for a border as the style draws it and a laptop desktop's
// title bar (GNOME's 37 px and a little more).
QSize decoration(const QWidget& w)
{
    const int border = w.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &w);
    return {2 * border, 38 + border};
}

int stored(const QString& form, const char* key)
{
    return ReadIniInteger(kSection, form + QLatin1String(key), -1);
}

class Positions : public ShellTest {
protected:
    TestForm main{QStringLiteral("MainForm"), {300, 200}};
    TestForm work{QStringLiteral("AthleteForm"), {400, 300}};
    TestForm first{QStringLiteral("DisciplinForm1"), {400, 300}};
    TestForm second{QStringLiteral("DisciplinForm2"), {400, 300}};
};

} // namespace

TEST_F(Positions, WindowsNeverStored)
{
    store(QStringLiteral("DisciplinForm1"), 100, 120);
    TPositionStoreAdapter adapter({&main, &work, &first, &second}, 2, {&first, &second}, kScreen);
    EXPECT_EQ(main.pos(), QPoint(0, 0));
    EXPECT_EQ(work.pos(), QPoint(300, 250)) << "centred, also as the second of two main windows";
    EXPECT_EQ(second.pos(), QPoint(130, 150));
    EXPECT_EQ(work.size(), QSize(400, 300));
}

TEST_F(Positions, StoredValuesAreKeptOnTheScreen)
{
    TPositionStoreAdapter adapter({&main, &work, &first, &second}, 1, {&first, &second}, kScreen);

    store(QStringLiteral("AthleteForm"), 120, 80, 500, 350);
    adapter.initWindowPosition(&work);
    EXPECT_EQ(work.geometry(), QRect(120, 80, 500, 350));

    store(QStringLiteral("AthleteForm"), 700, 100, 400, 300); // 700 + 400 > 1000
    adapter.initWindowPosition(&work);
    EXPECT_EQ(work.pos(), QPoint(0, 100));

    store(QStringLiteral("AthleteForm"), 100, 600); // 600 + 300 > 800
    adapter.initWindowPosition(&work);
    EXPECT_EQ(work.pos(), QPoint(100, 0));

    store(QStringLiteral("AthleteForm"), 50, 50, 1400, 900);
    adapter.initWindowPosition(&work);
    const QSize frame = decoration(work);
    EXPECT_EQ(work.geometry(), QRect(QPoint(0, 0), kScreen.size() - frame))
        << "a sizeable window is shrunk to the screen, its title bar and border included";

    store(QStringLiteral("DisciplinForm1"), 590, 450); // the second: 620 + 400 > 1000, 480 + 300 > 800
    adapter.initWindowPosition(&first);
    adapter.initWindowPosition(&second);
    EXPECT_EQ(second.pos(), QPoint(0, 0));
}

TEST_F(Positions, APlaceOffTheFreeAreaIsBroughtBackOntoIt)
{
    // A laptop's 1366 x 768 screen under a 32 px panel; the places were stored on a larger screen.
    const QRect laptop(0, 32, 1366, 736);
    const QSize frame = decoration(work);
    const auto outer = [&](const TestForm& f) { return QRect(f.pos(), f.size() + frame); };
    store(QStringLiteral("AthleteForm"), 1500, 900, 800, 600);
    store(QStringLiteral("DisciplinForm1"), 100, 40, 1180, 860);
    store(QStringLiteral("DisciplinForm2"), 400, 0, 500, 400);
    TPositionStoreAdapter adapter({&main, &work, &first, &second}, 1, {&first, &second}, laptop);

    EXPECT_EQ(work.geometry(), QRect(0, 32, 800, 600)) << "from a screen no longer there";
    EXPECT_EQ(first.geometry(), QRect(100, 32, 1180, 736 - frame.height())) << "taller than the free area";
    EXPECT_EQ(second.pos(), QPoint(400, 32)) << "under the panel";
    for (const TestForm* f : {&work, &first, &second})
        EXPECT_TRUE(laptop.contains(outer(*f))) << f->objectName().toStdString();

    // Never smaller than its layout needs, even where that does not fit.
    first.setMinimumSize(600, 750);
    adapter.initWindowPosition(&first);
    EXPECT_EQ(first.size(), QSize(1180, 750));
    EXPECT_EQ(first.pos(), QPoint(100, 32));
}

// A laptop's screen under a 32 px panel, the adapter in the program's place, as at start-up.
class LaptopPositions : public Positions {
protected:
    void SetUp() override
    {
        Positions::SetUp();
        setPosStoreAdapter(
            std::make_unique<TPositionStoreAdapter>(QList<TTVPForm*>{&main, &work}, 1, TRelatedWindows{}, laptop));
    }
    void TearDown() override
    {
        setPosStoreAdapter(nullptr);
        Positions::TearDown();
    }
    const QRect laptop{0, 32, 1366, 736};
};

TEST_F(LaptopPositions, AWindowThatGrowsAfterItOpenedStaysWithinTheFreeArea)
{
    store(QStringLiteral("AthleteForm"), 900, 100);
    posStoreAdapter()->initWindowPosition(&work);
    work.show();
    QTest::qWait(10);
    work.setMinimumSize(700, 500); // its data came in, its layout needs more than the room right of it
    EXPECT_TRUE(waitUntil([&] { return laptop.contains(work.frameGeometry()); }, 3000)) << work.frameGeometry().x();
}

// Filled after it was shown, a list's window grows once to show its names, unless its size was stored.
TEST_F(LaptopPositions, AWindowGrowsOnceWithItsListsUnlessItsSizeWasStored)
{
    const QString team = QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg Nachwuchsmannschaft");
    store(QStringLiteral("MainForm"), 10, 40, 500, 300);
    QTreeWidget* lists[2];
    for (int i = 0; i < 2; ++i) {
        TestForm& form = i ? main : work;
        (new QVBoxLayout(&form))->addWidget(lists[i] = new QTreeWidget(&form));
        lists[i]->setHeaderLabels({QStringLiteral("Team"), QStringLiteral("Mannschaft")});
        fitColumnsToRoom(*lists[i]);
        posStoreAdapter()->initWindowPosition(&form);
        form.show();
        new QTreeWidgetItem(lists[i], {team, team + QStringLiteral(" 2")});
    }
    runQueued();
    EXPECT_GE(lists[0]->columnWidth(1), static_cast<QAbstractItemView*>(lists[0])->sizeHintForColumn(1));
    EXPECT_TRUE(laptop.contains(work.frameGeometry()));
    EXPECT_EQ(QRect(main.pos(), main.size()), QRect(10, 40, 500, 300)) << "the stored size is the user's";
    const int grown = work.width();
    new QTreeWidgetItem(lists[0], {team + team});
    runQueued();
    EXPECT_EQ(work.width(), grown) << "once";
}

// What the program stores on exit for a list window that never grew (never opened, or opened while
// its list was empty) is no size of the user's: in the next start it still grows for its names.
TEST_F(LaptopPositions, AListWindowThatNeverGrewStillGrowsInTheNextStart)
{
    const QString team = QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg Nachwuchsmannschaft");
    const int savedDelay = TTVPForm::moveStoreDelayMs;
    TTVPForm::moveStoreDelayMs = 20;
    work.show(); // its list still empty, placed by the window manager
    work.move(60, 80);
    EXPECT_TRUE(waitUntil([] { return stored(QStringLiteral("AthleteForm"), ".PosX") == 60; }, 3000));
    work.close();
    posStoreAdapter()->storeAllWindows(); // on exit; the main window was never shown
    TTVPForm::moveStoreDelayMs = savedDelay;

    TestForm nextMain(QStringLiteral("MainForm"), {300, 200});
    TestForm nextWork(QStringLiteral("AthleteForm"), {400, 300});
    setPosStoreAdapter(
        std::make_unique<TPositionStoreAdapter>(QList<TTVPForm*>{&nextMain, &nextWork}, 1, TRelatedWindows{}, laptop));
    for (TestForm* form : {&nextMain, &nextWork}) {
        auto* list = new QTreeWidget(form);
        (new QVBoxLayout(form))->addWidget(list);
        list->setHeaderLabels({QStringLiteral("Team")});
        fitColumnsToRoom(*list);
        form->show();
        new QTreeWidgetItem(list, {team});
        runQueued();
        EXPECT_GE(list->columnWidth(0), static_cast<QAbstractItemView*>(list)->sizeHintForColumn(0))
            << form->objectName().toStdString() << " at " << form->width();
    }
    EXPECT_EQ(nextWork.pos().y(), 80) << "its place is kept";
}

TEST_F(Positions, AFixedWindowKeepsItsDesignedSize)
{
    TestForm wide(QStringLiteral("WideForm"), {1200, 300});
    for (TestForm* f : {&work, &wide})
        f->setSizeableBorder(false);
    store(QStringLiteral("AthleteForm"), 20, 30, 900, 700);
    TPositionStoreAdapter adapter({&main, &work, &wide}, 1, {}, kScreen);
    EXPECT_EQ(work.geometry(), QRect(20, 30, 400, 300));
    EXPECT_EQ(wide.size(), QSize(1200, 300));

    work.move(40, 50);
    main.resize(320, 200); // the user's size
    adapter.storeAllWindows();
    EXPECT_EQ(stored(QStringLiteral("AthleteForm"), ".PosX"), 40);
    EXPECT_EQ(stored(QStringLiteral("AthleteForm"), ".PosY"), 50);
    EXPECT_EQ(stored(QStringLiteral("AthleteForm"), ".Width"), 900) << "a fixed window writes no size";
    EXPECT_EQ(stored(QStringLiteral("MainForm"), ".Width"), 320);
}

TEST_F(Positions, MovingAShownWindowStoresWhereItComesToRest)
{
    const int savedDelay = TTVPForm::moveStoreDelayMs;
    TTVPForm::moveStoreDelayMs = 20;
    setPosStoreAdapter(
        std::make_unique<TPositionStoreAdapter>(QList<TTVPForm*>{&main, &work}, 1, TRelatedWindows{}, kScreen));
    work.show();
    work.move(33, 44);
    EXPECT_TRUE(waitUntil([] { return stored(QStringLiteral("AthleteForm"), ".PosX") == 33; }, 3000));
    EXPECT_EQ(stored(QStringLiteral("AthleteForm"), ".PosY"), 44);
    setPosStoreAdapter(nullptr);
    TTVPForm::moveStoreDelayMs = savedDelay;
}

TEST_F(Positions, TheHintAndTheMessageWindowOpenBesideTheChooser)
{
    const QRect screen(0, 0, 1920, 1080);
    TestForm chooser{QStringLiteral("ChooseCompetitionForm"), {460, 480}};
    TestForm hint{QStringLiteral("HintForm"), {682, 578}};
    TestForm messages{QStringLiteral("ExceptionForm"), {560, 260}};
    TPositionStoreAdapter adapter({&main, &chooser, &hint, &messages}, 2,
                                  {.chooser = &chooser, .besideChooser = {&hint, &messages}}, screen);
    const QRect kept = chooser.geometry();
    EXPECT_EQ(kept.center(), screen.center()) << "the chooser itself stays centred";
    EXPECT_FALSE(hint.geometry().intersects(kept));
    EXPECT_FALSE(messages.geometry().intersects(kept));
    for (const TestForm* f : {&hint, &messages})
        EXPECT_TRUE(screen.contains(f->geometry())) << f->objectName().toStdString();

    // A stored place is the user's choice and is kept.
    store(QStringLiteral("HintForm"), 800, 300);
    adapter.initWindowPosition(&hint);
    EXPECT_EQ(hint.pos(), QPoint(800, 300));
}

TEST(PlaceBeside, TakesTheFirstFreeSideElseTheOneThatCoversLeast)
{
    const QRect keep(400, 300, 400, 400);
    EXPECT_EQ(placeBeside(keep, {300, 200}, {1600, 1000}), QPoint(800, 399)) << "right";
    EXPECT_EQ(placeBeside(keep, {300, 200}, {1000, 1000}), QPoint(100, 399)) << "no room right: left";
    EXPECT_EQ(placeBeside(QRect(200, 100, 600, 300), {500, 200}, {1000, 700}), QPoint(249, 400)) << "below";
    // Nowhere free on a small screen: the least covered place, still on the screen.
    // Right and left cover 400 x 400 of it, below and above 500 x 300: below.
    EXPECT_EQ(placeBeside(QRect(100, 100, 600, 500), {500, 400}, {800, 700}), QPoint(149, 300));
}

// Names apart before squads alike to their end; a year never cut, the sorted column more than its arrow.
TEST(ListColumns, TheNamesAreToldApartFirstAndAYearIsNeverCut)
{
    QWidget window;
    auto* list = new QTreeWidget(&window);
    (new QVBoxLayout(&window))->addWidget(list);
    list->setHeaderLabels(QStringLiteral("Teamname|Riege|Jahrgang|Vorname").split(u'|'));
    list->header()->setSortIndicatorShown(true);
    list->header()->setSortIndicator(3, Qt::AscendingOrder);
    for (int i = 1; i <= 200; ++i)
        new QTreeWidgetItem(list, {QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald Nachwuchs %1").arg(i),
                                   QStringLiteral("Riege U10 Überlingen-Seeufer (%1)").arg(i % 20),
                                   QStringLiteral("2016"), QStringLiteral("Marie-Charlotte")});
    fitColumnsToRoom(*list);
    const QAbstractItemView& view = *list;
    const int names = view.sizeHintForColumn(0); // they differ in their last letter: apart is whole
    window.resize(names + 250, 300);
    window.show();
    runQueued();
    EXPECT_GE(list->columnWidth(0), names);
    EXPECT_GE(list->columnWidth(2), view.sizeHintForColumn(2));
    const int arrow = list->style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, list);
    EXPECT_GT(list->columnWidth(3), arrow + list->fontMetrics().horizontalAdvance(QStringLiteral("V…")));
}

// Columns of short texts under long captions alike to their end give way before a name is cut.
TEST(ListColumns, ColumnsOfShortTextsGiveWayBeforeANameIsCut)
{
    QWidget window;
    auto* list = new QTreeWidget(&window);
    (new QVBoxLayout(&window))->addWidget(list);
    QStringList captions{QStringLiteral("Anlagenname")};
    for (int i = 1; i <= 6; ++i)
        captions << QStringLiteral("Ort für Disziplin %1").arg(i);
    list->setHeaderLabels(captions);
    for (const char* name : {"Laufbahn Nord (Kunststoff, 6 Bahnen)", "Laufbahn Süd (Kunststoff, 6 Bahnen)"})
        new QTreeWidgetItem(list, {QString::fromUtf8(name), QStringLiteral("A")});
    fitColumnsToRoom(*list);
    const int name = static_cast<QAbstractItemView*>(list)->sizeHintForColumn(0);
    window.resize(name + 6 * 45 + 40, 300);
    window.show();
    runQueued();
    EXPECT_GE(list->columnWidth(0), name);
}
