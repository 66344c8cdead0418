// The timing settings and import windows against the stand-in: a result file dropped into the
// exchange folder, the poll, and runs imported by double click as a user does.

#include "core/ui/ExceptionDialog.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WaitDialog.h"
#include "core/util/IniHandler.h"
#include "results/ui/TimingImportDialog.h"
#include "results/ui/TimingSettingsDialog.h"
#include "tests/results/ResultWindowFixture.h"
#include "tests/results/TimingFixture.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>

#include <atomic>
#include <map>
#include <thread>

namespace tvp::test {
namespace {

const QColor kLightBlue(0x90, 0xC0, 0xFF);

QTreeView* runList(const TTimingImportForm& import)
{
    return import.findChild<QTreeView*>(QStringLiteral("ListView1"));
}

void doubleClickRow(const TTimingImportForm& import, int row)
{
    QTreeView* view = runList(import);
    const QPoint at = view->visualRect(view->model()->index(row, 1)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

class TimingWindowTest : public ResultWindowTest {
protected:
    void SetUp() override
    {
        ResultWindowTest::SetUp();
        ASSERT_TRUE(exchange.isValid());
        run = discipline(QStringLiteral("Lauf"), 1, false, "byAthleteOrTeam", QStringLiteral("Time"));
        seed->placeAthlete(run, anna, 1);
        seed->placeAthlete(run, ben, 1);
        hurdles = discipline(QStringLiteral("Hürdenlauf"), 1, false, "byBib", QStringLiteral("Time"));
        seed->placeAthlete(hurdles, anna, 1);
        seed->placeAthlete(hurdles, cara, 1);
        uiInfo(QStringLiteral("DiscTimingId"), run, QStringLiteral("7"));
        uiInfo(QStringLiteral("DiscTimingId"), hurdles, QStringLiteral("8"));
        uiInfo(QStringLiteral("DiscTimingId"), sprint, QStringLiteral("5"));
        uiInfo(QStringLiteral("DiscTimingId"), relay, QStringLiteral("9"));

        main = std::make_unique<TMainForm>(context);
        windows.place(TWindowId::MainForm, main.get());
        settings = std::make_unique<TTimingSettingsForm>(context);
        windows.place(TWindowId::TimingSettingsForm, settings.get());
        import = std::make_unique<TTimingImportForm>(context);
        windows.place(TWindowId::TimingImportForm, import.get());
        main->show();
    }
    void TearDown() override
    {
        TTimingSettingsForm::pollIntervalMs = 2000;
        import.reset();
        settings.reset();
        main.reset();
        ResultWindowTest::TearDown();
    }

    QWidget* panel() const { return main->findChild<QWidget*>(QStringLiteral("Panel1")); }
    QColor panelColour() const { return panel()->palette().color(QPalette::Window); }
    QString runFolder() const { return QDir(exchange.path()).filePath(QString::number(comp)); }
    QString exchangeFile(const char* name) const { return QDir(exchange.path()).filePath(QLatin1String(name)); }
    void drop(const QByteArray& bytes) { writeBytes(exchangeFile("COM_ZDT.TXT"), bytes); }
    // One write of the timing program: open, append, close.
    void append(const QByteArray& bytes)
    {
        QFile file(exchangeFile("COM_ZDT.TXT"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(bytes) == bytes.size());
    }
    void watch()
    {
        settings->setExchangeDir(exchange.path());
        settings->setPolling(true);
    }
    // The polls as the timer runs them (the second finds the file as the timing program left it), and
    // the list as the panel opens it; an open list shows the runs when the panel turns white.
    void arrive(const QByteArray& bytes)
    {
        drop(bytes);
        settings->Timer1Timer();
        settings->Timer1Timer();
        import->show();
        ASSERT_TRUE(waitUntil([this] { return panelColour() == QColor(Qt::white); }));
    }
    QTreeView* list() const { return runList(*import); }
    QString rowText(int row, int column) const { return list()->model()->index(row, column).data().toString(); }
    void doubleClick(int row) { doubleClickRow(*import, row); }
    bool imported()
    {
        return waitUntil([this] { return import->pendingRequests() == 0 && runningRequestCount() == 0; }, 10000) &&
               settled();
    }
    // Double click on a row, checking that the poll goes on while the request runs.
    void importRow(int row)
    {
        ASSERT_TRUE(settings->isPolling());
        doubleClick(row);
        EXPECT_EQ(import->pendingRequests(), 1);
        EXPECT_TRUE(settings->isPolling()) << "runs written anew during the import would be lost";
        EXPECT_TRUE(recorder.waits.shown.contains(QStringLiteral("Importiere Daten von Zeitmessung")));
        ASSERT_TRUE(imported());
        EXPECT_TRUE(settings->isPolling());
        EXPECT_TRUE(recorder.waits.shown.isEmpty());
    }
    char statusByte(const QString& name) const { return readBytes(QDir(runFolder()).filePath(name)).at(0); }
    // The program closed and started again over the same folder.
    void restart()
    {
        import.reset();
        settings.reset();
        settings = std::make_unique<TTimingSettingsForm>(context);
        windows.place(TWindowId::TimingSettingsForm, settings.get());
        import = std::make_unique<TTimingImportForm>(context);
        windows.place(TWindowId::TimingImportForm, import.get());
        import->show();
    }
    int row(const QString& description) const
    {
        for (int r = 0; r < list()->model()->rowCount(); ++r)
            if (rowText(r, 1) == description)
                return r;
        return -1;
    }
    QStringList messages() const { return recorder.messages.lines(); }

    QTemporaryDir exchange;
    int run = 0, hurdles = 0;
    std::unique_ptr<TMainForm> main;
    std::unique_ptr<TTimingSettingsForm> settings;
    std::unique_ptr<TTimingImportForm> import;
};

QByteArray twoLaufRuns()
{
    return runHeader("Lauf 1/1", " 7", " 1", "07062024", "09:05") +
           resultLine("1", "00:00:09.870", "2", "7", "Berg", "Anna",
                      "F\x81"
                      "chse") +
           resultLine("2", "00:00:09.120", "1", "8", "Acker", "Ben",
                      "F\x81"
                      "chse") +
           runHeader("Lauf 1/1", " 7", " 2", "07062024", "09:40") +
           resultLine("1", "00:00:10.500", "1", "9", "Dorn", "Cara", "Eulen");
}

// Result lines of lanes from..to in 1x.500 seconds, bib bibBase + lane (7 in lane 1 when bibBase is 6).
QByteArray laneLines(int from, int to, int bibBase)
{
    QByteArray lines;
    for (int lane = from; lane <= to; ++lane)
        lines += resultLine(QByteArray::number(lane), "00:00:1" + QByteArray::number(lane) + ".500", "",
                            QByteArray::number(bibBase + lane), "Lauf", "Ohne", "");
    return lines;
}

TEST_F(TimingWindowTest, SettingsAreStoredByOkAndApplyOnlyAndTheIndicatorFollowsPolling)
{
    EXPECT_EQ(ReadIniInteger("TimingConnector", "EnablePolling", -1), 0) << "written back at creation";
    EXPECT_TRUE(panel()->isHidden());
    auto* check = settings->findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
    auto button = [this](const QString& text) {
        for (QPushButton* b : settings->findChildren<QPushButton*>())
            if (b->text() == text)
                return b;
        return static_cast<QPushButton*>(nullptr);
    };
    auto folderShown = [this] { return settings->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(); };

    settings->show();
    script->expectFile(QStringLiteral("Bitte Austauschordner wählen"), exchange.path());
    QTest::mouseClick(button(QStringLiteral("Auswählen")), Qt::LeftButton);
    EXPECT_EQ(folderShown(), exchange.path());
    QTest::mouseClick(check, Qt::LeftButton);
    QTest::mouseClick(button(QStringLiteral("Abbrechen")), Qt::LeftButton);
    EXPECT_FALSE(settings->isVisible());
    QString stored;
    ReadIniStr("TimingConnector", "ExchangeFolder", "unset", stored);
    EXPECT_EQ(stored, QStringLiteral("unset"));
    EXPECT_EQ(ReadIniInteger("TimingConnector", "EnablePolling", -1), 0);
    EXPECT_TRUE(panel()->isHidden());

    settings->show();
    EXPECT_EQ(folderShown(), QString()) << "showing forgets what was cancelled";
    EXPECT_FALSE(check->isChecked());
    script->expectFile(QStringLiteral("Bitte Austauschordner wählen"), exchange.path());
    QTest::mouseClick(button(QStringLiteral("Auswählen")), Qt::LeftButton);
    QTest::mouseClick(check, Qt::LeftButton);
    QTest::mouseClick(button(QStringLiteral("Übernehmen")), Qt::LeftButton);
    EXPECT_TRUE(settings->isVisible());
    ReadIniStr("TimingConnector", "ExchangeFolder", "", stored);
    EXPECT_EQ(stored, exchange.path());
    EXPECT_EQ(ReadIniInteger("TimingConnector", "EnablePolling", -1), 1);
    EXPECT_EQ(settings->getTimingExchangeDir(), exchange.path());
    EXPECT_TRUE(settings->isPolling());
    EXPECT_FALSE(panel()->isHidden());
    EXPECT_EQ(panelColour(), QColor(Qt::white));

    main->SetNewTimingData();
    EXPECT_EQ(panelColour(), kLightBlue);
    // Off hides it at once; on again shows it white.
    QTest::mouseClick(check, Qt::LeftButton);
    QTest::mouseClick(button(QStringLiteral("OK")), Qt::LeftButton);
    EXPECT_FALSE(settings->isVisible());
    EXPECT_EQ(ReadIniInteger("TimingConnector", "EnablePolling", -1), 0);
    EXPECT_FALSE(settings->isPolling());
    EXPECT_TRUE(panel()->isHidden());
    settings->setPolling(true);
    EXPECT_EQ(panelColour(), QColor(Qt::white));

    // The next start reads both back.
    TTimingSettingsForm again(context);
    EXPECT_EQ(again.getTimingExchangeDir(), exchange.path());
    EXPECT_TRUE(again.isPolling());
}

TEST_F(TimingWindowTest, TwoRunsArriveByThePollAndAnImportByAthleteStoresTheNewestAndOpensItsHeat)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    watch();
    drop(twoLaufRuns());
    // The first run once the second follows it, the last once a poll finds the file unchanged.
    ASSERT_TRUE(waitUntil([this] {
        return panelColour() == kLightBlue && QDir(runFolder()).entryList({QStringLiteral("*.tmp")}).size() == 2;
    }));
    QTest::mouseClick(panel(), Qt::LeftButton);
    ASSERT_TRUE(import->isVisible());
    ASSERT_EQ(list()->model()->rowCount(), 2);
    EXPECT_EQ(panelColour(), QColor(Qt::white)) << "the visible list was rebuilt";
    EXPECT_EQ(rowText(0, 0), QStringLiteral("Nicht verarbeitet"));
    EXPECT_EQ(rowText(1, 0), QStringLiteral("Nicht verarbeitet"));
    EXPECT_EQ(rowText(0, 2), QStringLiteral("09:40 07.06.2024")) << "newest first";
    EXPECT_EQ(rowText(1, 2), QStringLiteral("09:05 07.06.2024"));
    EXPECT_EQ(rowText(1, 1), QStringLiteral("Lauf 1/1"));
    for (const tvp::test::CutText& cut : tvp::test::cutTexts(*import))
        ADD_FAILURE() << tvp::test::describe(cut);

    // A result there before is replaced by what the timing program says.
    seed->placeAthlete(run, cara, 2);
    importRow(1);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(stored(run, 1, "athlete_id", anna), QStringLiteral("Time 9.87"));
    EXPECT_EQ(stored(run, 1, "athlete_id", ben), QStringLiteral("Time 9.12"));
    EXPECT_EQ(stored(run, 1, "athlete_id", cara), QString()) << "the other run is not imported";
    EXPECT_EQ(rowText(1, 0), QStringLiteral("Importiert"));
    EXPECT_EQ(rowText(0, 0), QStringLiteral("Nicht verarbeitet"));
    EXPECT_EQ(statusByte(QStringLiteral("_7_150__EL1_SD_.tmp")), 'I');
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->currentDiscipline(), run);
    EXPECT_EQ(form->currentHeat(), 1);
    EXPECT_EQ(panelColour(), QColor(Qt::white));

    importRow(0);
    EXPECT_EQ(stored(run, 1, "athlete_id", cara), QStringLiteral("Time 10.5"));
    EXPECT_EQ(form->currentHeat(), 2);

    // The same run again changes nothing.
    importRow(1);
    EXPECT_EQ(stored(run, 1, "athlete_id", anna), QStringLiteral("Time 9.87"));
    EXPECT_EQ(seed->results(anna), 1);
}

TEST_F(TimingWindowTest, RunsOfALongDisciplineShowTheirHeatAndTimeInTheList)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    watch();
    QByteArray runs;
    for (const char* heat : {"1", "2", "3"})
        runs += runHeader(QByteArray("Hindernis-Rundenlauf 3 L\x84ufe ") + heat + "/3", " 7", QByteArray(" ") + heat) +
                resultLine("1", "00:01:09.870", "2", "7", "Berg", "Anna", "Eulen");
    drop(runs);
    ASSERT_TRUE(waitUntil([this] { return panelColour() == kLightBlue; }));
    // The last run is split off once a poll finds the file as the one before left it.
    QTest::mouseClick(panel(), Qt::LeftButton);
    ASSERT_TRUE(import->isVisible());
    ASSERT_TRUE(waitUntil([this] {
        if (list()->model()->rowCount() < 3)
            QTest::mouseClick(panel(), Qt::LeftButton);
        return list()->model()->rowCount() == 3;
    }));
    // As the list draws the cell: cut where the column ends, with the view's elision.
    QStringList shown;
    for (int row = 0; row < 3; ++row) {
        const QRect cell = list()->visualRect(list()->model()->index(row, 1));
        shown << list()->fontMetrics().elidedText(rowText(row, 1), list()->textElideMode(), cell.width() - 8);
    }
    EXPECT_TRUE(shown[0].endsWith(QStringLiteral("/3"))) << shown[0].toStdString();
    EXPECT_EQ(QSet<QString>(shown.begin(), shown.end()).size(), 3) << "three runs, three texts";
    for (const tvp::test::CutText& cut : tvp::test::cutTexts(*import))
        ADD_FAILURE() << tvp::test::describe(cut);
    // At its smallest a run shows where its name begins and its heat; status and time stay whole.
    import->resize(1, 1);
    QApplication::processEvents();
    for (int row = 0; row < 3; ++row) {
        const QRect cell = list()->visualRect(list()->model()->index(row, 1));
        const QString s = list()->fontMetrics().elidedText(rowText(row, 1), list()->textElideMode(), cell.width() - 8);
        EXPECT_TRUE(s.startsWith(u"Hind") && s.endsWith(rowText(row, 1).right(4))) << s.toStdString();
    }
    EXPECT_TRUE(tvp::test::cutTexts(*import).empty());
}

TEST_F(TimingWindowTest, ImportsByBibLaneAndTeamStoreWhatTheLinesSay)
{
    watch();
    // Cara's earlier result stays: her line has no time.
    seed->result(hurdles, 1, cara, 9);
    arrive(runHeader("H\x81rdenlauf 1/1", " 8", " 1", "07062024", "10:00") +
           resultLine("1", "00:00:12.300", "1", "7", "Berg", "Anna", "") +
           resultLine("2", "", "", "9", "Dorn", "Cara", "") + runHeader("Sprint 1/1", " 5", " 1", "07062024", "10:05") +
           resultLine("1", "00:00:08.100", "1", "", "", "", "") + resultLine("3", "b", "", "", "", "", "") +
           runHeader("Staffel 1/1", " 9", " 1", "07062024", "10:10") +
           resultLine("1", "00:01:01.000", "1", "", "", "", "Eulen"));
    ASSERT_EQ(list()->model()->rowCount(), 3);

    importRow(2); // oldest: hurdles by bib
    EXPECT_EQ(form->currentDiscipline(), hurdles);
    EXPECT_EQ(stored(hurdles, 1, "bib", 7), QStringLiteral("Time 12.3"));
    EXPECT_EQ(stored(hurdles, 1, "athlete_id", cara), QStringLiteral("Distance 0"));
    // Again by bib: the bib's result is replaced, not doubled.
    importRow(2);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM results WHERE discipline_id = ? AND bib = 7", hurdles), 1);
    recorder.messages.messages.clear(); // Cara's line named

    importRow(1); // sprint by lane
    EXPECT_EQ(stored(sprint, 1, "athlete_id", anna), QStringLiteral("Time 8.1"));
    {
        standin::Statement remark = seed->db().query(
            "SELECT kind, info, lane FROM results WHERE discipline_id = ? AND athlete_id = ?", sprint, ben);
        ASSERT_TRUE(remark.next());
        EXPECT_EQ(remark.textAt(0), QStringLiteral("Info"));
        EXPECT_EQ(remark.textAt(1), QStringLiteral("ab"));
        EXPECT_EQ(remark.intAt(2), 3);
    } // the statement would hold the test's view of the data file

    importRow(0); // relay by team
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(storedForTeam(relay, 1, owls), QStringLiteral("Time 61"));
    EXPECT_EQ(storedForTeam(relay, 1, foxes), QString());
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(rowText(row, 0), QStringLiteral("Importiert"));
}

// "ab" typed by hand stays when the run's line for that bib has no time; the import names the line.
TEST_F(TimingWindowTest, AStatusTypedByHandStaysWhenTheRunHasNoTimeForItAndTheImportNamesIt)
{
    watch();
    open(hurdles);
    enter(0, 1, QStringLiteral("ab"));
    ASSERT_TRUE(settled());
    arrive(runHeader("H\x81rdenlauf 1/1", " 8", " 1", "07062024", "10:00") +
           resultLine("1", "", "", "7", "Berg", "Anna", "") +
           resultLine("2", "00:00:13.000", "1", "9", "Dorn", "Cara", ""));
    importRow(0);
    EXPECT_EQ(stored(hurdles, 1, "bib", 7), QStringLiteral("Info 0"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("ab."));
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Zeitmessungsdaten importieren: Zeilen ohne Zeit im Lauf "
                                                     "\"Hürdenlauf 1/1\" ändern nichts. Gespeichert bleibt: "
                                                     "Startnummer 7, Anna Berg: ab.")});
}

