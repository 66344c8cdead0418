// The chooser of server and competition, against stand-in servers on loopback, and against the
// fake server where a verdict needs an answer no stand-in gives.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/connection/LocalServerControl.h"
#include "core/connection/PingTest.h"
#include "core/connection/ServerDiscovery.h"
#include "core/connection/ServerVersion.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/ChooseCompetitionDialog.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/HintDialog.h"
#include "core/ui/WaitDialog.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/IniHandler.h"
#include "tests/core/lists/ModelTesterGuard.h"
#include "tests/support/FakeServer.h"
#include "tests/support/LoopbackChooser.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <thread>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

const QString kChooserCaption = QStringLiteral("Veranstaltung auswählen");
const QString kQuitCaption = QStringLiteral("Trivanta Pentrel beenden");
const QString kDeleteCaption = QStringLiteral("Veranstaltung löschen");

QString addressOf(const StandinHarness& server)
{
    return QStringLiteral("http://127.0.0.1:%1").arg(server.port());
}

// Notes which windows Qt takes out of use because another one is modal.
class BlockWatch : public QObject {
public:
    void watch(QWidget* w) { w->installEventFilter(this); }
    bool blocked(QObject* w) const { return blocked_.count(w) && blocked_.at(w); }
    bool eventFilter(QObject* target, QEvent* event) override
    {
        if (event->type() == QEvent::WindowBlocked)
            blocked_[target] = true;
        else if (event->type() == QEvent::WindowUnblocked)
            blocked_[target] = false;
        return false;
    }

private:
    std::map<QObject*, bool> blocked_;
};

class ChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.isValid());
        PingTimeouts::checkIntervalMs = kLoopbackPingIntervalMs;
        InitComm();
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        // The chooser's own context: the current competition and the shared windows of this test only.
        exceptions = std::make_unique<TExceptionForm>(context);
        wait = std::make_unique<TForm10>(context);
        hints = std::make_unique<THintForm>(context);
        server.start();
        makeChooser(addressOf(server));
    }
    // A chooser whose local entry is the server at localServer.
    void makeChooser(const QString& localServer)
    {
        listCheck.reset();
        chooser.reset();
        chooser = std::make_unique<TChooseCompetitionForm>(context, loopbackChooser(localServer));
        // The list's model is checked through every fill, message and clear the tests cause.
        listCheck = std::make_unique<ModelTesterGuard>(list()->model());
        QObject::connect(&competition, &TCurrentCompetition::competitionChanged, chooser.get(),
                         [this] { told << chooser->getCompetitionName(); });
        QObject::connect(chooser.get(), &TChooseCompetitionForm::applicationEndRequested,
                         [this] { terminated = true; });
        QObject::connect(chooser.get(), &TChooseCompetitionForm::serverChosen, [this] { ++versionAsked; });
    }
    void TearDown() override
    {
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        listCheck.reset();
        chooser.reset();
        hints.reset();
        wait.reset();
        exceptions.reset();
        setDialogs(nullptr);
        PingTimeouts::checkIntervalMs = 500;
        setLocalServerStartWaitMsForTests(-1);
        InitComm();
    }

    int create(const QString& name, StandinHarness& on) { return on.client().create(name); }
    int create(const QString& name) { return create(name, server); }
    void storeChoice(const QString& serverEntry, int competitionId)
    {
        WriteIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), serverEntry);
        WriteIniInteger(QStringLiteral("Competition"), QStringLiteral("currentCompetition"), competitionId);
    }
    void saveServer(const QString& address)
    {
        WriteIniStr(QStringLiteral("Connections"), QStringLiteral("Server1"), address);
        WriteIniInteger(QStringLiteral("Connections"), QStringLiteral("endIndex"), 1);
    }
    int storedCompetition() const
    {
        return ReadIniInteger(QStringLiteral("Competition"), QStringLiteral("currentCompetition"), -1);
    }
    QString storedServer() const
    {
        QString current;
        ReadIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), QString(), current);
        return current;
    }
    QStringList listTexts() const
    {
        QStringList out;
        for (int i = 0; i < list()->model()->rowCount(); ++i)
            out << list()->model()->index(i, 0).data().toString();
        return out;
    }
    // The message window's rows as "caption: text".
    QStringList messageRows() const
    {
        QStringList out;
        const QAbstractItemModel* rows = exceptions->findChild<QTreeView*>(QStringLiteral("ListView1"))->model();
        for (int i = 0; i < rows->rowCount(); ++i)
            out << rows->index(i, 1).data().toString() + QStringLiteral(": ") + rows->index(i, 0).data().toString();
        return out;
    }
    QListView* list() const { return chooser->findChild<QListView*>(QStringLiteral("ListBox1")); }
    QComboBox* box() const { return chooser->findChild<QComboBox*>(QStringLiteral("ComboBox1")); }
    QPushButton* button(const char* name) const { return chooser->findChild<QPushButton*>(QString::fromLatin1(name)); }
    // Chooses an entry of the server box, or an address that is none, as the box's own signal does.
    void chooseEntry(const QString& entry)
    {
        if (const int index = box()->findText(entry); index >= 0)
            box()->setCurrentIndex(index);
        else
            box()->setEditText(entry);
        chooser->ComboBox1Select();
    }
    // Types into the server box and presses Enter as a user would, then lets queued work run.
    void enterAddress(const QString& text)
    {
        box()->setEditText(text);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(box(), &press); // the box hands keys to its line edit
        settle();
    }
    static void press(QWidget* target, int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }
    static void settle()
    {
        waitUntil([] { return false; }, 100);
        runQueued();
    }
    // The start script beside the program: it leaves a mark in server/.
    QString writeStartScript(const QString& text = QStringLiteral("touch started\n"))
    {
        const QString folder = folders.programDir.path() + QStringLiteral("/server");
        EXPECT_TRUE(QDir().mkpath(folder));
        QFile file(folder + QStringLiteral("/start.sh"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        return folder + QStringLiteral("/started");
    }
    // Ends a chooser that has no competition: the user agrees to end the program.
    void quitWithoutCompetition()
    {
        script->expectMessage(kQuitCaption, TMsgAnswer::Yes);
        chooser->close();
    }

    TempAppFolders folders;
    StandinHarness server; // the local server
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    ScriptedDialogs* script = nullptr;
    std::unique_ptr<TExceptionForm> exceptions;
    std::unique_ptr<TForm10> wait;
    std::unique_ptr<THintForm> hints;
    std::unique_ptr<TChooseCompetitionForm> chooser;
    std::unique_ptr<ModelTesterGuard> listCheck;
    QStringList told; // the competition's name at each notification
    int versionAsked = 0;
    bool terminated = false;
};

} // namespace

