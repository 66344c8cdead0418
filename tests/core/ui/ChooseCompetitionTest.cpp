// The chooser of server and competition against stand-in servers on loopback.

#include "tests/support/TempAppFolders.h"
#include "core/ui/ChooseCompetitionDialog.h"
#include "core/connection/CommunicationThread.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/HintDialog.h"
#include "core/util/IniHandler.h"
#include "core/connection/LocalServerControl.h"
#include "core/ui/NewCompetitionDialog.h"
#include "core/connection/PingTest.h"
#include "tests/support/ScriptedDialogs.h"
#include "core/connection/ServerDiscovery.h"
#include "core/connection/ServerVersion.h"
#include "standin/StandinServer.h"
#include "tests/support/TestUtil.h"
#include "core/ui/WaitDialog.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/connection/CurrentCompetition.h"

#include <QDateEdit>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <thread>

using namespace tvp;
using namespace tvp::proto;
using tvp::test::ScriptedDialogs;

namespace {

const QString kChooserCaption = QStringLiteral("Veranstaltung auswählen");

struct Standin {
    explicit Standin(const QString& dir, GenericTvpVersion version = {1, 0, 0})
    {
        standin::StandinOptions options;
        options.port = 0;
        options.dataFile = (dir + QStringLiteral("/standin.db")).toStdString();
        options.version = version;
        server = std::make_unique<standin::StandinServer>(options);
        address = QStringLiteral("http://127.0.0.1:%1").arg(server->port());
    }
    int create(const QString& name)
    {
        CompetitionInfoType info;
        info.Name = name;
        return GetCompetitionManagementPortType(
                   false, address + QStringLiteral("/TrivantaPentrel/services/CompetitionManagementService/"), nullptr)
            ->createCompetition(info)
            .Competition->ID;
    }
    QStringList names()
    {
        QStringList out;
        for (const auto& c :
             GetDataRetrievalPortType(
                 false, address + QStringLiteral("/TrivantaPentrel/services/DataRetrievalService/"), nullptr)
                 ->getCompetitions())
            out << c.Name;
        return out;
    }
    std::unique_ptr<standin::StandinServer> server;
    QString address;
};

class ChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.isValid() && serverDir.isValid());
        PingTimeouts::checkIntervalMs = 100;
        InitComm();
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        // The chooser's own context: the current competition and the shared windows of this test only.
        exceptions = std::make_unique<TExceptionForm>(context);
        wait = std::make_unique<TForm10>(context);
        hints = std::make_unique<THintForm>(context);
        server = std::make_unique<Standin>(serverDir.path());
        TChooseCompetitionForm::localServerAddressOverride = server->address;
        // Never look for servers beyond this machine from a test.
        TChooseCompetitionForm::discoveryConfig().interfaces = [] { return std::vector<tNetworkInterface>{}; };
        TChooseCompetitionForm::discoveryConfig().listenPort = 0;
        chooser = std::make_unique<TChooseCompetitionForm>(context);
        chooser->addNofitication([this] { ++notifications; });
        QObject::connect(chooser.get(), &TChooseCompetitionForm::applicationEndRequested,
                         [this] { terminated = true; });
    }
    void TearDown() override
    {
        EXPECT_TRUE(script->allAnswered());
        chooser.reset();
        hints.reset();
        wait.reset();
        exceptions.reset();
        setDialogs(nullptr);
        TChooseCompetitionForm::localServerAddressOverride.clear();
        PingTimeouts::checkIntervalMs = 500;
    }

    void storeChoice(const QString& serverEntry, int competitionId)
    {
        WriteIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), serverEntry);
        WriteIniInteger(QStringLiteral("Competition"), QStringLiteral("currentCompetition"), competitionId);
    }
    QStringList listTexts() const
    {
        QStringList out;
        auto* list = chooser->findChild<QListWidget*>(QStringLiteral("ListBox1"));
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    QStringList messageRows() const
    {
        QStringList out;
        auto* rows = exceptions->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
        for (int i = 0; i < rows->topLevelItemCount(); ++i)
            out << rows->topLevelItem(i)->text(0);
        return out;
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
    void saveServer(const QString& address)
    {
        WriteIniStr(QStringLiteral("Connections"), QStringLiteral("Server1"), address);
        WriteIniInteger(QStringLiteral("Connections"), QStringLiteral("endIndex"), 1);
    }
    QComboBox* box() const { return chooser->findChild<QComboBox*>(QStringLiteral("ComboBox1")); }
    QPushButton* button(const char* name) const { return chooser->findChild<QPushButton*>(QString::fromLatin1(name)); }
    // Types into the server box and presses Enter as a user would, then lets queued work run.
    void enterAddress(const QString& text)
    {
        box()->setEditText(text);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(box(), &press); // the box hands keys to its line edit
        settle();
    }
    static void settle()
    {
        tvp::test::waitUntil([] { return false; }, 100);
    }

    tvp::test::TempAppFolders folders;
    QTemporaryDir serverDir;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    ScriptedDialogs* script = nullptr;
    std::unique_ptr<TExceptionForm> exceptions;
    std::unique_ptr<TForm10> wait;
    std::unique_ptr<THintForm> hints;
    std::unique_ptr<Standin> server;
    std::unique_ptr<TChooseCompetitionForm> chooser;
    int notifications = 0;
    bool terminated = false;
};

} // namespace