TEST_F(TimingWindowTest, RefusedImportsStoreNothingAndLeaveTheRunNew)
{
    watch();
    seed->db().query("UPDATE athletes SET given_name = 'Annika' WHERE id = ?", anna).run();
    const int cupRun = discipline(QStringLiteral("Pendellauf"), 1, false, "byBib", QStringLiteral("Time"));
    uiInfo(QStringLiteral("DiscTimingId"), cupRun, QStringLiteral("6"));
    arrive(runHeader("Lauf 1/1", " 7", " 1", "07062024", "11:00") +
           resultLine("1", "00:00:09.000", "1", "", "Acker", "Ben",
                      "F\x81"
                      "chse") +
           resultLine("2", "00:00:09.500", "2", "", "Dorn", "Cara", "") +
           resultLine("3", "00:00:09.900", "3", "", "Berg", "Anna",
                      "F\x81"
                      "chse") +
           runHeader("Unbekannt", "42", " 1", "07062024", "11:05") +
           resultLine("1", "00:00:07.000", "1", "7", "", "", "") +
           runHeader("Sprint 1/1", " 5", " 1", "07062024", "11:10") +
           resultLine("1", "00:00:08.000", "1", "", "", "", "") + resultLine("2", "00:00:08.500", "2", "", "", "", "") +
           runHeader("Pendel", " 6", " 1", "07062024", "11:15") +
           resultLine("1", "00:00:08.000", "1", "7", "Berg", "Anna", "") +
           resultLine("2", "00:00:08.000", "2", "", "Ohne", "Nummer", ""));
    ASSERT_EQ(list()->model()->rowCount(), 4);

    // The third line names nobody: the two stored before it are rolled back.
    importRow(3);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Zeitmessungsdaten importieren: Athlet \"Anna Berg\" konnte nicht "
                                                     "in der Datenbank gefunden werden. Bitte Lauf manuell eingeben")});
    EXPECT_EQ(stored(run, 1, "athlete_id", ben), QString());
    EXPECT_EQ(stored(run, 1, "athlete_id", cara), QString());
    EXPECT_EQ(rowText(3, 0), QStringLiteral("Nicht verarbeitet"));
    EXPECT_EQ(statusByte(QStringLiteral("_7_150__EL1_SD_.tmp")), 'N');
    EXPECT_FALSE(form->isVisible());

    recorder.messages.messages.clear();
    importRow(2);
    EXPECT_EQ(messages(), QStringList{QStringLiteral(
                              "Zeitmessungsdaten importieren: Daten konnten keiner Disziplin zugeordnet werden")});
    EXPECT_EQ(rowText(2, 0), QStringLiteral("Nicht verarbeitet"));

    // Lane 2 is empty: the start list changed since the export.
    recorder.messages.messages.clear();
    importRow(1);
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages.front().errorId, 1303);
    EXPECT_EQ(recorder.messages.messages.front().caption, QStringLiteral("Zeitmessungsdaten importieren"));
    EXPECT_EQ(stored(sprint, 1, "athlete_id", anna), QString());
    EXPECT_EQ(rowText(1, 0), QStringLiteral("Nicht verarbeitet"));

    recorder.messages.messages.clear();
    importRow(0);
    EXPECT_EQ(messages(),
              QStringList{QStringLiteral("Zeitmessungsdaten importieren: Athlet \"Nummer Ohne\" hat keine Startnummer. "
                                         "Disziplineinstellungen verlangen Zuordnung über Startnummer. Bitte "
                                         "Disziplineinstellungen ändern oder Lauf manuell eingeben")});
    EXPECT_EQ(stored(cupRun, 1, "bib", 7), QString());

    // A run file gone since the listing: refused before anything is stored.
    recorder.messages.messages.clear();
    seed->db().query("UPDATE athletes SET given_name = 'Anna' WHERE id = ?", anna).run();
    ASSERT_TRUE(QFile::remove(QDir(runFolder()).filePath(QStringLiteral("_7_150__EL1_SD_.tmp"))));
    importRow(3);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Zeitmessungsdaten importieren: Kann Importdatei nicht öffnen.")});
    EXPECT_EQ(stored(run, 1, "athlete_id", ben), QString());
    EXPECT_FALSE(QFile::exists(QDir(runFolder()).filePath(QStringLiteral("_7_150__EL1_SD_.tmp"))))
        << "not made up again";
}

