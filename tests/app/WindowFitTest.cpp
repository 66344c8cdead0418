// Every window of the program, as the areas register it, opened against a stand-in with the data of
// a real club day (long team names, double surnames): each text it shows must fit its place, with
// its lists filled and on each of its tabs, at the size the window first opens with and at its
// smallest size.

#include "app/ProgramAreas.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/PingTest.h"
#include "core/services/ParticipantForms.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/ChooseCompetitionDialog.h"
#include "core/ui/Dialogs.h"
#include "core/ui/Startup.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowCatalogue.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowPositionManager.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "core/util/IniHandler.h"
#include "scoring/ui/AggregatorTreeUI.h"
#include "tests/support/LoopbackChooser.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TempAppFolders.h"
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
#include <QTime>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>

using namespace tvp;
using tvp::test::CutText;

namespace {

// A screen on which every window opens at its own size.
const QRect kScreen(0, 0, 1920, 1080);

// Whatever a window asks while it opens is declined; this test looks only at what it shows.
class DecliningDialogs : public IDialogs {
public:
    TMsgAnswer messageBox(QWidget*, const QString&, const QString&, TMsgKind, TMsgButtons buttons, TMsgAnswer) override
    {
        return buttons == TMsgButtons::Ok ? TMsgAnswer::Ok : TMsgAnswer::No;
    }
    QString getOpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString getSaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString getExistingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QString> getText(QWidget*, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    bool printDialog(QWidget*, const QString&, QPrinter&) override { return false; }
    int execModal(QWidget& window) override
    {
        window.hide();
        return 0;
    }
};

struct ClubDay {
    int competition = 0;
    int run = 0;
    int jump = 0;
    int ranked = 0;
    int athlete = 0; // Anna-Lena Großmann of the TSV
};

// A club day as organisers enter it: names as long as real clubs, teams and children have.
ClubDay seedClubDay(StandinSeed& seed)
{
    ClubDay day;
    standin::Db& db = seed.db();
    seed.begin();
    const int comp = seed.competition(QStringLiteral("Kinderleichtathletik Sommerfest"));
    db.query("UPDATE competitions SET date = '2026-06-13' WHERE id = ?", comp).run();
    const int u10 = seed.ageClass(comp, QStringLiteral("U10 Kinderleichtathletik gemischt"));
    const int u12 = seed.ageClass(comp, QStringLiteral("U12 Kinderleichtathletik gemischt"));
    seed.ageClass(comp, QStringLiteral("U8")); // no team yet
    const QStringList clubs{QStringLiteral("LG Überlingen-Bodensee Sportgemeinschaft e.V."),
                            QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg"),
                            QStringLiteral("TSV Müsterhausen-Großengstingen"),
                            QStringLiteral("SC Grün-Weiß Donaueschingen 1921 e.V.")};
    const int clubOfTeam[] = {0, 1, 2, 0, 2, 3, 3};
    // The last two differ only after their 25th letter.
    const QStringList teams{
        QStringLiteral("LG Überlingen-Bodensee Sportgemeinschaft e.V."),
        QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg Nachwuchsmannschaft "
                       "Zwei"),
        QStringLiteral("TSV Müsterhausen-Großengstingen"),
        QStringLiteral("LG Überlingen-Bodensee Sportgemeinschaft e.V. 2"),
        QStringLiteral("TSV Müsterhausen-Großengstingen 2"),
        QStringLiteral("SC Grün-Weiß Donaueschingen Mädchen"),
        QStringLiteral("SC Grün-Weiß Donaueschingen Jungen")};
    const QStringList given{QStringLiteral("Marie-Charlotte"), QStringLiteral("Maximilian-Alexander"),
                            QStringLiteral("Anna-Lena"), QStringLiteral("Jan")};
    const QStringList sur{QStringLiteral("Großmann"), QStringLiteral("Schmidt-Müller-Lüdenscheidt"),
                          QStringLiteral("Müller-Lüdenscheidt"), QStringLiteral("Hohenberger-Wolfsteiner")};
    const int squadU10 = seed.squad(comp, 1, QStringLiteral("Riege U10 Überlingen-Seeufer"), u10);
    const int squadU12 = seed.squad(comp, 2, QStringLiteral("Riege U12 Müsterhausen-Großengstingen"), u12);