TEST(ServerVersion, VerdictTable)
{
    auto never = []() -> CompatibilityInformation {
        ADD_FAILURE() << "server asked";
        return CompatibilityInformation::FULL;
    };
    const auto tooOld = judgeServerVersion({0, 8, 9}, never);
    EXPECT_FALSE(tooOld.accepted);
    EXPECT_EQ(tooOld.listText, QStringLiteral("Inkompatibler Server"));
    EXPECT_TRUE(tooOld.error.startsWith(QStringLiteral("Warnung: Die Server-Version ist veraltet")));
    for (GenericTvpVersion v : {GenericTvpVersion{0, 9, 0}, GenericTvpVersion{0, 9, 5}}) {
        const auto restricted = judgeServerVersion(v, never);
        EXPECT_TRUE(restricted.accepted);
        EXPECT_TRUE(restricted.warning.startsWith(QStringLiteral("Warnung: Die Server-Version scheint veraltet")));
    }
    for (GenericTvpVersion v : {GenericTvpVersion{0, 9, 6}, GenericTvpVersion{0, 10, 0}, GenericTvpVersion{1, 0, 0}}) {
        const auto silent = judgeServerVersion(v, never);
        EXPECT_TRUE(silent.accepted && silent.warning.isEmpty() && silent.error.isEmpty());
    }
    auto answer = [](CompatibilityInformation a) { return [a] { return a; }; };
    EXPECT_TRUE(judgeServerVersion({1, 0, 1}, answer(CompatibilityInformation::FULL)).warning.isEmpty());
    EXPECT_TRUE(judgeServerVersion({2, 0, 0}, answer(CompatibilityInformation::UNKNOWN)).accepted);
    EXPECT_TRUE(judgeServerVersion({1, 1, 0}, answer(CompatibilityInformation::FEATURE_RESTRICTED))
                    .warning.startsWith(QStringLiteral("Warnung: Die Client-Version scheint veraltet")));
    const auto refused = judgeServerVersion({1, 1, 0}, answer(CompatibilityInformation::NO_COMPATIBILITY));
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.listText, QStringLiteral("Inkompatibler Server"));
    const auto failed =
        judgeServerVersion({3, 0, 0}, []() -> CompatibilityInformation { throw std::runtime_error("x"); });
    EXPECT_FALSE(failed.accepted);
    EXPECT_EQ(failed.listText, QStringLiteral("Kompatibilitätsprüfung fehlgeschlagen."));
}