TEST_F(TimingWindowTest, TheRequestLeavesTheRunFileAloneSoOnlyACommittedImportIsMarked)
{
    watch();
    drop(twoLaufRuns());
    settings->Timer1Timer();
    settings->Timer1Timer();
    const std::vector<TTimingImportHeat> runs = TimingConnector([this] { return exchange.path(); }).getRuns(comp);
    ASSERT_EQ(runs.size(), 2u);
    std::optional<TRequestOutcome> outcome;
    QByteArray statusWhenAnswered;
    TRequestRoad<TTimingImportRequest, TTimingImportResponse> road(
        context, timingImportRequests(), nullptr,
        [&](std::unique_ptr<TTimingImportResponse> response, const TRequestOutcome& o) {
            outcome = o;
            statusWhenAnswered = readBytes(response->filename).left(1);
        });
    ASSERT_NE(road.AddRequest(makeTimingImportRequest(runs.front()), TTransactionMode::tm_readwrite), 0u);
    ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); }, 10000));
    EXPECT_TRUE(outcome->ok()) << outcome->error.toStdString();
    EXPECT_EQ(statusWhenAnswered, QByteArray("N")) << "a commit failing after the worker must not find it marked";
    EXPECT_EQ(stored(run, 1, "athlete_id", anna), QStringLiteral("Time 9.87"));
}

TEST_F(TimingWindowTest, PollingWithoutAFolderWritesNothing)
{
    // Where an unset folder would lead relative names.
    QTemporaryDir cwd;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(cwd.path()));
    const QByteArray runs = twoLaufRuns();
    writeBytes(QDir(cwd.path()).filePath("COM_ZDT.TXT"), runs);
    settings->setExchangeDir(QString());
    settings->setPolling(true);
    settings->Timer1Timer();
    import->show();
    QDir::setCurrent(before);
    EXPECT_EQ(readBytes(QDir(cwd.path()).filePath("COM_ZDT.TXT")), runs);
    EXPECT_EQ(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"COM_ZDT.TXT"});
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/COM_ZDT.TXT")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/%1").arg(comp)));
    EXPECT_EQ(panelColour(), QColor(Qt::white));
    EXPECT_EQ(list()->model()->rowCount(), 0);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(TimingWindowTest, AnUnreadableRunFileIsNamedOnceAndTheOthersAreListed)
{
    watch();
    arrive(twoLaufRuns());
    ASSERT_EQ(list()->model()->rowCount(), 2);
    const QString broken = QDir(runFolder()).filePath(QStringLiteral("_7_350__EL1_SD_.tmp"));
    writeBytes(broken, QByteArray("N\0\0\0", 4));
    import->UpdateItems();
    EXPECT_EQ(list()->model()->rowCount(), 2);
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages.front().caption, QStringLiteral("Zeitmessungsdaten importieren"));
    EXPECT_TRUE(recorder.messages.messages.front().text.contains(QStringLiteral("_7_350__EL1_SD_.tmp")));
    // The poll's list update names it no more.
    drop(twoLaufRuns());
    settings->Timer1Timer();
    settings->Timer1Timer();
    import->UpdateItems();
    EXPECT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(list()->model()->rowCount(), 2);
}

QByteArray hurdlesRun(const QByteArray& time, const QByteArray& annasTime, const QByteArray& extraLine = {})
{
    return runHeader("H\x81rdenlauf 1/1", " 8", " 1", "07062024", time) +
           resultLine("1", annasTime, "1", "7", "Berg", "Anna", "") +
           resultLine("2", "00:00:13.000", "2", "9", "Dorn", "Cara", "") + extraLine;
}

// A line the timing program added by hand: it carries no bib.
const QByteArray kLineWithoutBib = resultLine("3", "00:00:14.000", "3", "", "Ohne", "Nummer", "");
const QString kWithoutBib =
    QStringLiteral("Zeitmessungsdaten importieren: Athlet \"Nummer Ohne\" hat keine Startnummer. "
                   "Disziplineinstellungen verlangen Zuordnung über Startnummer. Bitte "
                   "Disziplineinstellungen ändern oder Lauf manuell eingeben");

TEST_F(TimingWindowTest, AnUnreadableRunIsReportedOnceAndTheRunsBeforeItReachTheOpenList)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    watch();
    import->show();
    drop(hurdlesRun("10:00", "00:00:12.300"));
    ASSERT_TRUE(waitUntil([this] { return list()->model()->rowCount() == 1; }));
    importRow(0);
    ASSERT_EQ(rowText(0, 0), QStringLiteral("Importiert"));
    ASSERT_EQ(stored(hurdles, 1, "bib", 7), QStringLiteral("Time 12.3"));

    // The run again with other times, then a run whose header ends without CR.
    QByteArray broken = runHeader("H\x81rdenlauf 2/2", " 8", " 2", "07062024", "10:30");
    broken.replace(broken.size() - 2, 2, "\n");
    broken += resultLine("1", "00:00:11.000", "1", "9", "Dorn", "Cara", "");
    drop(hurdlesRun("10:20", "00:00:11.900", kLineWithoutBib) + broken);
    ASSERT_TRUE(waitUntil([this] { return !messages().isEmpty(); })) << "the unreadable run is not reported";
    EXPECT_TRUE(waitUntil([this] { return rowText(0, 0) == QStringLiteral("Nicht verarbeitet"); }))
        << "the open list still shows the run as imported";
    EXPECT_EQ(rowText(0, 2), QStringLiteral("10:20 07.06.2024"));
    const QString report =
        QStringLiteral("Zeitmessungsdaten: Datensatz nicht lesbar: Der Kopfsatz des Laufs \"Hürdenlauf 2/2\" in %1 "
                       "endet nicht mit CR LF. Dieser Lauf und alle danach bleiben in der Datei. Bitte Exportdatei "
                       "löschen und erneut von Zeitmessung exportieren.")
            .arg(QDir::toNativeSeparators(QDir(exchange.path()).filePath("COM_ZDT.TXT")));
    QTest::qWait(200); // ten polls more
    EXPECT_EQ(messages(), QStringList{report}) << "reported once";
    EXPECT_EQ(readBytes(QDir(exchange.path()).filePath("COM_ZDT.TXT")), broken) << "nothing behind it is split";

    // The timing program appends a run: the file changed, so it is said again; the run waits.
    const QByteArray third = runHeader("H\x81rdenlauf 3/3", " 8", " 3", "07062024", "10:40") +
                             resultLine("1", "00:00:10.000", "1", "8", "Acker", "Ben", "");
    drop(broken + third);
    ASSERT_TRUE(waitUntil([this] { return messages().size() == 2; }));
    QTest::qWait(200);
    EXPECT_EQ(messages(), (QStringList{report, report}));
    EXPECT_EQ(list()->model()->rowCount(), 1);

    // The run sent again is what a double click imports; its line without bib refuses it.
    importRow(0);
    EXPECT_EQ(messages().size(), 3);
    EXPECT_EQ(messages().value(2), kWithoutBib);
    EXPECT_EQ(stored(hurdles, 1, "bib", 7), QStringLiteral("Time 12.3"));
    EXPECT_EQ(rowText(0, 0), QStringLiteral("Nicht verarbeitet"));
    EXPECT_EQ(statusByte(QStringLiteral("_8_150__EL1_SD_.tmp")), 'N');
}

// Polls that cannot write the run files keep every run in COM_ZDT.TXT: the user hears of it once,
// and the runs arrive once the folder can be made; a result file still missing says nothing.
TEST_F(TimingWindowTest, ARunFolderThatCannotBeMadeIsReportedOnceAndTheRunsComeWhenItCan)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    watch();
    QTest::qWait(100);
    EXPECT_TRUE(messages().isEmpty()) << "no result file yet is no failure";
    writeBytes(runFolder(), "a file where the run folder belongs");
    drop(twoLaufRuns());
    ASSERT_TRUE(waitUntil([this] { return !messages().isEmpty(); })) << "the stalled exchange is silent";
    QTest::qWait(200); // ten polls more
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Zeitmessungsdaten: Der Ordner %1 für die Zeitmessungsdaten kann "
                                                     "nicht angelegt werden.")
                                          .arg(QDir::toNativeSeparators(runFolder()))});
    ASSERT_TRUE(QFile::remove(runFolder()));
    import->show();
    EXPECT_TRUE(waitUntil([this] { return list()->model()->rowCount() == 2; }));
    EXPECT_EQ(messages().size(), 1);
}