// ---- the silent start ----

TEST_F(ChooserTest, StoredServerAndCompetitionOpenSilently)
{
    create(QStringLiteral("Frühjahrssportfest"));
    const int id = create(QStringLiteral("Herbstsportfest"));
    storeChoice(addressOf(server), id);

    EXPECT_TRUE(chooser->setCompetition(false));
    EXPECT_EQ(chooser->getCompetitionId(false), id);
    // Once when the competition was set, once more when the choice ended.
    EXPECT_EQ(told, (QStringList{"Herbstsportfest", "Herbstsportfest"}));
    EXPECT_EQ(storedCompetition(), id);
}

TEST_F(ChooserTest, TheLocalServerKeepsItsCompetitionHoweverItWasStored)
{
    const int id = create(QStringLiteral("Daheim"));
    // The entry's text, or the address as typed once: both name the local server.
    for (const QString& stored :
         {TChooseCompetitionForm::kLocalEntry, QStringLiteral("127.0.0.1:%1").arg(server.port())}) {
        SCOPED_TRACE(stored.toStdString());
        storeChoice(stored, id);
        EXPECT_TRUE(chooser->setCompetition(false)) << "opened without the chooser";
        EXPECT_EQ(chooser->getCompetitionId(false), id);
        EXPECT_EQ(storedCompetition(), id);
        EXPECT_EQ(storedServer(), addressOf(server));
    }
}

TEST_F(ChooserTest, VanishedCompetitionShowsTheChooser)
{
    const int kept = create(QStringLiteral("Kreismeisterschaft"));
    storeChoice(addressOf(server), kept + 100);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Kreismeisterschaft")});
        EXPECT_FALSE(button("Button1")->isEnabled());
        chooser->SelectCompetitionListItem(kept);
        button("Button1")->click();
        return 0;
    });
    EXPECT_TRUE(chooser->setCompetition(false));
    EXPECT_EQ(chooser->getCompetitionId(false), kept);
}

TEST_F(ChooserTest, UnreachableServerAndNoChoiceEndsTheProgram)
{
    storeChoice(QStringLiteral("http://127.0.0.1:1"), 3);
    saveServer(QStringLiteral("http://127.0.0.1:1"));
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Keine Verbindung zum Server.")});
        chooser->close();
        EXPECT_FALSE(terminated); // "Nein" keeps the chooser open
        chooser->close();
        return 0;
    });
    script->expectMessage(kQuitCaption, TMsgAnswer::No);
    script->expectMessage(kQuitCaption, TMsgAnswer::Yes);
    EXPECT_FALSE(chooser->setCompetition(false));
    EXPECT_TRUE(terminated);
    EXPECT_EQ(chooser->getCompetitionId(false), 0);
    EXPECT_THROW(chooser->getCompetitionId(true), ETvExceptionDetail);
    EXPECT_EQ(versionAsked, 0) << "the about window does not ask a server that did not answer";
}

// ---- the version check ----