    proto::ResultTableType runTable;
    runTable.ResultsPerRow = 1;
    runTable.ResultUnitPattern = QStringLiteral("$()s");
    runTable.LowerValuesAreHigherRanked = true;
    proto::ResultTableType jumpTable;
    jumpTable.ResultsPerRow = 3;
    jumpTable.ResultUnitPattern = QStringLiteral("$()m");
    const int run = seed.discipline(comp, QStringLiteral("Hindernis-Rundenlauf 3 Läufe"), u10, runTable);
    const int jump = seed.discipline(comp, QStringLiteral("Zonenweitsprung mit Absprungzone"), u10, jumpTable);
    const int throwing = seed.discipline(comp, QStringLiteral("Drehwurf mit dem Heuler"), u12, jumpTable);
    const int ranked = seed.discipline(comp, QStringLiteral("Biathlon-Staffel Zieleinlauf"), u10, runTable);
    for (auto [discipline, type] : {std::pair{run, "Time"}, {jump, "Distance"}, {throwing, "Distance"}})
        db.query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('Disciplin_ResultType', ?, ?)", discipline,
                 QString::fromLatin1(type))
            .run();
    // The zone jump counts points zone by zone on a tally sheet.
    db.query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('Disciplin_ResultFormat', ?, 'Points')", jump).run();
    db.query("UPDATE disciplines SET result_assignment = 'byAthleteOrTeam' WHERE id = ?", jump).run();
    seed.setHeatSize(run, 4);
    for (int discipline : {run, jump})
        seed.assignSquad(discipline, squadU10);
    seed.assignSquad(throwing, squadU12);
    const std::vector<int> places =
        seed.facility(comp, QStringLiteral("Weitsprunganlage Nord (Sandgrube 2)"), {jump, run, throwing});
    seed.scheduleItem(squadU10, places[0], QStringLiteral("09:30:00"));
    seed.scheduleItem(squadU10, places[1], QStringLiteral("10:15:00"));
    seed.scheduleItem(squadU12, places[2], QStringLiteral("09:30:00"));
    // A facility for ten disciplines, and ten more squads each scheduled at all of them.
    std::vector<int> stations{run, jump, throwing, ranked};
    for (const char* name : {"Sprint-Koordinationslauf", "Stabweitsprung", "Medizinballstoß", "Schlagwurf",
                             "Hürdensprint-Staffel", "Weitsprung aus der Zone"})
        stations.push_back(seed.discipline(comp, QString::fromUtf8(name), u10, jumpTable));
    const std::vector<int> stationPlaces =
        seed.facility(comp, QStringLiteral("Mehrkampfanlage Süd (Sporthalle 3)"), stations);
    for (const char* name : {"Laufbahn Nord (Kunststoff, 6 Bahnen)", "Laufbahn Süd (Kunststoff, 4 Bahnen)",
                             "Weitsprunganlage Süd (Sandgrube 1)"})
        seed.facility(comp, QString::fromUtf8(name), {run, ranked});
    const QStringList towns =
        QStringLiteral("Meersburg-Unterstadt Hagnau-Kirchberg Uhldingen-Mühlhofen Salem-Mimmenhausen "
                       "Markdorf-Ittendorf Immenstaad-Kippenhausen Friedrichshafen-Fischbach Langenargen-Oberdorf "
                       "Kressbronn-Gohren Stetten-Lochbrücke")
            .split(u' ');
    for (int i = 0; i < towns.size(); ++i) {
        const int squad = seed.squad(comp, i + 3, QStringLiteral("Riege U10 ") + towns[i], u10);
        for (std::size_t place = 0; place < stationPlaces.size(); ++place)
            seed.scheduleItem(squad, stationPlaces[place], QTime(9, 0).addSecs(1800 * int(place)).toString());
    }

