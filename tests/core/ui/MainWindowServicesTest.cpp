#include "core/ui/MainWindowServices.h"

#include "core/connection/CommunicationThread.h"
#include "core/ui/ExceptionDialog.h"
#include "core/util/Features.h"
#include "core/util/IniHandler.h"
#include "tests/core/ui/ShellFixture.h"
#include "tests/support/FakeOpener.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/FileLimits.h"
#include "tests/support/TestUtil.h"
#include "core/ui/WaitDialog.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardItemModel>
#include <QTreeView>
#include <QUrl>

#include <algorithm>

using namespace tvp;
using namespace tvp::test;

namespace {

// Settings, dialogs, the message and wait windows, and an opener that records instead of opening.
class ServicesTest : public ShellTest {
protected:
    QList<QUrl> opened() const { return opener.openedUrls(); }

    // The message window's rows as "caption: text".
    QStringList messages() const
    {
        QStringList rows;
        const auto* list = messageWindow.findChild<QTreeView*>(QStringLiteral("ListView1"));
        const QAbstractItemModel* model = list ? list->model() : nullptr;
        for (int i = 0; model && i < model->rowCount(); ++i)
            rows.append(model->index(i, 1).data().toString() + QStringLiteral(": ") +
                        model->index(i, 0).data().toString());
        return rows;
    }
    bool hasMessage(const QString& caption, const QString& textStart) const
    {
        const QStringList rows = messages();
        return std::any_of(rows.begin(), rows.end(), [&](const QString& row) {
            return row.startsWith(caption + QStringLiteral(": ") + textStart);
        });
    }