TEST_F(ChooserTest, VerdictsOnTheServersVersionInTheServersOwnWords)
{
    const QString restrictedServer =
        QStringLiteral("Warnung: Die Server-Version scheint veraltet sein. Evtl. sind einige Funktionen mit diesem "
                       "Server eingeschränkt oder funktionieren nicht wie erwartet. Es wird empfohlen die Software zu "
                       "aktualisieren/neu zu installieren.");
    const QString outdatedServer =
        QStringLiteral("Warnung: Die Server-Version ist veraltet und nicht mehr zu diesem "
                       "Client kompatibel. Bitte entsprechend aktualisieren/neu installieren.");
    const QString unknown = QStringLiteral(
        "Warnung: Die Serverkompatibilität konnte nicht geprüft werden. Evtl. sind einige Funktionen eingeschränkt. Es "
        "wird empfohlen die Software zu aktualisieren/neu zu installieren.");
    const QString restrictedClient =
        QStringLiteral("Warnung: Die Client-Version scheint veraltet sein. Evtl. sind einige Funktionen mit diesem "
                       "Server eingeschränkt oder funktionieren nicht wie erwartet. Es wird empfohlen die Software zu "
                       "aktualisieren/neu zu installieren.");
    const QString outdatedClient = QStringLiteral("Warnung: Die Client-Version ist veraltet und nicht mehr zum "
                                                  "gewählten Server kompatibel. Bitte entsprechend "
                                                  "aktualisieren/neu installieren.");
    const QString caption = QStringLiteral("Serverkompatibilität prüfen: ");
    struct Case {
        GenericTvpVersion version;
        std::optional<CompatibilityInformation> answer; // asked for newer servers; none: the question fails
        QStringList list;                               // the competition list afterwards
        QString message;                                // in the message window
    };
    const QStringList listed{QStringLiteral("Sportfest")};
    const QStringList refused{QStringLiteral("Inkompatibler Server")};
    int n = 0;
    const std::vector<Case> cases{
        {{0, 8, 9}, {}, refused, outdatedServer},
        {{0, 9, 5}, {}, listed, restrictedServer},
        {{0, 9, 0}, {}, listed, restrictedServer},
        {{0, 9, 6}, {}, listed, {}},
        {{1, 0, 0}, {}, listed, {}},
        {{1, 0, 1}, CompatibilityInformation::FULL, listed, {}},
        {{2, 0, 0}, CompatibilityInformation::UNKNOWN, listed, unknown},
        {{1, 1, 0}, CompatibilityInformation::FEATURE_RESTRICTED, listed, restrictedClient},
        {{1, 1, 0}, CompatibilityInformation::NO_COMPATIBILITY, refused, outdatedClient},
        {{3, 0, 0}, std::nullopt, {QStringLiteral("Kompatibilitätsprüfung fehlgeschlagen.")}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(versionText(c.version).toStdString());
        FakeServerInstall fake;
        getBackendVersionResponse1 version;
        version.version = c.version;
        fake->answer<op::getBackendVersion>(version);
        const bool newer = compareVersion(c.version, {1, 0, 0}) > 0;
        if (newer && c.answer)
            fake->answer<op::getCompatibilityInformation>(*c.answer);
        else if (newer)
            fake->fault<op::getCompatibilityInformation>(0);
        CompetitionType sportfest;
        sportfest.ID = 1;
        sportfest.Name = QStringLiteral("Sportfest");
        fake->answer<op::getCompetitions>(getCompetitionsResponse1{sportfest});
        fake->answer<op::getExceptionMessages>(getExceptionMessagesResponse1{});
        const qsizetype earlierMessages = messageRows().size();
        // Each case a server of its own, so each verdict is news; the fake answers for all of them.
        makeChooser(QStringLiteral("http://127.0.0.1:%1").arg(20000 + ++n));

        chooseEntry(TChooseCompetitionForm::kLocalEntry);
        EXPECT_EQ(listTexts(), c.list);
        EXPECT_EQ(messageRows().mid(earlierMessages),
                  c.message.isEmpty() ? QStringList{} : QStringList{caption + c.message});
        if (newer) {
            const std::vector<op::getCompatibilityInformation> asked = fake->callsOf<op::getCompatibilityInformation>();
            ASSERT_EQ(asked.size(), 1u);
            ASSERT_TRUE(asked[0].FrontendVersion);
            EXPECT_EQ(compareVersion(*asked[0].FrontendVersion, clientVersion()), 0);
        } else {
            EXPECT_TRUE(fake->callsOf<op::getCompatibilityInformation>().empty()) << "a known version is not asked";
        }
    }
}

TEST_F(ChooserTest, AWarningIsToldOncePerChoiceOfAServer)
{
    StandinHarness old;
    old.options.version = {0, 9, 0};
    old.start();
    makeChooser(addressOf(old));
    storeChoice(addressOf(old), 4711); // no such competition: the silent start ends in the chooser
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_TRUE(waitUntil([&] { return !messageRows().isEmpty(); }));
        settle();
        EXPECT_EQ(messageRows().size(), 1) << "the silent attempt and the chooser are one choice";
        enterAddress(TChooseCompetitionForm::kLocalEntry);
        EXPECT_EQ(messageRows().size(), 1) << "the same server again";
        quitWithoutCompetition();
        return 0;
    });
    EXPECT_FALSE(chooser->setCompetition(false));
    EXPECT_TRUE(messageRows().first().startsWith(QStringLiteral("Serverkompatibilität prüfen: Warnung: Die Server-")));
}