TEST_F(ChooserTest, StoredServerAndCompetitionOpenSilently)
{
    server->create(QStringLiteral("Frühjahrssportfest"));
    const int id = server->create(QStringLiteral("Herbstsportfest"));
    storeChoice(server->address, id);

    EXPECT_TRUE(chooser->setCompetition(false));
    EXPECT_EQ(chooser->getCompetitionId(false), id);
    EXPECT_EQ(chooser->getCompetitionName(), QStringLiteral("Herbstsportfest"));
    // Once when the competition was set, once more when the choice ended.
    EXPECT_EQ(notifications, 2);
    EXPECT_EQ(storedCompetition(), id);
}

TEST_F(ChooserTest, VanishedCompetitionShowsTheChooser)
{
    const int kept = server->create(QStringLiteral("Kreismeisterschaft"));
    storeChoice(server->address, kept + 100);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Kreismeisterschaft")});
        EXPECT_FALSE(chooser->findChild<QPushButton*>(QStringLiteral("Button1"))->isEnabled());
        chooser->SelectCompetitionListItem(kept);
        chooser->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        return 0;
    });
    EXPECT_TRUE(chooser->setCompetition(false));
    EXPECT_EQ(chooser->getCompetitionId(false), kept);
}

TEST_F(ChooserTest, UnreachableServerAndNoChoiceEndsTheProgram)
{
    storeChoice(QStringLiteral("http://127.0.0.1:1"), 3);
    WriteIniStr(QStringLiteral("Connections"), QStringLiteral("Server1"), QStringLiteral("http://127.0.0.1:1"));
    WriteIniInteger(QStringLiteral("Connections"), QStringLiteral("endIndex"), 1);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Keine Verbindung zum Server.")});
        chooser->close();
        EXPECT_FALSE(terminated); // "Nein" keeps the chooser open
        chooser->close();
        return 0;
    });
    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::No);
    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::Yes);
    EXPECT_FALSE(chooser->setCompetition(false));
    EXPECT_TRUE(terminated);
    EXPECT_EQ(chooser->getCompetitionId(false), 0);
    EXPECT_THROW(chooser->getCompetitionId(true), ETvExceptionDetail);
    InitComm();
}

TEST_F(ChooserTest, NewCompetitionIsCreatedAndLoaded)
{
    TNewCompetitionForm wizard(context);
    windows.registerService<ICompSetupWizard>(&wizard);
    storeChoice(server->address, 0);
    server->create(QStringLiteral("Schon da"));

    script->expectWindow(kChooserCaption, [&](QWidget&) {
        chooser->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
        return 0;
    });
    // First a name in use: the server's message text shows, the window stays open.
    script->expectModal(QStringLiteral("Neue Veranstaltung"), [&](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("NameEdit"))->setText(QStringLiteral("Schon da"));
        d.findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
        EXPECT_EQ(d.result(), 0);
        d.findChild<QLineEdit*>(QStringLiteral("NameEdit"))->setText(QStringLiteral("Kinderolympiade"));
        d.findChild<QDateEdit*>(QStringLiteral("DateEdit"))->setDate(QDate(2027, 5, 8));
        d.findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
        return d.result();
    });
    EXPECT_TRUE(chooser->setCompetition(true));
    windows.unregisterService(static_cast<ICompSetupWizard*>(&wizard));
    EXPECT_EQ(chooser->getCompetitionName(), QStringLiteral("Kinderolympiade"));
    ASSERT_TRUE(chooser->getCompetition()->Date);
    EXPECT_EQ(*chooser->getCompetition()->Date, QDate(2027, 5, 8));
    EXPECT_TRUE(messageRows().contains(QStringLiteral("Eine Veranstaltung mit dem Namen Schon da existiert bereits.")));
}

