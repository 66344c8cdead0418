#include "tests/app/ClubDay.h"

#include "core/connection/CommunicationThread.h"
#include "core/connection/PingTest.h"
#include "core/ui/ChooseCompetitionDialog.h"
#include "core/ui/WindowCatalogue.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowPositionManager.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "core/util/IniHandler.h"
#include "tests/support/LoopbackChooser.h"
#include "tests/support/TestUtil.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>
#include <QTime>

namespace tvp::test {

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

ProgramUnderTest::ProgramUnderTest(QRect screen, const Seed& more) : area(screen)
{
    AppPaths::setProgramDirForTests(QStringLiteral(TVP_BUILD_PROGRAM_DIR));
    qputenv("TVP_INSTANCE_DIR", instanceDir.path().toUtf8());
    PingTimeouts::checkIntervalMs = kLoopbackPingIntervalMs;
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
    program->context().setPositionStore(
        std::make_unique<TPositionStoreAdapter>(stored, kPositionStoreMainWindows, relatedWindows(registry), screen));
    chosen = registry.get<TChooseCompetitionForm>(TWindowId::ChooseCompetitionForm)->setCompetition(false);
    for (const TWindowRow& row : windowCatalogue())
        if (row.phase == TStartupPhase::Late)
            registry.create(row.id, program->context());
}

ProgramUnderTest::~ProgramUnderTest()
{
    program.reset();
    setDialogs(nullptr);
    PingTimeouts::checkIntervalMs = 500;
    qunsetenv("TVP_INSTANCE_DIR");
    InitComm();
}

void settle(int timeoutMs)
{
    for (int quiet = 0; quiet < 3;) {
        ASSERT_TRUE(tvp::test::waitUntil([] { return runningRequestCount() == 0; }, timeoutMs));
        QTest::qWait(20);
        quiet = runningRequestCount() == 0 ? quiet + 1 : 0;
    }
}

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

void seedCrowd(StandinSeed& seed, const ClubDay& day, const Crowd& crowd)
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
    for (int t = 1; t <= crowd.teams; ++t) {
        const QString name = clubName + QStringLiteral(" Nachwuchs %1").arg(t, 2, 10, QChar(u'0'));
        teams.push_back(seed.team(comp, name, u10, club));
        const int item = inCup("Team", "team_id", teams.back());
        db.query("INSERT INTO cup_teams (cup_item_id, name) VALUES (?, ?)", item, name).run();
    }
    for (int q = 0; q < crowd.squads; ++q) {
        std::vector<int> members;
        for (std::size_t t = std::size_t(q); crowd.teamsInSquads && t < teams.size(); t += std::size_t(crowd.squads))
            members.push_back(teams[t]);
        seed.squad(comp, crowd.teamsInSquads ? q + 1 : 100 + q, QStringLiteral("Riege U10 Überlingen-Seeufer"), u10,
                   members);
    }
    std::vector<int> disciplines;
    for (int d = 1; d <= crowd.disciplines; ++d)
        disciplines.push_back(seed.discipline(comp, QStringLiteral("Sprint-Koordinationslauf Station %1").arg(d), u10));
    seed.facility(comp, QStringLiteral("Sportpark Hochschwarzwald Nachwuchszentrum (Halle 1)"), disciplines);
    for (int a = 0; a < crowd.athletes; ++a) {
        const QString given = a % 2 ? QStringLiteral("Maximilian-Alexander") : QStringLiteral("Marie-Charlotte");
        const int athlete =
            seed.athlete(comp, given, QStringLiteral("Wolfsteiner"), teams[std::size_t(a % crowd.teams)], club);
        seed.setPerson(athlete, a % 2 ? proto::GenderType::MALE : proto::GenderType::FEMALE, 2014 + a % 4);
        if (a < 1000)
            db.query("INSERT INTO cup_athletes (cup_item_id, given_name, year_of_birth) VALUES (?, ?, ?)",
                     inCup("Athlete", "athlete_id", athlete), given, 2014 + a % 4)
                .run();
    }
    seed.commit();
}

} // namespace tvp::test