TEST_F(ChooserTest, OnlyAServerThatPassedTheCheckIsAskedForItsVersion)
{
    StandinHarness old;
    old.options.version = {0, 8, 9};
    old.start();
    saveServer(addressOf(old));
    storeChoice(addressOf(server), 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(versionAsked, 1) << "the local server passed";
        chooseEntry(addressOf(old));
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Inkompatibler Server")});
        chooseEntry(QStringLiteral("http://127.0.0.1:1"));
        EXPECT_EQ(versionAsked, 1) << "neither the refused nor the unreachable server";
        quitWithoutCompetition();
        return 0;
    });
    EXPECT_FALSE(chooser->setCompetition(true));
}

// ---- creating and deleting ----

TEST_F(ChooserTest, DeletingAsksWithNeinAsDefaultThenRemovesFromTheServer)
{
    const QString name = QStringLiteral("<b>x</b> <img src=\"file:///etc/passwd\">");
    const int id = create(name);
    create(QStringLiteral("Bleibt"));
    storeChoice(addressOf(server), id);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        chooser->SelectCompetitionListItem(id);
        EXPECT_EQ(list()->selectionModel()->selectedRows().value(0).data().toString(), name)
            << "the list shows the name as written";
        chooser->deleteSelectedCompetition(); // "Nein": nothing happens
        chooser->deleteSelectedCompetition();
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Bleibt")});
        quitWithoutCompetition();
        return 0;
    });
    int refreshed = 0;
    QObject::connect(chooser.get(), &TChooseCompetitionForm::competitionDeleted, [&] { ++refreshed; });
    script->expectMessage(kDeleteCaption, TMsgAnswer::No);
    script->expectMessage(kDeleteCaption, TMsgAnswer::Yes);
    EXPECT_FALSE(chooser->setCompetition(true));
    EXPECT_EQ(server.client().competitionNames(), QStringList{QStringLiteral("Bleibt")});
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(script->seen[1].text, "Soll die Veranstaltung \"" + name +
                                        "\" und ihr gesamter Inhalt (Meldungen, Ergebnisse, etc.) wirklich gelöscht "
                                        "werden?\r\nFalls diese Veranstaltung mit einem Cup verknüpft ist, wird diese "
                                        "auch aus dem Cup entfernt.");
    EXPECT_EQ(script->seen[1].defaultAnswer, TMsgAnswer::No) << "Enter never deletes a competition";
}

TEST_F(ChooserTest, AFailedDeleteIsReportedAndTheListIsRead)
{
    const int id = create(QStringLiteral("Schon weg"));
    storeChoice(addressOf(server), 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        chooser->SelectCompetitionListItem(id);
        server.client().cms()->removeCompetition(id); // another organiser was quicker
        chooser->deleteSelectedCompetition();
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Keine Veranstaltungen auf Server gefunden.")});
        quitWithoutCompetition();
        return 0;
    });
    script->expectMessage(kDeleteCaption, TMsgAnswer::Yes);
    EXPECT_FALSE(chooser->setCompetition(true));
    EXPECT_EQ(messageRows(), QStringList{QStringLiteral("Veranstaltung löschen: Veranstaltung konnte nicht gelöscht "
                                                        "werden. (Die Veranstaltung mit der ID %1 existiert nicht.)")
                                             .arg(id)});
}

// ---- servers ----

TEST_F(ChooserTest, ServerBoxHeadingsAndSwitchingServers)
{
    StandinHarness other;
    other.start();
    const int remoteId = create(QStringLiteral("Auswärts"), other);
    saveServer(addressOf(other));
    storeChoice(addressOf(other), remoteId);
    ASSERT_TRUE(chooser->setCompetition(false));
    EXPECT_EQ(chooser->getCompetitionId(false), remoteId);

    chooser->AddDetectedRemoteServer(QStringLiteral("http://10.0.0.7:8443"));
    chooser->AddDetectedRemoteServer(QStringLiteral("http://10.0.0.7:8443"));
    QStringList entries;
    for (int i = 0; i < box()->count(); ++i)
        entries << box()->itemText(i);
    EXPECT_EQ(entries, (QStringList{TChooseCompetitionForm::kLocalEntry, TChooseCompetitionForm::kFoundHeading,
                                    QStringLiteral("http://10.0.0.7:8443"), TChooseCompetitionForm::kSavedHeading,
                                    addressOf(other)}));

    // A heading selects the current server again and changes nothing else.
    chooseEntry(TChooseCompetitionForm::kSavedHeading);
    EXPECT_EQ(box()->currentText(), addressOf(other));
    EXPECT_EQ(storedCompetition(), remoteId);

    // Going to the local server forgets the other server's competition id.
    chooseEntry(TChooseCompetitionForm::kLocalEntry);
    EXPECT_EQ(storedCompetition(), 0);
    EXPECT_EQ(storedServer(), addressOf(server));
}