    int n = 0;
    for (int t = 0; t < teams.size(); ++t) {
        const bool older = t >= 3;
        const int club = seed.club(comp, clubs[clubOfTeam[t]]);
        const int team = seed.team(comp, teams[t], older ? u12 : u10, club);
        db.query("INSERT INTO squad_teams (team_id, squad_id, position) VALUES (?, ?, ?)", team,
                 older ? squadU12 : squadU10, t)
            .run();
        for (int a = 0; a < 4; ++a, ++n) {
            const int athlete = seed.athlete(comp, given[(a + t) % 4], sur[a], team, club, {100 + n});
            if (t == 2 && a == 0)
                day.athlete = athlete;
            seed.setPerson(athlete, a % 2 ? proto::GenderType::MALE : proto::GenderType::FEMALE, 2016 - t % 2);
            if (older) {
                seed.placeAthlete(throwing, athlete);
                seed.measured(throwing, athlete, 1, proto::ResultValueType::Distance, 12.5 + n * 0.1);
                continue;
            }
            seed.placeAthlete(run, athlete, a % 3 + 1);
            seed.measured(run, athlete, 1, proto::ResultValueType::Time, 61.2 + n);
            seed.placeAthlete(jump, athlete);
            seed.placeAthlete(ranked, athlete);
            db.query("UPDATE results SET bib = ? WHERE id = ?", 100 + n,
                     seed.measured(ranked, athlete, 1, proto::ResultValueType::Rank, n + 1))
                .run();
            seed.measured(jump, athlete, 1, proto::ResultValueType::Distance, 2.5 + n * 0.05);
        }
    }
    db.exec("INSERT OR IGNORE INTO aggregator_templates (id, name) VALUES (2, 'Summe')");
    const int node = db.nextId("aggregator");
    db.query("INSERT INTO aggregators (id, competition_id, template_id) VALUES (?, ?, 2)", node, comp).run();
    db.query("INSERT INTO aggregator_parameters (aggregator_id, position, value) VALUES (?, 0, '1')", node).run();
    // The team scoring of the day: every U10 station but the finishing order.
    for (int p : stations)
        if (p != ranked)
            db.query("INSERT INTO aggregator_sources (aggregator_id, position, provider_id) "
                     "VALUES (?, (SELECT COUNT(*) FROM aggregator_sources WHERE aggregator_id = ?), ?)",
                     node, node, p)
                .run();
    db.query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('Label', ?, 'Mannschaftswertung U10')", node).run();
    db.query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('ResAgg_VisCertificate', ?, 'true')", node).run();
    const int collection = db.nextId("aggregator_collection");
    db.query("INSERT INTO aggregator_collections (id, competition_id, name) VALUES (?, ?, 'Urkunden U10')", collection,
             comp)
        .run();
    db.query("INSERT INTO aggregator_collection_nodes (collection_id, position, aggregator_id) VALUES (?, 0, ?)",
             collection, node)
        .run();
    // The cup takes every age class, team and athlete of the day, every other one done.
    const int cup = seed.cup(QStringLiteral("Kinderleichtathletik-Cup Bodensee-Oberschwaben 2026"), {comp});
    const auto cupItem = [&](const char* kind, const char* member, int id, int n) {
        const int item = db.nextId("cup_item");
        db.query("INSERT INTO cup_items (id, cup_id, item_type, completed) VALUES (?, ?, ?, ?)", item, cup,
                 QString::fromLatin1(kind), n % 2)
            .run();
        db.query((std::string("INSERT INTO cup_item_members (cup_item_id, ") + member + ") VALUES (?, ?)").c_str(),
                 item, id)
            .run();
        return item;
    };
    int n2 = 0;
    for (standin::Statement q = db.query("SELECT id, name FROM age_classes WHERE competition_id = ?", comp); q.next();)
        db.query("INSERT INTO cup_age_classes (cup_item_id, name) VALUES (?, ?)",
                 cupItem("AgeClass", "age_class_id", q.intAt(0), n2++), q.textAt(1))
            .run();
    for (standin::Statement q = db.query("SELECT id, name FROM teams WHERE competition_id = ?", comp); q.next();)
        db.query("INSERT INTO cup_teams (cup_item_id, name) VALUES (?, ?)",
                 cupItem("Team", "team_id", q.intAt(0), n2++), q.textAt(1))
            .run();
    // Three columns of the cup's own for its athletes, the first with a value in some rows.
    std::vector<int> customColumns;
    for (const char* name :
         {"Startpass-Nummer des Landesverbands", "Kaderzugehörigkeit Bezirk Bodensee", "Bemerkung der Cup-Leitung"}) {
        customColumns.push_back(db.nextId("cup_column"));
        db.query("INSERT INTO cup_custom_columns (id, cup_id, item_type, name, order_index) "
                 "VALUES (?, ?, 'Athlete', ?, ?)",
                 customColumns.back(), cup, QString::fromUtf8(name), int(customColumns.size()))
            .run();
    }
    for (standin::Statement q =
             db.query("SELECT id, given_name, sur_name, year_of_birth FROM athletes WHERE competition_id = ?", comp);
         q.next();) {
        const int item = cupItem("Athlete", "athlete_id", q.intAt(0), n2++);
        db.query("INSERT INTO cup_athletes (cup_item_id, given_name, sur_name, year_of_birth) VALUES (?, ?, ?, ?)",
                 item, q.textAt(1), q.textAt(2), q.intAt(3))
            .run();
        if (n2 % 7 == 0)
            db.query("INSERT INTO cup_custom_values (cup_item_id, column_id, value) VALUES (?, ?, 'BW-0815-2026')",
                     item, customColumns[0])
                .run();
    }
    seed.commit();
    day.competition = comp;
    day.run = run;
    day.jump = jump;
    day.ranked = ranked;
    return day;
}