// Two desks watch one exchange folder: the other desk's poll rewrites run files under this desk's
// list.
TEST_F(TimingWindowTest, ADoubleClickImportsTheRunFileAsItIsOnDiskAndMarksOnlyThat)
{
    watch();
    arrive(twoLaufRuns());
    importRow(1);
    ASSERT_EQ(stored(run, 1, "athlete_id", anna), QStringLiteral("Time 9.87"));
    TimingConnector otherDesk([this] { return exchange.path(); });
    // This desk's poll rests, so its list stays as it was read; the other desk's split waits while
    // a look of this desk's still holds the file.
    settings->setPolling(false);
    auto otherDeskSplits = [&] {
        for (;;) {
            try {
                return otherDesk.splitTimingImportFile(comp);
            } catch (const ETimingFileBusy&) {
                QThread::msleep(1);
            }
        }
    };
    drop(runHeader("Lauf 1/1", " 7", " 1", "07062024", "09:05") +
         resultLine("1", "00:00:09.500", "2", "7", "Berg", "Anna", "") +
         resultLine("2", "00:00:09.400", "1", "8", "Acker", "Ben", ""));
    ASSERT_FALSE(otherDeskSplits()) << "the run may go on";
    ASSERT_TRUE(otherDeskSplits());
    ASSERT_EQ(rowText(1, 0), QStringLiteral("Importiert")) << "this desk's list is as it was read";

    settings->setPolling(true);
    importRow(1);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(stored(run, 1, "athlete_id", anna), QStringLiteral("Time 9.5"));
    EXPECT_EQ(stored(run, 1, "athlete_id", ben), QStringLiteral("Time 9.4"));
    EXPECT_EQ(rowText(1, 0), QStringLiteral("Importiert"));
    EXPECT_EQ(statusByte(QStringLiteral("_7_150__EL1_SD_.tmp")), 'I');

    // By bib: the run sent again holds a line without bib.
    arrive(hurdlesRun("10:00", "00:00:12.300"));
    importRow(0);
    ASSERT_EQ(stored(hurdles, 1, "bib", 7), QStringLiteral("Time 12.3"));
    settings->setPolling(false);
    drop(hurdlesRun("10:00", "00:00:11.900", kLineWithoutBib));
    ASSERT_FALSE(otherDeskSplits()) << "the run may go on";
    ASSERT_TRUE(otherDeskSplits());
    settings->setPolling(true);
    importRow(0);
    EXPECT_EQ(messages(), QStringList{kWithoutBib});
    EXPECT_EQ(stored(hurdles, 1, "bib", 7), QStringLiteral("Time 12.3"));
    EXPECT_EQ(rowText(0, 0), QStringLiteral("Nicht verarbeitet")) << "the list shows the file it read";
    EXPECT_EQ(statusByte(QStringLiteral("_8_150__EL1_SD_.tmp")), 'N');
}

TEST_F(TimingWindowTest, ARunWhoseHeatOrTimingNumberDoesNotFitItsFieldIsRefused)
{
    watch();
    seed->placeAthleteAt(sprint, cara, 12, 1);
    uiInfo(QStringLiteral("DiscTimingId"), run, QStringLiteral("12"));
    arrive(runHeader("Sprint 123/123", " 5", "123", "07062024", "12:00") +
           resultLine("1", "00:00:08.100", "1", "", "", "", "") +
           runHeader("Lauf 1/1", "123", " 1", "07062024", "12:05") +
           resultLine("1", "00:00:09.000", "1", "7", "Berg", "Anna", ""));
    ASSERT_EQ(list()->model()->rowCount(), 2);

    importRow(1);
    EXPECT_EQ(messages(),
              QStringList{QStringLiteral(
                  "Zeitmessungsdaten importieren: Der Lauf \"Sprint 123/123\" kann nicht importiert werden: "
                  "die Laufnummer 123 passt nicht in ihr Feld von zwei Zeichen. Bitte Lauf manuell eingeben")});
    EXPECT_EQ(stored(sprint, 1, "athlete_id", cara), QString()) << "heat 12 got heat 123's time";
    EXPECT_EQ(rowText(1, 0), QStringLiteral("Nicht verarbeitet"));
    EXPECT_FALSE(form->isVisible());

    recorder.messages.messages.clear();
    importRow(0);
    EXPECT_EQ(messages(), QStringList{QStringLiteral(
                              "Zeitmessungsdaten importieren: Der Lauf \"Lauf 1/1\" kann nicht importiert werden: die "
                              "Zeitmessungsnummer \"123\" passt nicht in ihr Feld von zwei Zeichen (einstellige mit "
                              "einem Leerzeichen davor). Bitte Lauf manuell eingeben")});
    EXPECT_EQ(stored(run, 1, "athlete_id", anna), QString()) << "timing number 12 got 123's run";
    EXPECT_EQ(rowText(0, 0), QStringLiteral("Nicht verarbeitet"));
}

// The timing program appends its runs line by line, or in pieces of 1 to 48 bytes, opening and
// closing the file for each write, while the poll runs; the user imports each run as it comes.
TEST_F(TimingWindowTest, RunsWrittenPieceByPieceWhileThePollRunsArriveWholeAndOnce)
{
    TTimingSettingsForm::pollIntervalMs = 100;
    watch();
    constexpr int kRuns = 40;
    std::vector<QByteArray> runs;
    for (int heat = 1; heat <= kRuns; ++heat) {
        QByteArray lines =
            runHeader("Lauf " + QByteArray::number(heat), " 7", QByteArray::number(heat).rightJustified(2, ' '));
        for (int lane = 1; lane <= 5; ++lane)
            lines += resultLine(QByteArray::number(lane), "00:00:1" + QByteArray::number(lane) + ".000",
                                QByteArray::number(lane), QByteArray::number(heat * 10 + lane), "M\x81ller",
                                "Lauf " + QByteArray::number(heat), "TSV B01");
        runs.push_back(lines);
    }
    const QString resultFile = QDir(exchange.path()).filePath("COM_ZDT.TXT");
    std::atomic<int> failedWrites = 0;
    std::atomic<bool> written = false;
    std::jthread timingProgram([&] {
        QRandomGenerator random(41);
        auto append = [&](QByteArrayView bytes) {
            QFile file(resultFile);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Append) ||
                file.write(bytes.data(), bytes.size()) != bytes.size())
                ++failedWrites;
            file.close();
            QThread::usleep(random.bounded(2000));
        };
        for (int i = 0; i < kRuns; ++i) {
            QByteArrayView rest(runs[std::size_t(i)]);
            while (!rest.isEmpty()) {
                const qsizetype piece = i % 2 == 0 ? rest.indexOf("\r\n") + 2 : random.bounded(1, 49);
                append(rest.first(std::min(piece, rest.size())));
                rest = rest.sliced(std::min(piece, rest.size()));
            }
        }
        written = true;
    });

    // A run split again after it was marked comes back as new.
    std::map<QString, QByteArray> arrived;
    int splitAgain = 0;
    const QDir folder(runFolder());
    auto importArrivals = [&] {
        for (const QString& name : folder.entryList({QStringLiteral("*.tmp")}, QDir::Files)) {
            const QByteArray bytes = readBytes(folder.filePath(name));
            if (bytes.startsWith('I'))
                continue;
            splitAgain += arrived.contains(name) ? 1 : 0;
            arrived[name] = bytes.mid(kRunFileHeaderLength);
            markRunImported(folder.filePath(name));
        }
        return written && int(arrived.size()) >= kRuns;
    };
    waitUntil(importArrivals, 20000);
    timingProgram.join();
    QTest::qWait(300); // three polls more
    importArrivals();

    int whole = 0, damaged = 0;
    for (int heat = 1; heat <= kRuns; ++heat) {
        const QString name = QStringLiteral("_7%1").arg(heat, 2, 10, QChar(u'_')) + QStringLiteral("50__EL1_SD_.tmp");
        if (arrived.contains(name))
            (arrived[name] == runs[std::size_t(heat - 1)].mid(kStartListHeaderLength) ? whole : damaged) += 1;
    }
    EXPECT_EQ(whole, kRuns) << "damaged " << damaged << ", lost " << kRuns - whole - damaged << ", split again "
                            << splitAgain;
    EXPECT_EQ(splitAgain, 0);
    EXPECT_EQ(int(arrived.size()), kRuns) << "run files of no run";
    EXPECT_EQ(failedWrites, 0);
    EXPECT_EQ(QFileInfo(resultFile).size(), 0);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
}

// A result line whose run came before the program started: it starts no run, is kept beside the
// result file and said once. What comes later is added to that file, which a viewer may hold open.
TEST_F(TimingWindowTest, ALineThatStartsNoRunIsKeptBesideTheResultFileAndSaidOnce)
{
    watch();
    drop(kLineWithoutBib);
    for (int tick = 0; tick < 4; ++tick)
        settings->Timer1Timer();
    QFile viewer(exchangeFile("COM_ZDT_nicht_gelesen.TXT"));
    ASSERT_TRUE(viewer.open(QIODevice::ReadOnly));
    EXPECT_EQ(viewer.readAll(), kLineWithoutBib);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().front().contains(QStringLiteral("Eine Ergebniszeile in ")) &&
                messages().front().contains(QStringLiteral("gehört zu keinem Lauf: Bahn 3, Nummer Ohne.")))
        << messages().front().toStdString();
    drop(kLineWithoutBib);
    settings->Timer1Timer();
    settings->Timer1Timer();
    EXPECT_EQ(viewer.readAll(), kLineWithoutBib) << "written anew, not added";
}