TEST_F(ChooserTest, TheCompetitionIdIsReadWhileItChanges)
{
    const int first = create(QStringLiteral("Erster"));
    const int second = create(QStringLiteral("Zweiter"));
    CompetitionType a;
    a.ID = first;
    CompetitionType b;
    b.ID = second;
    std::atomic<bool> stop{false};
    std::set<int> seen;
    std::thread worker([&] {
        while (!stop)
            seen.insert(chooser->getCompetitionId(false));
    });
    for (int i = 0; i < 2000; ++i) {
        chooser->SetCompetitionInternal(std::make_unique<CompetitionType>(i % 3 == 0 ? a : b));
        if (i % 7 == 0)
            chooser->SetCompetitionInternal(nullptr);
    }
    stop = true;
    worker.join();
    const std::set<int> current{0, first, second};
    EXPECT_TRUE(std::includes(current.begin(), current.end(), seen.begin(), seen.end()))
        << "only ids that were current";
}

TEST_F(ChooserTest, TypedAddressIsUsedEvenFromTheLocalEntry)
{
    create(QStringLiteral("Lokal"));
    StandinHarness other;
    other.start();
    create(QStringLiteral("Auswärts"), other);
    storeChoice(TChooseCompetitionForm::kLocalEntry, 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(box()->currentText(), TChooseCompetitionForm::kLocalEntry);
        enterAddress(addressOf(other));
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Auswärts")});
        EXPECT_EQ(storedServer(), addressOf(other));
        EXPECT_EQ(chooser->savedServers(), QStringList{addressOf(other)});
        EXPECT_EQ(box()->currentText(), addressOf(other));
        quitWithoutCompetition();
        return 0;
    });
    EXPECT_FALSE(chooser->setCompetition(true));
}

TEST_F(ChooserTest, EnterOnAnEntryChoosesTheServerOnce)
{
    StandinHarness other;
    other.start();
    create(QStringLiteral("Auswärts"), other);
    saveServer(addressOf(other));
    storeChoice(TChooseCompetitionForm::kLocalEntry, 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        versionAsked = 0;
        enterAddress(addressOf(other)); // an entry other than the current one
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Auswärts")});
        EXPECT_EQ(versionAsked, 1);
        enterAddress(addressOf(other)); // the current entry: asked again, once
        EXPECT_EQ(versionAsked, 2);
        quitWithoutCompetition();
        return 0;
    });
    EXPECT_FALSE(chooser->setCompetition(true));
}

TEST_F(ChooserTest, DiscoveryReplyKeepsATypedAddress)
{
    storeChoice(addressOf(server), 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        box()->setEditText(QStringLiteral("http://10.1.2"));
        chooser->AddDetectedRemoteServer(QStringLiteral("http://10.0.0.7:8443"));
        EXPECT_EQ(box()->currentText(), QStringLiteral("http://10.1.2"));
        EXPECT_EQ(box()->findText(QStringLiteral("http://10.0.0.7:8443")), 2);
        quitWithoutCompetition();
        return 0;
    });
    EXPECT_FALSE(chooser->setCompetition(true));
}

// ---- leaving the chooser ----

TEST_F(ChooserTest, OkInTheOpenChooserNotifiesTwice)
{
    const int id = create(QStringLiteral("Sommerfest"));
    storeChoice(addressOf(server), 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_TRUE(told.isEmpty());
        chooser->SelectCompetitionListItem(id);
        button("Button1")->click();
        EXPECT_EQ(told.size(), 1);
        return 0;
    });
    EXPECT_TRUE(chooser->setCompetition(true));
    EXPECT_EQ(told, (QStringList{"Sommerfest", "Sommerfest"}));
    EXPECT_EQ(storedCompetition(), id);
}

TEST_F(ChooserTest, CancelAfterSwitchingKeepsTheCompetitionOnItsServer)
{
    const int id = create(QStringLiteral("Heimspiel"));
    StandinHarness other;
    other.start();
    create(QStringLiteral("Fremd"), other);
    saveServer(addressOf(other));
    storeChoice(addressOf(server), id);
    ASSERT_TRUE(chooser->setCompetition(false));

    script->expectWindow(kChooserCaption, [&](QWidget&) {
        chooseEntry(addressOf(other));
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Fremd")});
        chooser->close();
        return 0;
    });
    EXPECT_FALSE(chooser->setCompetition(true));
    EXPECT_EQ(chooser->getCompetitionName(), QStringLiteral("Heimspiel"));
    EXPECT_EQ(competitionUrlHolderInstance().getServerUrl(), addressOf(server));
    EXPECT_EQ(storedServer(), addressOf(server));
    EXPECT_EQ(storedCompetition(), id);
    // The next start opens the same competition on the same server, silently.
    EXPECT_TRUE(chooser->setCompetition(false));
    EXPECT_EQ(chooser->getCompetitionName(), QStringLiteral("Heimspiel"));
}