TEST_F(ChooserTest, DeletingAskedThenRemovedFromServer)
{
    const int id = server->create(QStringLiteral("Weg damit"));
    server->create(QStringLiteral("Bleibt"));
    storeChoice(server->address, id);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        chooser->SelectCompetitionListItem(id);
        chooser->deleteSelectedCompetition(); // "Nein": nothing happens
        chooser->deleteSelectedCompetition();
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Bleibt")});
        chooser->close();
        return 0;
    });
    int refreshed = 0;
    QObject::connect(chooser.get(), &TChooseCompetitionForm::competitionDeleted, [&] { ++refreshed; });
    script->expectMessage(QStringLiteral("Veranstaltung löschen"), TMsgAnswer::No);
    script->expectMessage(QStringLiteral("Veranstaltung löschen"), TMsgAnswer::Yes);
    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::Yes);
    EXPECT_FALSE(chooser->setCompetition(true));
    EXPECT_EQ(server->names(), QStringList{QStringLiteral("Bleibt")});
    EXPECT_EQ(refreshed, 1);
    EXPECT_TRUE(script->seen[1].text.contains(QStringLiteral("\"Weg damit\"")));
    InitComm();
}

TEST_F(ChooserTest, ServerBoxHeadingsAndSwitchingServers)
{
    QTemporaryDir otherDir;
    Standin other(otherDir.path());
    const int remoteId = other.create(QStringLiteral("Auswärts"));
    WriteIniStr(QStringLiteral("Connections"), QStringLiteral("Server1"), other.address);
    WriteIniInteger(QStringLiteral("Connections"), QStringLiteral("endIndex"), 1);
    storeChoice(other.address, remoteId);
    ASSERT_TRUE(chooser->setCompetition(false));
    EXPECT_EQ(chooser->getCompetitionId(false), remoteId);

    auto* box = chooser->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    chooser->AddDetectedRemoteServer(QStringLiteral("http://10.0.0.7:8443"));
    chooser->AddDetectedRemoteServer(QStringLiteral("http://10.0.0.7:8443"));
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemText(i);
    EXPECT_EQ(entries, (QStringList{TChooseCompetitionForm::kLocalEntry, TChooseCompetitionForm::kFoundHeading,
                                    QStringLiteral("http://10.0.0.7:8443"), TChooseCompetitionForm::kSavedHeading,
                                    other.address}));

    // A heading selects the current server again and changes nothing else.
    box->setCurrentIndex(box->findText(TChooseCompetitionForm::kSavedHeading));
    chooser->ComboBox1Select();
    EXPECT_EQ(box->currentText(), other.address);
    EXPECT_EQ(storedCompetition(), remoteId);

    // Going to the local server forgets the other server's competition id.
    box->setCurrentIndex(0);
    chooser->ComboBox1Select();
    EXPECT_EQ(storedCompetition(), 0);
    QString current;
    ReadIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), QString(), current);
    EXPECT_EQ(current, server->address);
}

TEST_F(ChooserTest, OutdatedServerIsRefused)
{
    QTemporaryDir oldDir;
    Standin old(oldDir.path(), {0, 8, 9});
    WriteIniStr(QStringLiteral("Connections"), QStringLiteral("Server1"), old.address);
    WriteIniInteger(QStringLiteral("Connections"), QStringLiteral("endIndex"), 1);
    storeChoice(old.address, 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Inkompatibler Server")});
        EXPECT_EQ(context.messageSink(), exceptions.get());
        EXPECT_TRUE(tvp::test::waitUntil([&] { return !messageRows().isEmpty(); }));
        EXPECT_TRUE(messageRows().first().startsWith(QStringLiteral("Warnung: Die Server-Version ist veraltet")));
        chooser->close();
        return 0;
    });
    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::Yes);
    EXPECT_FALSE(chooser->setCompetition(true));
    InitComm();
}