    TForm10 wait;
    TExceptionForm messageWindow;
    FakeOpener opener;
};

// ---- CSV export ----

class CsvExport : public ServicesTest {
protected:
    // A row of the list; a short row has no cells to the right (a list-view row with fewer sub-items).
    void addRow(const QStringList& cells)
    {
        QList<QStandardItem*> items;
        for (const QString& cell : cells)
            items << new QStandardItem(cell);
        list.appendRow(items);
    }
    QString target(const QString& name = QStringLiteral("liste.csv")) const { return dir.filePath(name); }
    static QByteArray contents(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QStandardItemModel list;
};

TEST_F(CsvExport, WritesWindows1252FieldsEscapedWithCrLfAndPadsShortRows)
{
    list.setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Verein"), QStringLiteral("Bemerkung")});
    addRow({QStringLiteral("Jürgen"), QStringLiteral("TSV Öhringen; Süd"), QStringLiteral("sagt \"hallo\"")});
    addRow({QStringLiteral("Anna")});
    addRow({QStringLiteral("Ben"), QStringLiteral("5 €"), QStringLiteral("erste\nzweite")});

    ASSERT_TRUE(exportCsvFile(target(), list, false, false, false, -1));
    EXPECT_EQ(contents(target()), QByteArray("Name;Verein;Bemerkung\r\n"
                                             "J\xFCrgen;\"TSV \xD6hringen; S\xFC"
                                             "d\";\"sagt \"\"hallo\"\"\"\r\n"
                                             "Anna;;\r\n"
                                             "Ben;5 \x80;\"erste\nzweite\"\r\n"));
    EXPECT_TRUE(opened().isEmpty());
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(CsvExport, PlacementColumnIsDoubledRowsWithoutPlacementLeftOutAndResultsConverted)
{
    list.setHorizontalHeaderLabels({QStringLiteral("Team"), QStringLiteral("Platz"), QStringLiteral("Weite"),
                                    QStringLiteral("Zeit"), QStringLiteral("Punkte"), QStringLiteral("Status")});
    addRow({QStringLiteral("Adler"), QStringLiteral("1"), QStringLiteral("3,1m"), QStringLiteral("1:23,45"),
            QStringLiteral("12,5Pkt"), QStringLiteral("aufg.")});
    addRow({QStringLiteral("Bären"), QString(), QStringLiteral("4m")});
    addRow({QStringLiteral("Chamäleons")}); // no placement cell at all: kept, padded
    addRow({QStringLiteral("Team 3"), QStringLiteral("2"), QStringLiteral("250cm"), QStringLiteral("9,8s"),
            QStringLiteral("1234Pkt"), QString()});

    ASSERT_TRUE(exportCsvFile(target(), list, false, true, false, 1));
    EXPECT_EQ(contents(target()), QByteArray("Team;Urkundenplatzierung;Platz;Weite;Zeit;Punkte;Status\r\n"
                                             "Adler;1;1;3,10;83,45;12,5;aufg.\r\n"
                                             "Cham\xE4leons;;;;;;\r\n"
                                             "Team 3;2;2;2,50;9,80;1234;\r\n"));
}

TEST_F(CsvExport, SaveDialogAndFailuresToWrite)
{
    list.setHorizontalHeaderLabels({QStringLiteral("Name")});
    addRow({QStringLiteral("Anna")});
    const QString caption = QStringLiteral("csv-Datei speichern");

    script->expectFile(caption, QString());
    EXPECT_FALSE(exportCsvFile(QStringLiteral("Athleten"), list, true, false, true, -1));
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.csv")}).isEmpty()) << "cancelled: nothing written";

    script->expectFile(caption, dir.filePath(QStringLiteral("Athleten")));
    ASSERT_TRUE(exportCsvFile(QStringLiteral("Athleten"), list, true, false, true, -1));
    EXPECT_EQ(contents(target(QStringLiteral("Athleten.csv"))), QByteArray("Name\r\nAnna\r\n"));
    EXPECT_EQ(opened(), QList<QUrl>{QUrl::fromLocalFile(target(QStringLiteral("Athleten.csv")))});
    EXPECT_EQ(csvExportFolder(), QFileInfo(dir.path()).absoluteFilePath());

    EXPECT_FALSE(exportCsvFile(dir.filePath(QStringLiteral("fehlt/liste.csv")), list, true, false, false, -1));
    EXPECT_FALSE(exportCsvFile(dir.path(), list, true, false, false, -1)) << "a folder is no file";
    const QString error = QStringLiteral("csv-Export: Datei konnte nicht auf den Datenträger geschrieben werden. "
                                         "Ggf. ist die Datei in einem anderen Programm geöffnet.");
    EXPECT_EQ(messages(), (QStringList{error, error}));
    EXPECT_EQ(opened().size(), 1) << "a failed export opens nothing";
}

TEST_F(CsvExport, AnExportThatFailsHalfwayKeepsTheEarlierFile)
{
    list.setHorizontalHeaderLabels({QStringLiteral("Name")});
    for (int i = 0; i < 200; ++i)
        addRow({QStringLiteral("Athletin %1").arg(i)});
    QFile earlier(target());
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("Name\r\nvom letzten Mal\r\n");
    earlier.close();
    {
        DiskFullAfter full(100);
        EXPECT_FALSE(exportCsvFile(target(), list, true, false, false, -1));
    }
    EXPECT_EQ(contents(target()), QByteArray("Name\r\nvom letzten Mal\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("liste.csv")}) << "no leftovers";
    EXPECT_EQ(messages().size(), 1);
    EXPECT_TRUE(opened().isEmpty());
}

TEST_F(CsvExport, TheSaveDialogAddsTheSuffixAndANameWithoutOneIsAskedAbout)
{
    list.setHorizontalHeaderLabels({QStringLiteral("Name")});
    addRow({QStringLiteral("Anna")});
    const QString caption = QStringLiteral("csv-Datei speichern");
    QFile existing(target(QStringLiteral("Athleten.csv")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("alt");
    existing.close();

    // A dialog that applied the suffix has asked about the real file already.
    script->expectFile(caption, target(QStringLiteral("Athleten.csv")));
    ASSERT_TRUE(exportCsvFile(QStringLiteral("Athleten"), list, false, false, true, -1));
    EXPECT_EQ(script->lastDefaultSuffix, QStringLiteral("csv"));
    EXPECT_EQ(contents(target(QStringLiteral("Athleten.csv"))), QByteArray("Name\r\nAnna\r\n"));

    // One that did not (a native dialog) gets the question here.
    existing.open(QIODevice::WriteOnly);
    existing.write("alt");
    existing.close();
    script->expectFile(caption, target(QStringLiteral("Athleten")));
    script->expectMessage(caption, TMsgAnswer::No);
    EXPECT_FALSE(exportCsvFile(QStringLiteral("Athleten"), list, false, false, true, -1));
    EXPECT_EQ(script->seen.back().text,
              QStringLiteral("Die Datei \"Athleten.csv\" existiert bereits. Soll sie ersetzt werden?"));
    EXPECT_EQ(contents(target(QStringLiteral("Athleten.csv"))), QByteArray("alt"));

    script->expectFile(caption, target(QStringLiteral("Athleten")));
    script->expectMessage(caption, TMsgAnswer::Yes);
    ASSERT_TRUE(exportCsvFile(QStringLiteral("Athleten"), list, false, false, true, -1));
    EXPECT_EQ(contents(target(QStringLiteral("Athleten.csv"))), QByteArray("Name\r\nAnna\r\n"));
    EXPECT_TRUE(script->allAnswered());
}

// ---- update check and online help against the stand-in ----

const QString kUpdateCaption = QStringLiteral("Auf Updates prüfen");
const QString kUnreachable = QStringLiteral("Online-Update-Server ist nicht erreichbar.");
const QString kUpToDateText =
    QStringLiteral("Sie verwenden bereits die aktuellste Version. Derzeit ist kein Update nötig.");
const QString kNoHelpConnection = QStringLiteral("Keine Verbindung zur Online-Hilfe");

class MakerService : public ServicesTest {
protected:
    void SetUp() override
    {
        ServicesTest::SetUp();
        QObject::connect(&services, &TMainWindowServices::updateEntryEnabledChanged,
                         [this](bool enabled) { updateEntry.append(enabled); });
    }
    void TearDown() override
    {
        TMakerHttpTimeouts::totalMs = 30000;
        server.stop();
        ServicesTest::TearDown();
    }

    void start(const QString& path = QStringLiteral("/maker/"))
    {
        server.stop();
        server.start();
        WriteIniStr(kMakerUrlSection, kMakerUrlKey,
                    QStringLiteral("http://127.0.0.1:%1%2").arg(server.port()).arg(path));
    }
    void runUpdateCheck()
    {
        services.startUpdateCheck();
        ASSERT_TRUE(services.updateCheckRunning());
        ASSERT_TRUE(waitUntil([&] { return !services.updateCheckRunning(); }, 10000));
    }
    // The help entry's states, with a fresh object each time: each asks only once.
    QList<std::pair<QString, bool>> fetchHelp(TMainWindowServices& s)
    {
        QList<std::pair<QString, bool>> entry;
        const auto c = QObject::connect(&s, &TMainWindowServices::onlineHelpEntryChanged,
                                        [&](const QString& caption, bool enabled) {
                                            entry.append({caption, enabled});
                                        });
        s.requestOnlineHelpLink();
        EXPECT_TRUE(waitUntil([&] { return entry.size() >= 2; }, 10000));
        s.requestOnlineHelpLink();
        QCoreApplication::processEvents();
        QObject::disconnect(c);
        return entry;
    }

    StandinHarness server;
    standin::StandinOptions& options = server.options;
    TMainWindowServices services;
    QList<bool> updateEntry;
};

TEST_F(MakerService, UpToDateWithActiveFeatureSwitchesItOnOnce)
{
    options.maker.activeFeatures = {"ladv.online"};
    start();
    ASSERT_FALSE(isFeatureActive(QStringLiteral("ladv.online")));

    script->expectMessage(kUpdateCaption, TMsgAnswer::Ok);
    runUpdateCheck();
    EXPECT_TRUE(isFeatureActive(QStringLiteral("ladv.online")));
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Es wurden folgende neuen Funktionen aktiviert: ladv.online"));
    EXPECT_EQ(updateEntry, (QList<bool>{false, true}));
    EXPECT_FALSE(wait.isVisible());

    // Active flags are no longer asked about, so the service's "active" changes nothing.
    script->expectMessage(kUpdateCaption, TMsgAnswer::Ok);
    runUpdateCheck();
    EXPECT_EQ(script->seen.back().text, kUpToDateText);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(MakerService, DownloadLinkIsOfferedAndLeavesFeaturesAlone)
{
    const QString link = QStringLiteral("https://downloads.trivanta.example/TrivantaPentrel-2.0.exe");
    options.maker.updateAnswer = " " + link.toStdString() + "\r\n";
    options.maker.activeFeatures = {"ladv.online"};
    start();
    const QString question = QStringLiteral("Neue Version herunterladen");

    script->expectMessage(question, TMsgAnswer::Yes);
    runUpdateCheck();
    script->expectMessage(question, TMsgAnswer::No);
    runUpdateCheck();
    EXPECT_EQ(opened(), QList<QUrl>{QUrl(link)});

    opener.setExitStatus(1);
    script->expectMessage(question, TMsgAnswer::Yes);
    runUpdateCheck();
    ASSERT_TRUE(FakeOpener::settle());
    EXPECT_TRUE(hasMessage(QStringLiteral("Update herunterladen"), "Update-Download \"" + link + "\" konnte nicht"));
    EXPECT_FALSE(isFeatureActive(QStringLiteral("ladv.online")));
}

TEST_F(MakerService, NoUsableAnswerIsReportedAndNothingIsOpened)
{
    for (const std::string answer : {"", "   ", "<html><body>Bitte anmelden</body></html>", "file:///etc/passwd",
                                     "javascript:alert(1)", "uptodate bald"}) {
        options.maker.updateAnswer = answer;
        start();
        runUpdateCheck();
    }
    start(QStringLiteral("/nirgends/")); // 404
    runUpdateCheck();
    const int port = server.port();
    server.stop(); // nobody listens any more; the missing "/" is added
    WriteIniStr(kMakerUrlSection, kMakerUrlKey, QStringLiteral("http://127.0.0.1:%1/maker").arg(port));
    runUpdateCheck();

    EXPECT_EQ(messages(), QStringList(8, kUpdateCaption + QStringLiteral(": ") + kUnreachable));
    EXPECT_TRUE(opened().isEmpty());
    EXPECT_TRUE(script->seen.empty()) << "no question, no information";
    EXPECT_EQ(updateEntry.size(), 16);
    EXPECT_TRUE(updateEntry.back());
    EXPECT_FALSE(wait.isVisible());
}

TEST_F(MakerService, AnAnswerAfterSixSecondsWarnsFirstAndThenGivesTheNormalOutcome)
{
    activateFeature(QStringLiteral("ladv.online")); // one request only: the version question
    options.maker.delayMs = 6000;
    start();
    ASSERT_EQ(services.UpdateTimeoutTimer.interval(), 5000);
    QElapsedTimer clock;
    clock.start();

    services.startUpdateCheck();
    EXPECT_TRUE(wait.isVisible());
    ASSERT_TRUE(waitUntil([&] { return !messages().isEmpty(); }, 8000));
    EXPECT_GE(clock.elapsed(), 4500) << "a coarse timer may fire up to 5 % early";
    EXPECT_TRUE(hasMessage(kUpdateCaption, QStringLiteral("Der Update-Service benötigt sehr lange für eine Antwort.")));
    EXPECT_FALSE(wait.isVisible()) << "the wait text goes with the warning";
    EXPECT_EQ(updateEntry, QList<bool>{false}) << "the request goes on";
    EXPECT_TRUE(services.updateCheckRunning());

    script->expectMessage(kUpdateCaption, TMsgAnswer::Ok);
    ASSERT_TRUE(waitUntil([&] { return !services.updateCheckRunning(); }, 10000));
    EXPECT_GE(clock.elapsed(), 5900);
    EXPECT_EQ(script->seen.back().text, kUpToDateText);
    EXPECT_EQ(messages().size(), 1) << "no failure after the warning";
    EXPECT_EQ(updateEntry, (QList<bool>{false, true}));
}

TEST_F(MakerService, AHangingServiceFreesItsChannelSlotWithinTheLimitOfTheWholeCheck)
{
    // Each answer takes 2 s; the version answer and one feature request would need 4 s. A second
    // on either side of the limit, so a loaded machine's delays decide nothing.
    options.maker.delayMs = 2000;
    start();
    TMakerHttpTimeouts::totalMs = 3000;
    // The version answer comes in time; the feature request runs out and leaves the feature off.
    script->expectMessage(kUpdateCaption, TMsgAnswer::Ok);
    QElapsedTimer clock;
    clock.start();
    runUpdateCheck();
    EXPECT_LT(clock.elapsed(), 4000) << "the limit covers all requests of one check together";
    EXPECT_EQ(runningRequestCount(), 0);
    EXPECT_EQ(script->seen.back().text, kUpToDateText);
    EXPECT_FALSE(isFeatureActive(QStringLiteral("ladv.online")));

    TMakerHttpTimeouts::totalMs = 600;
    start();
    clock.restart();
    runUpdateCheck();
    EXPECT_LT(clock.elapsed(), 2000) << "given up before the answer came";
    EXPECT_TRUE(hasMessage(kUpdateCaption, kUnreachable));
    ChannelGuard first; // both slots are free again
    ChannelGuard second;
}

TEST_F(MakerService, OnlineHelpIsAskedOnceAndOnlyAWebLinkEnablesIt)
{
    start();
    EXPECT_EQ(fetchHelp(services),
              (QList<std::pair<QString, bool>>{{QStringLiteral("Loading..."), false},
                                               {QStringLiteral("Online-Hilfe noch nicht verfügbar."), false}}));

    options.maker.helpLink = "https://hilfe.trivanta.example/pentrel\n";
    start();
    TMainWindowServices withLink;
    EXPECT_EQ(fetchHelp(withLink).back(), std::make_pair(QStringLiteral("Online-Hilfe"), true));
    withLink.openOnlineHelp();
    EXPECT_EQ(opened(), QList<QUrl>{QUrl(QStringLiteral("https://hilfe.trivanta.example/pentrel"))});
    opener.setExitStatus(1);
    withLink.openOnlineHelp();
    ASSERT_TRUE(FakeOpener::settle());
    EXPECT_TRUE(
        hasMessage(QStringLiteral("Onlinehilfe starten"), QStringLiteral("Hilfe konnte nicht geöffnet werden.")));

    for (const std::string answer : {"file:///etc/passwd", "javascript:alert(1)", "<html>Portal</html>"}) {
        options.maker.helpLink = answer;
        start();
        TMainWindowServices other;
        EXPECT_EQ(fetchHelp(other).back(), std::make_pair(kNoHelpConnection, false)) << answer;
        other.openOnlineHelp();
    }
    server.stop();
    TMainWindowServices unreachable;
    EXPECT_EQ(fetchHelp(unreachable).back(), std::make_pair(kNoHelpConnection, false));
    services.openOnlineHelp();
    EXPECT_EQ(opened().size(), 2) << "only the web link was ever opened";
}

} // namespace