TEST_F(ChooserTest, CancelAfterTellingThereIsNoneTellsAndStoresTheKeptOneAgain)
{
    const int id = create(QStringLiteral("Heim"));
    const int other = create(QStringLiteral("Anderer"));
    StandinHarness old;
    old.options.version = {0, 8, 9};
    old.start();
    saveServer(addressOf(old));
    storeChoice(addressOf(server), id);
    ASSERT_TRUE(chooser->setCompetition(false));

    // "Stop" of the local server, a refused server, a deleted other competition: each tells
    // everyone there is no competition and stores 0; cancelling brings back the one kept.
    const std::vector<std::pair<const char*, std::function<void()>>> paths{
        {"Stop", [&] { button("Button5")->click(); }},
        {"refused server", [&] { chooseEntry(addressOf(old)); }},
        {"deleted competition",
         [&] {
             chooser->SelectCompetitionListItem(other);
             script->expectMessage(kDeleteCaption, TMsgAnswer::Yes);
             chooser->deleteSelectedCompetition();
         }},
    };
    for (const auto& [name, act] : paths) {
        SCOPED_TRACE(name);
        told.clear();
        script->expectWindow(kChooserCaption, [&](QWidget&) {
            act();
            EXPECT_EQ(told, QStringList{QString()});
            EXPECT_EQ(storedCompetition(), 0);
            chooser->close();
            return 0;
        });
        EXPECT_FALSE(chooser->setCompetition(true));
        EXPECT_EQ(told, (QStringList{QString(), QStringLiteral("Heim")}));
        EXPECT_EQ(chooser->getCompetitionId(false), id);
        EXPECT_EQ(storedCompetition(), id);
        EXPECT_EQ(storedServer(), addressOf(server));
    }
    EXPECT_EQ(server.client().competitionNames(), QStringList{QStringLiteral("Heim")});
}

// ---- keyboard and windows over the chooser ----

TEST_F(ChooserTest, ReturnPressesOkOrTheFocusedButtonAndTabFollowsTheEye)
{
    create(QStringLiteral("Eins"));
    const int two = create(QStringLiteral("Zwei"));
    storeChoice(addressOf(server), 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        // Tab order among the controls, as they are laid out.
        QStringList order;
        QWidget* w = box();
        do {
            if (qobject_cast<QPushButton*>(w) || qobject_cast<QListView*>(w) || qobject_cast<QComboBox*>(w))
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != box() && order.size() < 20);
        EXPECT_EQ(order, (QStringList{"ComboBox1", "Button4", "Button5", "ListBox1", "Button7", "Button2", "Button3",
                                      "Button1"}));

        // Return on a focused button presses that button ("Start": the consent is asked).
        button("Button4")->setFocus();
        press(button("Button4"), Qt::Key_Return);
        EXPECT_TRUE(button("Button1")->isDefault());

        // In the list: Return is "Ok".
        list()->setFocus();
        press(list(), Qt::Key_Down);
        press(list(), Qt::Key_Down);
        press(list(), Qt::Key_Return);
        return 0;
    });
    script->expectModal(QStringLiteral("Haftungsausschluss"), [](QDialog&) { return int(QDialog::Rejected); });
    EXPECT_TRUE(chooser->setCompetition(true));
    EXPECT_EQ(chooser->getCompetitionId(false), two);
}

TEST_F(ChooserTest, EscapeInTheListClosesTheChooser)
{
    storeChoice(addressOf(server), 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        list()->setFocus();
        press(list(), Qt::Key_Escape);
        EXPECT_TRUE(terminated) << "the list is read-only and leaves Escape to the chooser";
        return 0;
    });
    script->expectMessage(kQuitCaption, TMsgAnswer::Yes);
    EXPECT_FALSE(chooser->setCompetition(true));
}

TEST_F(ChooserTest, KeyboardSelectionEnablesOk)
{
    create(QStringLiteral("Eins"));
    create(QStringLiteral("Zwei"));
    storeChoice(addressOf(server), 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_FALSE(button("Button1")->isEnabled());
        press(list(), Qt::Key_Down);
        EXPECT_TRUE(button("Button1")->isEnabled());
        button("Button1")->click();
        return 0;
    });
    EXPECT_TRUE(chooser->setCompetition(true));
    EXPECT_NE(chooser->getCompetitionId(false), 0);
}

TEST_F(ChooserTest, ARightClickChoosesTheRowToDeleteAndADoubleClickOpensOne)
{
    const int one = create(QStringLiteral("Eins"));
    create(QStringLiteral("Zwei"));
    storeChoice(addressOf(server), 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        const auto rowOf = [&](const QString& name) {
            const QModelIndexList found =
                list()->model()->match(list()->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
            return found.value(0);
        };
        const QPoint two = list()->visualRect(rowOf(QStringLiteral("Zwei"))).center();
        QContextMenuEvent menu(QContextMenuEvent::Mouse, two, list()->viewport()->mapToGlobal(two));
        QApplication::sendEvent(list()->viewport(), &menu);
        auto* popup = chooser->findChild<QMenu*>(QStringLiteral("PopupMenu1"));
        EXPECT_TRUE(popup->isVisible());
        EXPECT_TRUE(chooser->findChild<QAction*>(QStringLiteral("Veranstaltunglschen1"))->isEnabled());
        EXPECT_EQ(list()->selectionModel()->selectedRows().value(0).data().toString(), QStringLiteral("Zwei"));
        EXPECT_TRUE(button("Button1")->isEnabled());
        popup->close();

        const QPoint first = list()->visualRect(rowOf(QStringLiteral("Eins"))).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, first);
        return 0;
    });
    EXPECT_TRUE(chooser->setCompetition(true));
    EXPECT_EQ(chooser->getCompetitionId(false), one);
}