TEST_F(ChooserTest, CompetitionIdIsReadableFromWorkerThreads)
{
    const int id = server->create(QStringLiteral("Parallel"));
    storeChoice(server->address, id);
    ASSERT_TRUE(chooser->setCompetition(false));
    int seen = 0;
    std::thread([&] { seen = chooser->getCompetitionId(true); }).join();
    EXPECT_EQ(seen, id);
}

TEST_F(ChooserTest, TypedAddressIsUsedEvenFromTheLocalEntry)
{
    server->create(QStringLiteral("Lokal"));
    QTemporaryDir otherDir;
    Standin other(otherDir.path());
    other.create(QStringLiteral("Auswärts"));
    storeChoice(TChooseCompetitionForm::kLocalEntry, 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(box()->currentText(), TChooseCompetitionForm::kLocalEntry);
        enterAddress(other.address);
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Auswärts")});
        EXPECT_EQ(storedServer(), other.address);
        EXPECT_EQ(chooser->savedServers(), QStringList{other.address});
        EXPECT_EQ(box()->currentText(), other.address);
        chooser->close();
        return 0;
    });
    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::Yes);
    EXPECT_FALSE(chooser->setCompetition(true));
    InitComm();
}

TEST_F(ChooserTest, EnterOnAnEntryChoosesTheServerOnce)
{
    QTemporaryDir otherDir;
    Standin other(otherDir.path());
    other.create(QStringLiteral("Auswärts"));
    saveServer(other.address);
    storeChoice(TChooseCompetitionForm::kLocalEntry, 0);
    int versionChecks = 0;
    QObject::connect(chooser.get(), &TChooseCompetitionForm::serverChosen, [&] { ++versionChecks; });
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        versionChecks = 0;
        enterAddress(other.address); // an entry other than the current one
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Auswärts")});
        EXPECT_EQ(versionChecks, 1);
        enterAddress(other.address); // the current entry: asked again, once
        EXPECT_EQ(versionChecks, 2);
        chooser->close();
        return 0;
    });
    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::Yes);
    EXPECT_FALSE(chooser->setCompetition(true));
    InitComm();
}

TEST_F(ChooserTest, CancelAfterSwitchingKeepsTheCompetitionOnItsServer)
{
    const int id = server->create(QStringLiteral("Heimspiel"));
    QTemporaryDir otherDir;
    Standin other(otherDir.path());
    other.create(QStringLiteral("Fremd"));
    saveServer(other.address);
    storeChoice(server->address, id);
    ASSERT_TRUE(chooser->setCompetition(false));

    script->expectWindow(kChooserCaption, [&](QWidget&) {
        box()->setCurrentIndex(box()->findText(other.address));
        chooser->ComboBox1Select();
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Fremd")});
        chooser->close();
        return 0;
    });
    EXPECT_FALSE(chooser->setCompetition(true));
    EXPECT_EQ(chooser->getCompetitionName(), QStringLiteral("Heimspiel"));
    EXPECT_EQ(competitionUrlHolderInstance().getServerUrl(), server->address);
    EXPECT_EQ(storedServer(), server->address);
    EXPECT_EQ(storedCompetition(), id);
    // The next start opens the same competition on the same server, silently.
    EXPECT_TRUE(chooser->setCompetition(false));
    EXPECT_EQ(chooser->getCompetitionName(), QStringLiteral("Heimspiel"));
}

TEST_F(ChooserTest, KeyboardSelectionEnablesOk)
{
    server->create(QStringLiteral("Eins"));
    server->create(QStringLiteral("Zwei"));
    storeChoice(server->address, 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_FALSE(button("Button1")->isEnabled());
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(chooser->findChild<QListWidget*>(QStringLiteral("ListBox1")), &down);
        EXPECT_TRUE(button("Button1")->isEnabled());
        button("Button1")->click();
        return 0;
    });
    EXPECT_TRUE(chooser->setCompetition(true));
    EXPECT_NE(chooser->getCompetitionId(false), 0);
}