// Heat 5, heat 5 again with corrected times, and heat 6 in one write, twenty times over.
TEST_F(TimingWindowTest, ACorrectedHeatSentInTheSameWriteAsItsOlderVersionWins)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    watch();
    auto heat = [](char heatNo, int minute, const QByteArray& thousandths) {
        return runHeader("Lauf", " 7", QByteArray(" ") + heatNo, "07062024", "10:" + QByteArray::number(minute), "1") +
               resultLine("1", "00:00:12." + thousandths, "1", "7", "Berg", "Anna", "");
    };
    int wins = 0;
    for (int minute = 10; minute < 30; ++minute) {
        append(heat('5', minute, "111") + heat('5', minute, "222") + heat('6', minute, "000"));
        ASSERT_TRUE(waitUntil([&] { return readBytes(exchangeFile("COM_ZDT.TXT")).isEmpty(); }));
        wins += readBytes(QDir(runFolder()).filePath(QStringLiteral("_7_550__EL1_SD_.tmp"))).contains("12.222");
    }
    EXPECT_EQ(wins, 20);
}

// A pause longer than a poll in the middle of a run of six lines: the run comes with three, says so
// in the list and at its import, and takes the other three when they come.
TEST_F(TimingWindowTest, ARunSplitBeforeItsLinesAreThereSaysWhatItLacksAndTakesTheRestLater)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    watch();
    import->show();
    QByteArray lines[2]; // lanes 1 to 3, and 4 to 6
    for (int lane = 1; lane <= 6; ++lane)
        lines[lane / 4] += resultLine(QByteArray::number(lane), "00:00:1" + QByteArray::number(lane) + ".500", "",
                                      QByteArray::number(20 + lane), "Lauf", "Ohne", "");
    append(runHeader("H\x81rdenlauf 1/1", " 8", " 1", "07062024", "10:00", "6") + lines[0]);
    ASSERT_TRUE(waitUntil([this] { return list()->model()->rowCount() == 1; }));
    EXPECT_EQ(rowText(0, 0), QStringLiteral("Nicht verarbeitet (3 von 6 Zeilen)"));
    EXPECT_TRUE(tvp::test::cutTexts(*import).empty());
    importRow(0);
    EXPECT_EQ(rowText(0, 0), QStringLiteral("Importiert (3 von 6 Zeilen)"));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().front().contains(u"\"Hürdenlauf 1/1\" ist unvollständig: 3 von 6 Zeilen sind importiert"));
    append(lines[1]);
    ASSERT_TRUE(waitUntil([this] { return rowText(0, 0) == QStringLiteral("Nicht verarbeitet"); }));
    importRow(0);
    EXPECT_EQ(stored(hurdles, 1, "bib", 26), QStringLiteral("Time 16.5"));
    EXPECT_EQ(rowText(0, 0), QStringLiteral("Importiert"));
    EXPECT_EQ(messages().size(), 1);
}

// COM_ZDT.TXT written anew for every run: a run whose lines are all there waits neither for the next
// poll nor for one that finds the file resting. Once the first run is in (so the poll's thread has
// begun to watch), the polls are an hour apart: only the look at a write's notice can split the
// others. Each run is written once the one before arrived: how soon a loaded machine looks is no
// promise (a run written anew too soon is named missing, see the burst below).
TEST_F(TimingWindowTest, RunsOfATimingProgramThatWritesTheFileAnewForEachRunAllArrive)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    watch();
    const QDir folder(runFolder());
    for (int heat = 10; heat < 50; ++heat) {
        writeBytes(exchangeFile("COM_ZDT.TXT"),
                   runHeader("Lauf", " 7", QByteArray::number(heat), "07062024", "09:05", "1") +
                       resultLine("1", "00:00:09.870", "1", "7", "Berg", "Anna", ""));
        ASSERT_TRUE(waitUntil([&] { return folder.entryList({QStringLiteral("*.tmp")}).size() == heat - 9; }, 10000))
            << "heat " << heat;
        if (heat == 10) {
            TTimingSettingsForm::pollIntervalMs = 3600 * 1000;
            settings->setPolling(true);
        }
    }
}

// Text before the runs cannot be kept beside the result file, so the runs stay in it behind the
// text: split once, they keep their import mark, after a restart too; the failure is said once.
TEST_F(TimingWindowTest, ARunStillInTheResultFileIsNotSplitAgainNorAfterARestart)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    const QString beside = exchangeFile("COM_ZDT_nicht_gelesen.TXT");
    ASSERT_TRUE(QDir().mkpath(beside));
    watch();
    import->show();
    drop("Kopfzeile\tA\r\n" + twoLaufRuns());
    ASSERT_TRUE(waitUntil([this] { return list()->model()->rowCount() == 2; }));
    importRow(1);
    QTest::qWait(200); // ten polls
    EXPECT_EQ(rowText(1, 0), QStringLiteral("Importiert")) << "split again";
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().front().contains(u"kann nicht geschrieben werden")) << messages().front().toStdString();

    // Started anew over the same folder; once the text can leave, the runs leave with it.
    import.reset();
    settings = std::make_unique<TTimingSettingsForm>(context);
    windows.place(TWindowId::TimingSettingsForm, settings.get());
    import = std::make_unique<TTimingImportForm>(context);
    windows.place(TWindowId::TimingImportForm, import.get());
    import->show();
    QTest::qWait(200);
    EXPECT_EQ(rowText(1, 0), QStringLiteral("Importiert")) << "split again after the restart";
    ASSERT_TRUE(QDir(beside).removeRecursively());
    EXPECT_TRUE(waitUntil([this] { return readBytes(exchangeFile("COM_ZDT.TXT")).isEmpty(); }));
    EXPECT_EQ(statusByte(QStringLiteral("_7_150__EL1_SD_.tmp")), 'I');
}

// Two runs whose headers name four lanes, six lines each, written line by line 30 ms apart (polls
// every 20 ms): the lines past the count belong to their run, none is set aside.
TEST_F(TimingWindowTest, LinesBeyondTheCountTheHeaderNamesJoinTheirRun)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    watch();
    const QByteArray runs[] = {runHeader("Lauf", " 8", " 1", "07062024", "10:00", "4") + laneLines(1, 6, 20),
                               runHeader("Lauf", " 8", " 2", "07062024", "10:00", "4") + laneLines(1, 6, 40)};
    std::jthread timingProgram([&] {
        for (const QByteArray& line : (runs[0] + runs[1]).chopped(1).split('\n')) {
            append(line + '\n');
            QThread::msleep(30);
        }
    });
    for (int heat : {1, 2})
        EXPECT_TRUE(waitUntil([&] {
            return readBytes(QDir(runFolder()).filePath(QStringLiteral("_8_%1").arg(heat) + "50__EL1_SD_.tmp"))
                       .mid(kRunFileHeaderLength) == runs[heat - 1].mid(kStartListHeaderLength);
        })) << heat;
    EXPECT_FALSE(QFile::exists(exchangeFile("COM_ZDT_nicht_gelesen.TXT")));
}

// A run comes with three of its six lines and is imported; the user types "ab" for its first line;
// the other three come. Importing it again stores only them, and it lacks no lines any more.
TEST_F(TimingWindowTest, LinesAddedToAnImportedRunAreImportedAloneAndCompleteIt)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    watch();
    import->show();
    append(runHeader("Lauf", " 8", " 1", "07062024", "10:00", "6") + laneLines(1, 3, 6));
    ASSERT_TRUE(waitUntil([this] { return list()->model()->rowCount() == 1; }));
    importRow(0);
    enter(0, 1, QStringLiteral("ab"));
    ASSERT_TRUE(settled());
    append(laneLines(4, 6, 6));
    ASSERT_TRUE(waitUntil([this] { return rowText(0, 0) == QStringLiteral("Nicht verarbeitet"); }));
    importRow(0);
    EXPECT_EQ(stored(hurdles, 1, "bib", 7), QStringLiteral("Info 0")) << "the value typed by hand stays";
    EXPECT_EQ(stored(hurdles, 1, "bib", 12), QStringLiteral("Time 16.5"));
    EXPECT_EQ(QDir(runFolder()).entryList(QDir::Files), QStringList{QStringLiteral("_8_150__EL1_SD_.tmp")});
}

// The timing program writes COM_ZDT.TXT anew while an import waits for the server, and again right
// after it: the run written during the import is split during it, not only once it is done.
TEST_F(TimingWindowTest, ARunWrittenAnewDuringAnImportIsSplitOnceItIsDone)
{
    watch();
    arrive(hurdlesRun("10:00", "00:00:12.300"));
    const auto writeAnew = [this](int heat) {
        drop(runHeader("Lauf", " 7", " " + QByteArray::number(heat), "07062024", "10:00", "1") + laneLines(1, 1, 6));
    };
    const QDir folder(runFolder());
    seed->db().exec("BEGIN IMMEDIATE"); // the server is busy
    doubleClick(0);
    EXPECT_EQ(import->pendingRequests(), 1);
    writeAnew(3);
    EXPECT_TRUE(waitUntil([&] { return folder.exists(QStringLiteral("_7_350__EL1_SD_.tmp")); }))
        << "not split while the import ran";
    EXPECT_EQ(import->pendingRequests(), 1) << "the import was done before the run was split";
    seed->db().exec("COMMIT");
    ASSERT_TRUE(imported());
    writeAnew(4);
    EXPECT_TRUE(waitUntil([&] { return folder.exists(QStringLiteral("_7_450__EL1_SD_.tmp")); }));
    EXPECT_TRUE(folder.exists(QStringLiteral("_7_350__EL1_SD_.tmp"))) << "lost while the import ran";
}