TEST_F(ChooserTest, TheChooserStaysUsableWithTheHintAndTheMessageWindowOpen)
{
    ASSERT_TRUE(QDir(folders.programDir.path()).mkpath(QStringLiteral("ContextHelp")));
    QFile page(folders.programDir.filePath(QStringLiteral("ContextHelp/WELCOME.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<p>Willkommen</p>");
    page.close();
    storeChoice(addressOf(server), 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        // Modal as the program shows it.
        chooser->hide();
        chooser->setWindowModality(Qt::ApplicationModal);
        chooser->show();
        EXPECT_EQ(QApplication::activeModalWidget(), chooser.get());
        BlockWatch watch;
        for (QWidget* w : std::initializer_list<QWidget*>{chooser.get(), hints.get(), exceptions.get()})
            watch.watch(w);

        hints->ShowHint(QStringLiteral("WELCOME"), false);
        context.messages().AddException(-1, {}, QStringLiteral("Hallo"), QStringLiteral("Test"), nullptr);
        EXPECT_TRUE(waitUntil([&] { return hints->isVisible() && exceptions->isVisible(); }));
        settle();
        for (QWidget* w : std::initializer_list<QWidget*>{chooser.get(), hints.get(), exceptions.get()}) {
            EXPECT_FALSE(watch.blocked(w)) << w->objectName().toStdString();
            EXPECT_EQ(w->windowModality(), w == chooser.get() ? Qt::ApplicationModal : Qt::NonModal);
        }
        EXPECT_EQ(QApplication::activeModalWidget(), chooser.get()) << "the chooser is still the modal one";
        EXPECT_EQ(hints->windowHandle()->transientParent(), chooser->windowHandle());

        hints->close();
        exceptions->close();
        chooser->hide();
        chooser->setWindowModality(Qt::NonModal);
        chooser->show();
        quitWithoutCompetition();
        return 0;
    });
    EXPECT_FALSE(chooser->setCompetition(true));
    // Shown with no modal window around, a window belongs to nobody again.
    hints->ShowHint(QStringLiteral("WELCOME"), true);
    EXPECT_EQ(hints->windowHandle()->transientParent(), nullptr);
}

// ---- the local server ----

TEST_F(ChooserTest, StopClearsTheLocalChoice)
{
    const int id = create(QStringLiteral("Lokal"));
    storeChoice(addressOf(server), id);
    ASSERT_TRUE(chooser->setCompetition(false));
    told.clear();
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Lokal")});
        button("Button5")->click();
        EXPECT_TRUE(listTexts().isEmpty());
        EXPECT_EQ(storedCompetition(), 0);
        EXPECT_EQ(told.size(), 1);
        EXPECT_FALSE(button("Button2")->isEnabled());
        // The test program folder has no scripts.
        EXPECT_TRUE(messageRows().contains(QStringLiteral(
            "Server stoppen: Server konnte nicht gestoppt werden. Stellen Sie sicher, dass das Programm vollständig "
            "entpackt wurde.")));
        chooser->close();
        return 0;
    });
    EXPECT_FALSE(chooser->setCompetition(true));
}

TEST_F(ChooserTest, AStoppedLocalServersCompetitionIsNotOpenedAgain)
{
    const int id = create(QStringLiteral("Lokal"));
    storeChoice(addressOf(server), id);
    ASSERT_TRUE(chooser->setCompetition(false));
    const QString folder = folders.programDir.path() + QStringLiteral("/server");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile stop(folder + QStringLiteral("/stop.sh"));
    ASSERT_TRUE(stop.open(QIODevice::WriteOnly));
    stop.write("exit 0\n");
    stop.close();
    told.clear();
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualRect(list()->model()->index(0, 0)).center());
        EXPECT_TRUE(button("Button1")->isEnabled());
        button("Button5")->click();
        EXPECT_TRUE(listTexts().isEmpty());
        EXPECT_FALSE(button("Button1")->isEnabled()) << "nothing left to open";
        // Escape: without a competition the chooser asks whether to end the program.
        list()->setFocus();
        press(list(), Qt::Key_Escape);
        EXPECT_TRUE(terminated);
        return 0;
    });
    script->expectMessage(kQuitCaption, TMsgAnswer::Yes);
    EXPECT_FALSE(chooser->setCompetition(true));
    EXPECT_EQ(chooser->getCompetition(), nullptr);
    EXPECT_FALSE(told.contains(QStringLiteral("Lokal"))) << "the stopped one is never current again";
    EXPECT_EQ(storedCompetition(), 0);
    EXPECT_TRUE(messageRows().isEmpty()) << messageRows().join(u'\n').toStdString();
}

TEST_F(ChooserTest, OkIsEnabledOnlyWhileACompetitionIsMarked)
{
    create(QStringLiteral("Eins"));
    const int two = create(QStringLiteral("Zwei"));
    storeChoice(addressOf(server), two);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_TRUE(button("Button1")->isEnabled());
        chooser->deleteSelectedCompetition();
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Eins")});
        EXPECT_FALSE(button("Button1")->isEnabled());
        quitWithoutCompetition();
        return 0;
    });
    script->expectMessage(kDeleteCaption, TMsgAnswer::Yes);
    EXPECT_FALSE(chooser->setCompetition(true));
}