TEST_F(ChooserTest, DiscoveryReplyKeepsATypedAddress)
{
    storeChoice(server->address, 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        box()->setEditText(QStringLiteral("http://10.1.2"));
        chooser->AddDetectedRemoteServer(QStringLiteral("http://10.0.0.7:8443"));
        EXPECT_EQ(box()->currentText(), QStringLiteral("http://10.1.2"));
        EXPECT_EQ(box()->findText(QStringLiteral("http://10.0.0.7:8443")), 2);
        chooser->close();
        return 0;
    });
    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::Yes);
    EXPECT_FALSE(chooser->setCompetition(true));
    InitComm();
}

TEST_F(ChooserTest, OkInTheOpenChooserNotifiesTwice)
{
    const int id = server->create(QStringLiteral("Sommerfest"));
    storeChoice(server->address, 0);
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(notifications, 0);
        chooser->SelectCompetitionListItem(id);
        button("Button1")->click();
        EXPECT_EQ(notifications, 1);
        return 0;
    });
    EXPECT_TRUE(chooser->setCompetition(true));
    EXPECT_EQ(notifications, 2);
    EXPECT_EQ(storedCompetition(), id);
}

TEST_F(ChooserTest, StopClearsTheLocalChoice)
{
    const int id = server->create(QStringLiteral("Lokal"));
    storeChoice(server->address, id);
    ASSERT_TRUE(chooser->setCompetition(false));
    notifications = 0;
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Lokal")});
        button("Button5")->click();
        EXPECT_TRUE(listTexts().isEmpty());
        EXPECT_EQ(storedCompetition(), 0);
        EXPECT_EQ(notifications, 1);
        EXPECT_FALSE(button("Button2")->isEnabled());
        // The test program folder has no scripts.
        EXPECT_TRUE(messageRows().contains(kStopServerFailedText));
        chooser->close();
        return 0;
    });
    EXPECT_FALSE(chooser->setCompetition(true));
}

TEST_F(ChooserTest, StartAsksConsentThenChoosesTheLocalServer)
{
    server->create(QStringLiteral("Lokal"));
    QTemporaryDir otherDir;
    Standin other(otherDir.path());
    saveServer(other.address);
    storeChoice(other.address, 0);
    const QString serverFolder = folders.programDir.path() + QStringLiteral("/server");
    ASSERT_TRUE(QDir().mkpath(serverFolder));
    QFile script_(serverFolder + QStringLiteral("/start.sh"));
    ASSERT_TRUE(script_.open(QIODevice::WriteOnly));
    script_.write("touch started\n");
    script_.close();
    const QString marker = serverFolder + QStringLiteral("/started");
    setLocalServerStartWaitMsForTests(0);

    script->expectWindow(kChooserCaption, [&](QWidget&) {
        EXPECT_EQ(box()->currentText(), other.address);
        button("Button4")->click(); // refused
        settle();
        EXPECT_FALSE(QFile::exists(marker));
        EXPECT_TRUE(button("Button4")->isEnabled());
        EXPECT_EQ(box()->currentText(), other.address);
        button("Button4")->click(); // agreed
        EXPECT_TRUE(tvp::test::waitUntil([&] { return QFile::exists(marker); }));
        EXPECT_EQ(box()->currentText(), TChooseCompetitionForm::kLocalEntry);
        EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Lokal")});
        EXPECT_EQ(storedServer(), server->address);
        chooser->close();
        return 0;
    });
    script->expectModal(QStringLiteral("Haftungsausschluss"), [](QDialog&) { return int(QDialog::Rejected); });
    script->expectModal(QStringLiteral("Haftungsausschluss"), [](QDialog&) { return int(QDialog::Accepted); });
    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::Yes);
    EXPECT_FALSE(chooser->setCompetition(true));
    setLocalServerStartWaitMsForTests(-1);
    InitComm();
}