// The message window is open when the user imports a run that lacks lines: its warning joins what
// was said before, the window stays, and the keys the user goes on typing reach the result window.
TEST_F(TimingWindowTest, AnImportsWarningShowsInTheOpenMessageWindowAndStays)
{
    TForm10 wait(context);
    TExceptionForm shown(context);
    context.setWaitTexts(&wait);
    context.setMessageSink(&shown);
    QAbstractItemModel* rows = shown.findChild<QTreeView*>(QStringLiteral("ListView1"))->model();
    TTimingSettingsForm::pollIntervalMs = 20;
    watch();
    import->show();
    append("Kopfzeile\r\n");
    ASSERT_TRUE(waitUntil([&] { return shown.isVisible() && rows->rowCount() == 1; }));
    const EventCounter hides(shown, QEvent::Hide);
    append(runHeader("Lauf", " 8", " 1", "07062024", "10:00", "6") + laneLines(1, 3, 20));
    ASSERT_TRUE(waitUntil([this] { return list()->model()->rowCount() == 1; }));
    doubleClick(0);
    ASSERT_TRUE(imported());
    QTest::qWait(200);
    EXPECT_TRUE(rows->index(1, 0).data().toString().contains(u"ist unvollständig"));
    EXPECT_EQ(hides.count, 0) << "the open message window disappeared";
    ASSERT_TRUE(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(rows->rowCount(), 2);
}

// Heat 31 of a discipline by lane names six lanes; three come and the timing program pauses; the
// program is closed and started again; lanes 4 to 6 come, then heat 32 whole. The organiser writes
// lanes 4 to 6 of heat 31 into the result file once more, and the timing program sends heat 32 again
// with them at its end. Every child keeps the time of its own heat.
TEST_F(TimingWindowTest, LinesReachOnlyTheRunThatLacksTheirLanesAndAnImportStoresOnlyEachLanesOwnChild)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    const int hurdlesByLane = discipline(QStringLiteral("Hürden"), 1, false, "byLane", QStringLiteral("Time"));
    uiInfo(QStringLiteral("DiscTimingId"), hurdlesByLane, QStringLiteral("3"));
    std::map<int, int> child; // bib: heat 31 has 181 to 186 in lanes 1 to 6, heat 32 187 to 192
    for (int bib = 181; bib <= 192; ++bib) {
        child[bib] = seed->athlete(comp, QStringLiteral("Kind"), QString::number(bib), foxes, 0, {bib});
        seed->placeAthleteAt(hurdlesByLane, child[bib], bib <= 186 ? 31 : 32, (bib - 181) % 6 + 1);
    }
    // Heat 31 runs in 11.111 to 11.666 s, heat 32 in 12.111 to 12.666 s.
    auto lines = [](int heat, int from, int to) {
        QByteArray out;
        for (int lane = from; lane <= to; ++lane)
            out += resultLine(QByteArray::number(lane),
                              "00:00:" + QByteArray::number(heat - 20) + "." + QByteArray(3, char('0' + lane)),
                              QByteArray::number(lane), QByteArray::number(heat == 31 ? 180 + lane : 186 + lane),
                              QByteArray::number(heat == 31 ? 180 + lane : 186 + lane), "Kind", "");
        return out;
    };
    auto header = [](int heat) {
        return runHeader("H\x81rden " + QByteArray::number(heat) + "/40", " 3", QByteArray::number(heat), "07062024",
                         "10:" + QByteArray::number(heat), "6");
    };
    // The timing program, one write a line.
    auto write = [this](const QByteArray& text) {
        return std::jthread([this, text] {
            for (const QByteArray& line : text.chopped(1).split('\n')) {
                append(line + '\n');
                QThread::msleep(5);
            }
        });
    };
    watch();
    import->show();
    {
        std::jthread timingProgram = write(header(31) + lines(31, 1, 3));
        // The list follows the run folder on a thread of its own, the poll says what is missing on
        // another: either may come first.
        ASSERT_TRUE(waitUntil([this] {
            return rowText(0, 0) == QStringLiteral("Nicht verarbeitet (3 von 6 Zeilen)") && !messages().empty();
        }));
    }
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().front().contains(u"Lauf 1 bis 30 fehlen")) << messages().front().toStdString();
    recorder.messages.messages.clear();
    restart();
    {
        std::jthread timingProgram = write(lines(31, 4, 6));
        timingProgram.join();
        // The lines wait for nothing more: heat 31 is whole before heat 32 comes.
        ASSERT_TRUE(waitUntil([this] {
            return list()->model()->rowCount() == 1 && rowText(0, 0) == QStringLiteral("Nicht verarbeitet");
        })) << "heat 31 still lacks lines after the restart: "
            << rowText(0, 0).toStdString();
        write(header(32) + lines(32, 1, 6)).join();
        EXPECT_TRUE(waitUntil([this] {
            return list()->model()->rowCount() == 2 && rowText(0, 0) == QStringLiteral("Nicht verarbeitet") &&
                   rowText(1, 0) == QStringLiteral("Nicht verarbeitet");
        })) << "heat 31 still lacks lines after the restart";
    }
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(exchangeFile("COM_ZDT_nicht_gelesen.TXT")));

    // Heat 32 has lanes 4 to 6, heat 31 lacks none: the lines are set aside and named.
    write(lines(31, 4, 6)).join();
    ASSERT_TRUE(waitUntil([this] { return !messages().isEmpty(); })) << "lines of another heat joined heat 32";
    EXPECT_EQ(readBytes(exchangeFile("COM_ZDT_nicht_gelesen.TXT")), lines(31, 4, 6));
    EXPECT_TRUE(messages().front().contains(u"Bahn 4, Startnummer 184") &&
                messages().front().contains(u"Bahn 6, Startnummer 186"))
        << messages().front().toStdString();
    EXPECT_EQ(QDir(runFolder()).entryList({QStringLiteral("*.tmp")}).size(), 2);
    recorder.messages.messages.clear();

    importRow(row(QStringLiteral("Hürden 31/40")));
    importRow(row(QStringLiteral("Hürden 32/40")));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    // Sent again in one write, with lines of heat 31 at its end: each lane's own child's line, the
    // others named.
    std::jthread([&] { append(header(32) + lines(32, 1, 6) + lines(31, 4, 6)); }).join();
    EXPECT_TRUE(waitUntil([this] { return rowText(row(QStringLiteral("Hürden 32/40")), 0) == u"Nicht verarbeitet"; }));
    importRow(row(QStringLiteral("Hürden 32/40")));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().front().contains(u"Bahn 5, Startnummer 185")) << messages().front().toStdString();

    // By bib and heat, as the server holds them.
    for (int bib = 181; bib <= 192; ++bib) {
        const int heat = bib <= 186 ? 31 : 32;
        const int lane = (bib - 181) % 6 + 1;
        EXPECT_EQ(stored(hurdlesByLane, 1, "athlete_id", child[bib]),
                  QStringLiteral("Time %1.%2").arg(heat - 20).arg(QString(3, QChar(u'0' + lane))))
            << "bib " << bib << " of heat " << heat;
    }
}

// Disciplines by bib, by athlete and by lane, each with its own timing number, and children "Kind
// <bib>" of the Füchse.
class TimingModesTest : public TimingWindowTest {
protected:
    struct Mode {
        const char* assignment;
        QByteArray timing;
        QByteArray description;
        int id = 0;
    };
    void SetUp() override
    {
        TimingWindowTest::SetUp();
        TTimingSettingsForm::pollIntervalMs = 20;
        for (Mode& m : modes) {
            m.id = discipline(QString::fromLatin1(m.description), 1, false, m.assignment, QStringLiteral("Time"));
            uiInfo(QStringLiteral("DiscTimingId"), m.id, QString::fromLatin1(m.timing));
        }
    }
    // Bibs first to first + 5 in lanes 1 to 6 of each heat given.
    void children(int first, std::initializer_list<int> heats)
    {
        for (int bib = first; bib < first + 6; ++bib) {
            child[bib] = seed->athlete(comp, QStringLiteral("Kind"), QString::number(bib), foxes, 0, {bib});
            for (const Mode& m : modes)
                for (int heat : heats)
                    seed->placeAthleteAt(m.id, child[bib], heat, bib - first + 1);
        }
    }
    // "kind value" of the result of a bib's child, read by bib or by athlete.
    QString storedOf(const Mode& m, int bib)
    {
        return m.description == "Bib" ? stored(m.id, 1, "bib", bib) : stored(m.id, 1, "athlete_id", child[bib]);
    }

    std::vector<Mode> modes{{"byBib", "11", "Bib"}, {"byAthleteOrTeam", "12", "Athlet"}, {"byLane", "13", "Bahn"}};
    std::map<int, int> child; // by bib
};

// A line of bib `bib` in `laneNo` as the timing program writes it: "Kind <bib>" of the Füchse.
QByteArray childLine(int laneNo, int bib, const QByteArray& time)
{
    return resultLine(QByteArray::number(laneNo), time, "", QByteArray::number(bib), QByteArray::number(bib), "Kind",
                      "F\x81"
                      "chse");
}

// Heat 5 by bib, by athlete and by lane, bibs 25 to 30 in lanes 1 to 6. The timing program's lines
// carry lanes 1, 3, 3, 4, 5, 6: bib 26 ran in lane 3.
TEST_F(TimingModesTest, ByBibAndByAthleteEachLineReachesItsChildByLaneOnlyTheLanesOwn)
{
    children(25, {5});
    auto time = [](int bib) { return "00:00:" + QByteArray::number(bib - 10) + ".250"; };
    watch();
    import->show();
    for (const Mode& m : modes) {
        QByteArray run = runHeader(m.description + " 5/5", m.timing, " 5", "07062024", "10:00", "6");
        const int lanes[] = {1, 3, 3, 4, 5, 6};
        for (int bib = 25; bib <= 30; ++bib)
            run += childLine(lanes[bib - 25], bib, time(bib));
        append(run);
    }
    ASSERT_TRUE(waitUntil([this] { return list()->model()->rowCount() == 3; }));
    EXPECT_EQ(messages().size(), 3) << "heats 1 to 4 never came";
    recorder.messages.messages.clear();
    for (const Mode& m : modes)
        importRow(row(QString::fromLatin1(m.description + " 5/5")));

    for (const Mode& m : modes) {
        for (int bib = 25; bib <= 30; ++bib) {
            // By lane, lane 3 finds bib 27; nothing names bib 26's lane.
            const bool byLane = m.description == "Bahn";
            const QString expected = byLane && bib == 26 ? QString() : QStringLiteral("Time %1.25").arg(bib - 10);
            EXPECT_EQ(storedOf(m, bib), expected) << m.assignment << ", bib " << bib << " of heat 5";
        }
    }
    ASSERT_EQ(messages().size(), 1) << messages().join('\n').toStdString();
    EXPECT_TRUE(messages().front().contains(u"Im Lauf \"Bahn 5/5\"") &&
                messages().front().contains(u"Nicht gespeichert: Bahn 3, Startnummer 26, Kind 26: 16,25s."))
        << messages().front().toStdString();
}