TEST_F(ChooserTest, StartAsksConsentThenChoosesTheLocalServer)
{
    create(QStringLiteral("Lokal"));
    StandinHarness other;
    other.start();
    saveServer(addressOf(other));
    storeChoice(addressOf(other), 0);
    const QString marker = writeStartScript();
    setLocalServerStartWaitMsForTests(0);

    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(box()->currentText(), addressOf(other));
        button("Button4")->click(); // refused
        settle();
        EXPECT_FALSE(QFile::exists(marker));
        EXPECT_TRUE(button("Button4")->isEnabled());
        EXPECT_EQ(box()->currentText(), addressOf(other));
        button("Button4")->click(); // agreed
        EXPECT_TRUE(waitUntil([&] { return QFile::exists(marker); }));
        EXPECT_EQ(box()->currentText(), TChooseCompetitionForm::kLocalEntry);
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Lokal")});
        EXPECT_EQ(storedServer(), addressOf(server));
        quitWithoutCompetition();
        return 0;
    });
    script->expectModal(QStringLiteral("Haftungsausschluss"), [](QDialog&) { return int(QDialog::Rejected); });
    script->expectModal(QStringLiteral("Haftungsausschluss"), [](QDialog&) { return int(QDialog::Accepted); });
    EXPECT_FALSE(chooser->setCompetition(true));
}

TEST_F(ChooserTest, StartWaitsOnlyUntilTheLocalServerAnswers)
{
    // The local server comes up a moment after the start script ran.
    StandinHarness local;
    local.start();
    create(QStringLiteral("Lokal"), local);
    local.options.port = local.port();
    local.stop();
    makeChooser(QStringLiteral("http://127.0.0.1:%1").arg(local.options.port));
    storeChoice(TChooseCompetitionForm::kLocalEntry, 0);
    writeStartScript();
    setLocalServerStartWaitMsForTests(-1); // the full 14 s as the bound

    QString shownMeanwhile;
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Keine Verbindung zum Server.")});
        QTimer::singleShot(300, [&] {
            if (wait->isVisible())
                shownMeanwhile = wait->findChild<QLabel*>(QStringLiteral("Label1"))->text();
            local.start();
        });
        QElapsedTimer clock;
        clock.start();
        button("Button4")->click();
        EXPECT_GE(clock.elapsed(), 300);
        EXPECT_LT(clock.elapsed(), 5000) << "not the whole 14 s";
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Lokal")});
        quitWithoutCompetition();
        return 0;
    });
    script->expectModal(QStringLiteral("Haftungsausschluss"), [](QDialog&) { return int(QDialog::Accepted); });
    EXPECT_FALSE(chooser->setCompetition(true));
    EXPECT_EQ(shownMeanwhile, QStringLiteral("Lokalen Server starten")) << "the wait window is there meanwhile";
}

// Another program holds the local server's port: the chooser shows the start script's reason.
TEST_F(ChooserTest, AStartOnAPortAnotherProgramHoldsShowsTheScriptsReason)
{
    StandinHarness other;
    other.start();
    saveServer(addressOf(other));
    storeChoice(addressOf(other), 0);
    writeStartScript(
        QStringLiteral("ln -s %1/start.sh real.sh && ln -s %1/tvp-standin . && exec bash real.sh --port %2\n")
            .arg(QStringLiteral(TVP_BUILD_PROGRAM_DIR "/server"))
            .arg(server.port()));
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        button("Button4")->click();
        EXPECT_EQ(box()->currentText(), addressOf(other)) << "the local entry is not chosen";
        quitWithoutCompetition();
        return 0;
    });
    script->expectModal(QStringLiteral("Haftungsausschluss"), [](QDialog&) { return int(QDialog::Accepted); });
    EXPECT_FALSE(chooser->setCompetition(true));
    EXPECT_EQ(messageRows(), QStringList{QStringLiteral("Server starten: Server konnte nicht gestartet werden: Port "
                                                        "%1 ist bereits von einem anderen Programm belegt. Beenden "
                                                        "Sie dieses Programm und starten Sie den Server erneut.")
                                             .arg(server.port())});
    EXPECT_FALSE(QFile::exists(folders.programDir.path() + QStringLiteral("/server/standin.pid")));
}

TEST_F(ChooserTest, AStartThatCannotRunIsReported)
{
    storeChoice(addressOf(server), 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        button("Button4")->click(); // no start script beside the program
        EXPECT_TRUE(button("Button4")->isEnabled());
        quitWithoutCompetition();
        return 0;
    });
    script->expectModal(QStringLiteral("Haftungsausschluss"), [](QDialog&) { return int(QDialog::Accepted); });
    EXPECT_FALSE(chooser->setCompetition(true));
    EXPECT_EQ(messageRows(), QStringList{QStringLiteral("Server starten: Server konnte nicht gestartet werden. Stellen "
                                                        "Sie sicher, dass das Programm vollständig entpackt wurde.")});
}