// The program with every window created, the position store in place and a competition chosen.
struct ProgramUnderTest {
    explicit ProgramUnderTest(QRect screen = kScreen, void (*more)(StandinSeed&, const ClubDay&) = nullptr)
        : area(screen)
    {
        AppPaths::setProgramDirForTests(QStringLiteral(TVP_BUILD_PROGRAM_DIR));
        qputenv("TVP_INSTANCE_DIR", instanceDir.path().toUtf8());
        PingTimeouts::checkIntervalMs = 100;
        server.start();
        const QString address = QStringLiteral("http://127.0.0.1:%1").arg(server.port());
        WriteIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), address);
        StandinSeed seed(server.dataFile());
        day = seedClubDay(seed);
        if (more)
            more(seed, day);
        WriteIniInteger(QStringLiteral("Competition"), QStringLiteral("currentCompetition"), day.competition);
        setDialogs(std::make_unique<DecliningDialogs>());

        program = std::make_unique<TProgram>();
        TWindowRegistry& registry = program->registry();
        registerProgramAreas(registry);
        registry.registerWindow(TWindowId::ChooseCompetitionForm, [address](TWindowContext& c) {
            return std::make_unique<TChooseCompetitionForm>(c, tvp::test::loopbackChooser(address));
        });
        // As start-up does, on a screen that leaves every window its own size.
        for (const TWindowRow& row : windowCatalogue())
            if (row.phase != TStartupPhase::Late)
                registry.create(row.id, program->context());
        QList<TTVPForm*> stored;
        for (TWindowId id : positionStoreOrder())
            if (TTVPForm* form = registry.form(id))
                stored << form;
        program->context().setPositionStore(std::make_unique<TPositionStoreAdapter>(stored, kPositionStoreMainWindows,
                                                                                    relatedWindows(registry), screen));
        chosen = registry.get<TChooseCompetitionForm>(TWindowId::ChooseCompetitionForm)->setCompetition(false);
        for (const TWindowRow& row : windowCatalogue())
            if (row.phase == TStartupPhase::Late)
                registry.create(row.id, program->context());
    }
    ~ProgramUnderTest()
    {
        program.reset();
        setDialogs(nullptr);
        PingTimeouts::checkIntervalMs = 500;
        qunsetenv("TVP_INSTANCE_DIR");
        InitComm();
    }

    const QRect area;
    tvp::test::TempAppFolders folders;
    QTemporaryDir instanceDir;
    tvp::test::StandinHarness server;
    std::unique_ptr<TProgram> program;
    ClubDay day;
    bool chosen = false;
};

void settle()
{
    for (int quiet = 0; quiet < 3;) {
        ASSERT_TRUE(tvp::test::waitUntil([] { return runningRequestCount() == 0; }, 15000));
        QTest::qWait(20);
        quiet = runningRequestCount() == 0 ? quiet + 1 : 0;
    }
}

// Chooses as a user would where nothing is chosen yet, so that the lists that show a choice fill:
// the first entry of an empty choice, the first row of a list.
void chooseFirst(QWidget& window)
{
    for (QComboBox* combo : window.findChildren<QComboBox*>())
        if (combo->isVisibleTo(&window) && combo->isEnabled() && !combo->isEditable() && combo->count() > 0 &&
            combo->currentIndex() < 0) {
            QTest::keyClick(combo, Qt::Key_Down);
            settle();
        }
    for (QAbstractItemView* view : window.findChildren<QAbstractItemView*>()) {
        if (!view->isVisibleTo(&window) || !view->model() || view->model()->rowCount() == 0 ||
            view->currentIndex().isValid() || qobject_cast<QComboBox*>(view->parentWidget()))
            continue;
        const QRect first = view->visualRect(view->model()->index(0, 0));
        if (first.isValid())
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, first.center());
        settle();
    }
}

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
        settle();
        expectScoringNodesFit(*window);
    }
    QTest::qWait(10);
    const QSize opened = window->size();
    // Under a real display (xvfb-run with QT_QPA_PLATFORM=xcb), each window as it opens, saved into
    // the folder TVP_SCREENSHOTS names.
    if (const QString folder = qEnvironmentVariable("TVP_SCREENSHOTS"); !folder.isEmpty())
        window->grab().save(QDir(folder).filePath(window->objectName() + QStringLiteral(".png")));
    expectListsApart(*window, 0);
    expectAllFitOnEveryTab(*window, QStringLiteral("at"));

    window->resize(1, 1); // the layout holds it at its smallest size
    QTest::qWait(10);
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
    QTest::qWait(10);
    expectWithinLaptop(*window, GetParam(), "as it opens");
    // Its lists filled as a user fills them (a cup chosen): it stays within the screen.
    chooseFirst(*window);
    QTest::qWait(10);
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