// A run of six lines and a seventh for lane 3, the same bib and a corrected time, in one write; by
// bib also once the run has come, appended on its own.
TEST_F(TimingModesTest, ACorrectionInsideARunWinsInEveryMode)
{
    children(41, {1});
    watch();
    import->show();
    auto heat = [&](const Mode& m, int heatNo) {
        QByteArray run =
            runHeader(m.description + " " + QByteArray::number(heatNo), m.timing, " " + QByteArray::number(heatNo),
                      "07062024", "10:0" + QByteArray::number(heatNo), "6");
        for (int bib = 41; bib <= 46; ++bib)
            run += childLine(bib - 40, bib, "00:00:12.000");
        return run;
    };
    for (const Mode& m : modes)
        append(heat(m, 1) + childLine(3, 43, "00:00:11.111"));
    const Mode& byBib = modes.front();
    append(heat(byBib, 2));
    ASSERT_TRUE(waitUntil([this] { return list()->model()->rowCount() == 4; }));
    append(childLine(3, 43, "00:00:11.222"));
    const QString second = QDir(runFolder()).filePath(QStringLiteral("11_250__EL1_SD_.tmp"));
    ASSERT_TRUE(waitUntil([&] { return importFile(second).participants.size() == 7; }))
        << "the correction was not added to its run";

    for (const Mode& m : modes) {
        importRow(row(QString::fromLatin1(m.description + " 1")));
        EXPECT_EQ(storedOf(m, 43), QStringLiteral("Time 11.111")) << m.assignment;
        EXPECT_EQ(storedOf(m, 44), QStringLiteral("Time 12")) << m.assignment;
    }
    seed->db().query("DELETE FROM results WHERE discipline_id = ?", byBib.id).run();
    importRow(row(QStringLiteral("Bib 2")));
    EXPECT_EQ(storedOf(byBib, 43), QStringLiteral("Time 11.222"));
    EXPECT_EQ(storedOf(byBib, 41), QStringLiteral("Time 12"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(exchangeFile("COM_ZDT_nicht_gelesen.TXT")));
}

// Heat 1 was lost (the file written anew before the poll read it); heats 2 and 3 come.
TEST_F(TimingWindowTest, AFirstHeatThatNeverCameIsSaid)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    watch();
    append(runHeader("Lauf 2/3", " 7", " 2", "07062024", "10:00", "1") + laneLines(1, 1, 6) +
           runHeader("Lauf 3/3", " 7", " 3", "07062024", "10:05", "1") + laneLines(1, 1, 6));
    ASSERT_TRUE(waitUntil([this] { return QDir(runFolder()).entryList({QStringLiteral("_7*.tmp")}).size() == 2; }));
    ASSERT_TRUE(waitUntil([this] { return !messages().isEmpty(); }));
    QTest::qWait(100);
    ASSERT_EQ(messages().size(), 1) << messages().join('\n').toStdString();
    EXPECT_TRUE(messages().front().startsWith(
        u"Zeitmessungsdaten: Von Zeitmessungsnummer 7 kam Lauf 2 (\"Lauf 2/3\") als erster: Lauf 1 fehlt."))
        << messages().front().toStdString();
}

// By lane, as the organiser did: heat 41 comes with lines 1 to 3 and the timing program
// pauses, so does heat 43; heat 42 comes whole; heat 41's lines 4 to 6 come; heat 44 comes with
// three lines; heat 43's lines 4 to 6, set aside by the program before, are copied back into the
// result file; heat 44's own lines 4 to 6 come. The start list the program wrote for the timing
// program says which heat each bib ran in.
TEST_F(TimingWindowTest, LinesAfterAPauseOrCopiedBackReachTheHeatTheStartListPutsTheirBibsIn)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    const int byLane = discipline(QStringLiteral("Hürden"), 1, false, "byLane", QStringLiteral("Time"));
    uiInfo(QStringLiteral("DiscTimingId"), byLane, QStringLiteral("3"));
    std::map<int, int> child; // bib heat * 10 + lane
    TimingConnector exchangeFolder([this] { return exchange.path(); });
    for (int heat = 41; heat <= 44; ++heat) {
        TTimingExportHeat listed{heat, QStringLiteral("Hürden %1/44").arg(heat), {}};
        for (int laneNo = 1; laneNo <= 6; ++laneNo) {
            const int bib = heat * 10 + laneNo;
            child[bib] = seed->athlete(comp, QStringLiteral("Kind"), QString::number(bib), foxes, 0, {bib});
            seed->placeAthleteAt(byLane, child[bib], heat, laneNo);
            listed.participants.push_back(lane(laneNo, bib, QString::number(bib), QStringLiteral("Kind"), {}));
        }
        exchangeFolder.exportTimingList(3, 44, listed);
    }
    // Heat 41 in 41.111 to 41.666 s: the heat, and the lane three times.
    auto lines = [](int heat, int from, int to) {
        QByteArray out;
        for (int laneNo = from; laneNo <= to; ++laneNo)
            out +=
                resultLine(QByteArray::number(laneNo),
                           "00:00:" + QByteArray::number(heat) + "." + QByteArray(3, char('0' + laneNo)), "",
                           QByteArray::number(heat * 10 + laneNo), QByteArray::number(heat * 10 + laneNo), "Kind", "");
        return out;
    };
    auto header = [](int heat) {
        return runHeader("H\x81rden " + QByteArray::number(heat) + "/44", " 3", QByteArray::number(heat), "07062024",
                         "10:" + QByteArray::number(heat), "6");
    };
    auto status = [this](int heat) { return rowText(row(QStringLiteral("Hürden %1/44").arg(heat)), 0); };
    const QString whole = QStringLiteral("Nicht verarbeitet"), half = whole + QStringLiteral(" (3 von 6 Zeilen)");
    watch();
    import->show();
    append(header(41) + lines(41, 1, 3));
    ASSERT_TRUE(waitUntil([&] { return status(41) == half; }));
    append(header(43) + lines(43, 1, 3));
    ASSERT_TRUE(waitUntil([&] { return status(43) == half; }));
    append(header(42) + lines(42, 1, 6));
    ASSERT_TRUE(waitUntil([&] { return status(42) == whole; }));
    append(lines(41, 4, 6));
    EXPECT_TRUE(waitUntil([&] { return status(41) == whole; })) << status(41).toStdString();
    append(header(44) + lines(44, 1, 3));
    ASSERT_TRUE(waitUntil([&] { return status(44) == half; }));
    writeBytes(exchangeFile("COM_ZDT_nicht_gelesen.TXT"), lines(43, 4, 6));
    append(lines(43, 4, 6));
    EXPECT_TRUE(waitUntil([&] { return status(43) == whole; })) << status(43).toStdString();
    append(lines(44, 4, 6));
    EXPECT_TRUE(waitUntil([&] { return status(44) == whole; })) << status(44).toStdString();
    EXPECT_EQ(readBytes(exchangeFile("COM_ZDT_nicht_gelesen.TXT")), lines(43, 4, 6)) << "lines set aside";

    for (int heat = 41; heat <= 44; ++heat)
        importRow(row(QStringLiteral("Hürden %1/44").arg(heat)));
    for (const QString& said : messages())
        EXPECT_TRUE(said.contains(u"fehlt") || said.contains(u"fehlen")) << said.toStdString();
    // By bib and heat, as the server holds them.
    for (const auto& [bib, id] : child)
        EXPECT_EQ(stored(byLane, 1, "athlete_id", id),
                  QStringLiteral("Time %1.%2").arg(bib / 10).arg(QString(3, QChar(u'0' + bib % 10))))
            << "bib " << bib << " of heat " << bib / 10;
}

// Another desk's program on the same server and exchange folder, with windows and a poll of its own.
struct OtherDesk {
    explicit OtherDesk(int comp, const QString& folder)
    {
        auto record = std::make_unique<proto::CompetitionType>();
        record->ID = comp;
        competition.SetCompetitionInternal(std::move(record));
        windows.place(TWindowId::MainForm, &main);
        windows.place(TWindowId::TimingSettingsForm, &settings);
        windows.place(TWindowId::TimingImportForm, &import);
        settings.setExchangeDir(folder);
        settings.setPolling(true);
        main.show();
        import.show();
    }
    QAbstractItemModel* rows() const { return runList(import)->model(); }
    QString rowText(int row, int column) const { return rows()->index(row, column).data().toString(); }

    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    TMainForm main{context};
    TTimingSettingsForm settings{context};
    TTimingImportForm import{context};
};