// A crowded day on a laptop: a hundred teams of one club alike to their 60th letter, twenty squads of one town,
// fourteen disciplines and ten thousand athletes; the teams and a thousand athletes in the cup.
void seedCrowd(StandinSeed& seed, const ClubDay& day)
{
    standin::Db& db = seed.db();
    seed.begin();
    const int comp = day.competition;
    const int u10 = seed.value("SELECT MIN(id) FROM age_classes WHERE competition_id = ?", comp);
    const QString clubName = QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg");
    const int club = seed.club(comp, clubName);
    const auto inCup = [&](const char* kind, const char* member, int id) {
        const int item = db.nextId("cup_item");
        db.query("INSERT INTO cup_items (id, cup_id, item_type) SELECT ?, MAX(cup_id), ? FROM cup_competitions", item,
                 QString::fromLatin1(kind))
            .run();
        db.query((std::string("INSERT INTO cup_item_members (cup_item_id, ") + member + ") VALUES (?, ?)").c_str(),
                 item, id)
            .run();
        return item;
    };
    std::vector<int> teams;
    for (int t = 1; t <= 100; ++t) {
        const QString name = clubName + QStringLiteral(" Nachwuchs %1").arg(t, 2, 10, QChar(u'0'));
        teams.push_back(seed.team(comp, name, u10, club));
        const int item = inCup("Team", "team_id", teams.back());
        db.query("INSERT INTO cup_teams (cup_item_id, name) VALUES (?, ?)", item, name).run();
    }
    for (int q = 0; q < 20; ++q)
        seed.squad(comp, 100 + q, QStringLiteral("Riege U10 Überlingen-Seeufer"), u10);
    std::vector<int> disciplines;
    for (int d = 1; d <= 14; ++d)
        disciplines.push_back(seed.discipline(comp, QStringLiteral("Sprint-Koordinationslauf Station %1").arg(d), u10));
    seed.facility(comp, QStringLiteral("Sportpark Hochschwarzwald Nachwuchszentrum (Halle 1)"), disciplines);
    for (int a = 0; a < 10000; ++a) {
        const QString given = a % 2 ? QStringLiteral("Maximilian-Alexander") : QStringLiteral("Marie-Charlotte");
        const int athlete = seed.athlete(comp, given, QStringLiteral("Wolfsteiner"), teams[std::size_t(a % 100)], club);
        seed.setPerson(athlete, a % 2 ? proto::GenderType::MALE : proto::GenderType::FEMALE, 2014 + a % 4);
        if (a < 1000)
            db.query("INSERT INTO cup_athletes (cup_item_id, given_name, year_of_birth) VALUES (?, ?, ?)",
                     inCup("Athlete", "athlete_id", athlete), given, 2014 + a % 4)
                .run();
    }
    seed.commit();
}

class CrowdedLaptopTest : public ::testing::TestWithParam<std::tuple<int, TWindowId>> {
protected:
    static void TearDownTestSuite() { program_.reset(); }
    QRect area() const { return {0, 32, std::get<0>(GetParam()), std::get<0>(GetParam()) * 9 / 16 - 32}; }
    // One program at a time: it holds the settings and the connection of the process.
    ProgramUnderTest& program()
    {
        if (!program_ || program_->area != area()) {
            program_.reset();
            program_ = std::make_unique<ProgramUnderTest>(area(), seedCrowd);
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
    const int wait = std::exchange(TTVPForm::frameWaitMs, offscreen ? 0 : TTVPForm::frameWaitMs);
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
    TTVPForm::frameWaitMs = wait;
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