// Two desks watch one exchange folder. Heat 1 comes and is imported at this desk, where Anna's time
// is then corrected by hand; heat 2 comes and is imported at the other desk by its top row. Then
// the other desk's list rests (polling off) while heat 3 comes and is imported and corrected here:
// its double click on the run it still shows new stores nothing.
TEST_F(TimingWindowTest, EveryDesksListFollowsTheRunFolderAndARunImportedElsewhereIsNotStoredAgain)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    seed->placeAthlete(run, cara, 2);
    watch();
    import->show();
    OtherDesk other(comp, exchange.path());
    auto heat = [](int heatNo, const QByteArray& line) {
        return runHeader("Lauf " + QByteArray::number(heatNo) + "/3", " 7", " " + QByteArray::number(heatNo),
                         "07062024", "11:0" + QByteArray::number(heatNo), "1") +
               line;
    };
    auto bothShow = [&](int rows, const QString& top, const QString& status) {
        return waitUntil([&] {
            return list()->model()->rowCount() == rows && other.rows()->rowCount() == rows && rowText(0, 1) == top &&
                   other.rowText(0, 1) == top && rowText(0, 0) == status && other.rowText(0, 0) == status;
        });
    };
    append(heat(1, resultLine("1", "00:00:09.870", "1", "7", "Berg", "Anna",
                              "F\x81"
                              "chse")));
    ASSERT_TRUE(bothShow(1, QStringLiteral("Lauf 1/3"), QStringLiteral("Nicht verarbeitet")));
    importRow(0);
    EXPECT_TRUE(bothShow(1, QStringLiteral("Lauf 1/3"), QStringLiteral("Importiert"))) << "imported here only";
    enter(0, 1, QStringLiteral("ab"));
    ASSERT_TRUE(settled());
    ASSERT_EQ(stored(run, 1, "athlete_id", anna), QStringLiteral("Info 0"));

    append(heat(2, resultLine("1", "00:00:10.500", "1", "9", "Dorn", "Cara", "Eulen")));
    ASSERT_TRUE(bothShow(2, QStringLiteral("Lauf 2/3"), QStringLiteral("Nicht verarbeitet")))
        << "the other desk's top row is " << other.rowText(0, 1).toStdString();
    doubleClickRow(other.import, 0);
    ASSERT_TRUE(waitUntil([&] { return other.import.pendingRequests() == 0 && runningRequestCount() == 0; }, 10000));
    EXPECT_EQ(stored(run, 1, "athlete_id", cara), QStringLiteral("Time 10.5"));
    EXPECT_EQ(stored(run, 1, "athlete_id", anna), QStringLiteral("Info 0")) << "heat 1 imported again";
    EXPECT_TRUE(bothShow(2, QStringLiteral("Lauf 2/3"), QStringLiteral("Importiert")));

    other.settings.setPolling(false);
    append(heat(3, resultLine("1", "00:00:08.880", "1", "8", "Acker", "Ben",
                              "F\x81"
                              "chse")));
    ASSERT_TRUE(waitUntil([&] { return list()->model()->rowCount() == 3; }));
    other.import.UpdateItems(); // F5
    ASSERT_EQ(other.rowText(0, 0), QStringLiteral("Nicht verarbeitet"));
    importRow(0);
    form->showAndLoadDisciplin(run, 1, IResultDialog::kNoVersion, 0);
    ASSERT_TRUE(settled());
    enter(1, 1, QStringLiteral("ab"));
    ASSERT_TRUE(settled());
    ASSERT_EQ(stored(run, 1, "athlete_id", ben), QStringLiteral("Info 0"));
    ASSERT_EQ(other.rowText(0, 0), QStringLiteral("Nicht verarbeitet")) << "the other desk's list rests";
    doubleClickRow(other.import, 0);
    ASSERT_TRUE(waitUntil([&] { return other.import.pendingRequests() == 0 && runningRequestCount() == 0; }, 10000));
    EXPECT_EQ(stored(run, 1, "athlete_id", ben), QStringLiteral("Info 0")) << "the hand correction was overwritten";
    EXPECT_EQ(other.rowText(0, 0), QStringLiteral("Importiert"));
    ASSERT_EQ(other.recorder.messages.lines().size(), 1);
    EXPECT_TRUE(other.recorder.messages.lines().front().contains(u"wurde inzwischen importiert"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
}

// The user imports heat 1 and the server holds each of the import's answers while the timing
// program writes the file anew for the next run and then heat 1 again with other times; it never
// sends heat 4. Each write is taken by the poll before the next: a run written anew sooner than a
// loaded machine looks is only named missing (see the burst below).
TEST_F(TimingWindowTest, RunsWrittenAnewWhileAnImportWaitsForTheServerAllArriveAndAChangedRunStaysNew)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    auto heat = [](int heatNo, int hundredths) {
        return runHeader("Lauf " + QByteArray::number(heatNo) + "/30", " 7",
                         QByteArray::number(heatNo).rightJustified(2, ' '), "07062024", "11:00", "2") +
               resultLine("1", "00:00:09." + QByteArray::number(hundredths).rightJustified(2, '0') + "0", "1", "7",
                          "Berg", "Anna",
                          "F\x81"
                          "chse") +
               resultLine("2", "00:00:10.000", "2", "8", "Acker", "Ben",
                          "F\x81"
                          "chse");
    };
    const QDir folder(runFolder());
    auto name = [](int heatNo) { return QStringLiteral("_7%1").arg(heatNo, 2, 10, QChar(u'_')) + "50__EL1_SD_.tmp"; };
    auto writeAnew = [&](int heatNo, int hundredths) {
        const QByteArray bytes = heat(heatNo, hundredths);
        writeBytes(exchangeFile("COM_ZDT.TXT"), bytes);
        return waitUntil([&] {
            return readBytes(folder.filePath(name(heatNo))).mid(kRunFileHeaderLength) ==
                   bytes.mid(kStartListHeaderLength);
        });
    };
    watch();
    import->show();
    drop(heat(1, 87));
    ASSERT_TRUE(waitUntil([this] { return list()->model()->rowCount() == 1; }));
    standin.server().holdAnswers(true);
    const auto release = qScopeGuard([this] { standin.server().holdAnswers(false); });
    doubleClick(0);
    ASSERT_EQ(import->pendingRequests(), 1);
    std::vector<int> written;
    int lastAgain = 0; // hundredths of heat 1 as the timing program sent it last
    for (int next = 2; next < 30; ++next) {
        ASSERT_TRUE(waitUntil([this] { return standin.server().heldRequests() == 1 || import->pendingRequests() == 0; },
                              10000));
        if (import->pendingRequests() == 0)
            break;
        if (next == 4)
            ++next;
        EXPECT_TRUE(writeAnew(next, 50)) << "heat " << next << " lost";
        written.push_back(next);
        lastAgain = 10 + next;
        EXPECT_TRUE(writeAnew(1, lastAgain)) << "heat 1 sent again after heat " << next << " lost";
        standin.server().releaseOneAnswer();
    }
    standin.server().holdAnswers(false);
    EXPECT_TRUE(imported());
    EXPECT_GE(written.size(), 3u);
    for (int heatNo : written)
        EXPECT_TRUE(folder.exists(name(heatNo))) << "heat " << heatNo << " lost during the import";
    EXPECT_NE(stored(run, 1, "athlete_id", anna), QString());
    EXPECT_EQ(statusByte(name(1)), 'N') << "sent again during its import, yet marked";
    ASSERT_TRUE(waitUntil([&] { return row(QStringLiteral("Lauf 1/30")) >= 0; }));
    EXPECT_EQ(rowText(row(QStringLiteral("Lauf 1/30")), 0), QStringLiteral("Nicht verarbeitet"));
    const QString said = messages().join('\n');
    EXPECT_TRUE(said.contains(u"Lauf 4 fehlt")) << said.toStdString();
    EXPECT_TRUE(said.contains(u"bleibt \"Nicht verarbeitet\"")) << said.toStdString();

    importRow(row(QStringLiteral("Lauf 1/30")));
    EXPECT_EQ(stored(run, 1, "athlete_id", anna), QStringLiteral("Time ") + QString::number(9 + lastAgain / 100.0));
    EXPECT_EQ(statusByte(name(1)), 'I');
}

// With the import window open, the timing program writes the file anew for every run, in bursts of
// ten 15 ms apart. Two thousand runs came before, so rebuilding the list takes longer than that. A
// reader may miss a run written anew within milliseconds on a loaded machine; what the design
// promises is that none is lost unsaid: every heat is kept or named missing, never both.
TEST_F(TimingWindowTest, ABurstOfRunsWrittenAnewWhileTheOpenListIsRebuiltAllArrive)
{
    TTimingSettingsForm::pollIntervalMs = 20;
    QByteArray earlier;
    for (int timing = 10; timing < 90; ++timing)
        for (int heatNo = 1; heatNo <= 25; ++heatNo)
            earlier += runHeader("Fr\x81her", QByteArray::number(timing),
                                 QByteArray::number(heatNo).rightJustified(2, ' '), "06062024", "09:00", "1") +
                       resultLine("1", "00:00:09.870", "1", "7", "Berg", "Anna", "");
    ASSERT_TRUE(QDir().mkpath(runFolder()));
    for (const TTimingRun& done : parseResultFile(earlier, true).runs)
        writeBytes(QDir(runFolder()).filePath(done.fileName), runFileContents(done));
    watch();
    import->show();
    ASSERT_EQ(list()->model()->rowCount(), 2000);
    constexpr int kBursts = 4, kPerBurst = 10, kRuns = kBursts * kPerBurst;
    std::atomic<bool> done = false;
    {
        std::jthread timingProgram([this, &done] {
            for (int heatNo = 1; heatNo <= kRuns; ++heatNo) {
                QFile file(exchangeFile("COM_ZDT.TXT"));
                const QByteArray bytes = runHeader("Lauf", " 7", QByteArray::number(heatNo).rightJustified(2, ' '),
                                                   "07062024", "12:00", "1") +
                                         resultLine("1", "00:00:09.870", "1", "7", "Berg", "Anna", "");
                if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                    file.write(bytes);
                file.close();
                QThread::msleep(heatNo % kPerBurst == 0 ? 300 : 15);
            }
            done = true;
        });
        ASSERT_TRUE(waitUntil([&] { return done.load(); }, 20000));
    }
    // The last run stays in the file until it is read; each one missed is named by a later one.
    const QDir folder(runFolder());
    auto kept = [&](int heatNo) {
        return folder.exists(QStringLiteral("_7%1").arg(heatNo, 2, 10, QChar(u'_')) +
                             QStringLiteral("50__EL1_SD_.tmp"));
    };
    ASSERT_TRUE(waitUntil([&] { return kept(kRuns); }));
    QSet<int> said;
    const QRegularExpression missing(QStringLiteral("Von Zeitmessungsnummer 7 .*: Lauf (\\d+)(?: bis (\\d+))? fehl"));
    for (const QString& message : messages()) {
        const QRegularExpressionMatch m = missing.match(message);
        EXPECT_TRUE(m.hasMatch()) << message.toStdString();
        for (int heatNo = m.captured(1).toInt();
             m.hasMatch() && heatNo <= std::max(m.captured(1).toInt(), m.captured(2).toInt()); ++heatNo) {
            EXPECT_FALSE(said.contains(heatNo)) << "heat " << heatNo << " named twice";
            said.insert(heatNo);
        }
    }
    int keptRuns = 0;
    for (int heatNo = 1; heatNo <= kRuns; ++heatNo) {
        keptRuns += kept(heatNo) ? 1 : 0;
        EXPECT_NE(kept(heatNo), said.contains(heatNo))
            << "heat " << heatNo << (kept(heatNo) ? " kept and named missing" : " lost unsaid");
    }
    RecordProperty("kept", keptRuns);
    EXPECT_TRUE(waitUntil([&] { return list()->model()->rowCount() == 2000 + keptRuns; }))
        << list()->model()->rowCount() - 2000 << " of " << keptRuns << " runs kept are listed";
}

} // namespace
} // namespace tvp::test
