// The browser-client bridge against a WebSocket server the test scripts: sessions, commands,
// malformed texts, a server that goes away, and starts that fail.

#include "core/ui/WebUIController.h"

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "core/util/Logger.h"
#include "tests/core/ui/ShellFixture.h"
#include "tests/support/FakeOpener.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestUtil.h"

#include <QFile>
#include <QHostAddress>
#include <QTest>
#include <QUrl>
#include <QWebSocket>
#include <QWebSocketServer>

#include <vector>

using namespace tvp;
using namespace tvp::test;

namespace {

// A notification server on loopback: every program that connects is kept; the test sends.
class FakeNotificationServer {
public:
    FakeNotificationServer()
    {
        QObject::connect(&server, &QWebSocketServer::newConnection, [this] {
            while (QWebSocket* s = server.nextPendingConnection()) {
                QObject::connect(s, &QWebSocket::textMessageReceived, [this](const QString& t) { received << t; });
                clients.push_back(s);
            }
        });
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    }
    QWebSocket* client(std::size_t i = 0)
    {
        EXPECT_TRUE(waitUntil([&] { return clients.size() > i && !received.isEmpty(); }));
        return clients.size() > i ? clients[i] : nullptr;
    }
    void send(const QString& text, std::size_t i = 0)
    {
        if (QWebSocket* s = client(i))
            s->sendTextMessage(text);
    }

    QWebSocketServer server{QStringLiteral("fake"), QWebSocketServer::NonSecureMode};
    std::vector<QWebSocket*> clients;
    QStringList received;
};

class WizardRecorder : public ICompSetupWizard {
public:
    int startCompWizard() override { return 0; }
    int createdCompetitionId() const override { return 0; }
    void importToWizard(const QString& sessionId, const QString& contextId) override
    {
        imports << sessionId + QStringLiteral("|") + contextId;
    }
    bool isWizardVisible() const override { return false; }
    QStringList imports;
};

class WebUIControllerTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        setProgramLogger(std::make_unique<TLogger>(TLogLevel::ll_debug));
        competitionUrlHolderInstance().setServerUrl(QStringLiteral("127.0.0.1:%1").arg(fake.server.serverPort()));
        auto comp = std::make_unique<proto::CompetitionType>();
        comp->ID = 42;
        competition.SetCompetitionInternal(std::move(comp));
        athletes.setObjectName(QStringLiteral("AthleteForm"));
        windows.place(TWindowId::AthleteForm, &athletes);
        windows.registerService<ICompSetupWizard>(&wizard);
        bridge.setSessionTimeoutMs(400);
    }
    void TearDown() override
    {
        setProgramLogger(std::make_unique<TLogger>(TLogLevel::ll_off));
        ShellTest::TearDown();
    }

    QString logText() const
    {
        QFile log(AppPaths::programDir() + QStringLiteral("/TVPlog.txt"));
        return log.open(QIODevice::ReadOnly) ? QString::fromLatin1(log.readAll()) : QString();
    }
    // The browser is opened with the session of the first text.
    void startSession(const QString& id)
    {
        const qsizetype before = opener.opened().size();
        bridge.showInBrowser(nullptr, QStringLiteral("import"), {}, true);
        fake.send(QStringLiteral(R"({"Session" : "%1"})").arg(id), fake.clients.size());
        ASSERT_TRUE(waitUntil([&] { return opener.opened().size() > before; }));
    }
    QStringList opened() const { return opener.opened(); }
    void settle() { QTest::qWait(50); }

    FakeNotificationServer fake;
    FakeOpener opener;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    TestForm athletes{QStringLiteral("AthleteForm")};
    WizardRecorder wizard;
    TWebUIController bridge{context};
};

TEST_F(WebUIControllerTest, TheSessionOpensTheBrowserClientWithItsIdEncoded)
{
    startSession(QStringLiteral("a b&c=d#e"));
    EXPECT_EQ(fake.received, QStringList{QStringLiteral("New")});
    ASSERT_EQ(opened().size(), 1);
    EXPECT_EQ(opened()[0],
              QStringLiteral("http://127.0.0.1:%1/TVPWebClient/static/index.html#import?sessionId=a%20b%26c%3Dd%23e"
                             "&competitionId=42")
                  .arg(fake.server.serverPort()));
    EXPECT_EQ(recorder.waits.log, (QStringList{QStringLiteral("+Starte Browser-Sitzung..."),
                                               QStringLiteral("-Starte Browser-Sitzung...")}));

    // Known now: the next page opens at once, on the same connection.
    bridge.showInBrowser(nullptr, QStringLiteral("results"), {}, false);
    ASSERT_EQ(opened().size(), 2);
    EXPECT_TRUE(opened()[1].endsWith(QStringLiteral("#results?sessionId=a%20b%26c%3Dd%23e")));
    settle();
    EXPECT_EQ(fake.clients.size(), 1u);
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(WebUIControllerTest, MalformedTextsAreLoggedAndTheNextCommandStillWorks)
{
    startSession(QStringLiteral("s1"));
    fake.send(QStringLiteral("kein JSON"));
    fake.send(QStringLiteral(R"({"contextId" : "x"})"));
    fake.send(QStringLiteral(R"(["formId", "ATHLETE_FORM"])"));
    fake.send(QStringLiteral(R"({"formId" : "UNKNOWN_FORM"})"));
    fake.send(QStringLiteral(R"({"formId" : "ATHLETE_FORM", "pad" : "%1"})").arg(QString(1 << 20, QLatin1Char('x'))));
    settle();
    EXPECT_FALSE(athletes.isVisible());
    EXPECT_EQ(logText().count(QStringLiteral("WebSocket-Nachricht ignoriert")), 5) << logText().toStdString();
    EXPECT_TRUE(recorder.messages.messages.empty());
    EXPECT_EQ(bridge.sessionId(), QStringLiteral("s1"));

    // A hidden athlete window is shown; one already shown is reloaded. Two in one go, in order.
    fake.send(QStringLiteral(R"({"formId" : "ATHLETE_FORM"})"));
    ASSERT_TRUE(waitUntil([&] { return athletes.isVisible(); }));
    EXPECT_EQ(athletes.reloads, 0);
    fake.send(QStringLiteral(R"({"formId" : "ATHLETE_FORM", "contextId" : ""})"));
    fake.send(QStringLiteral(R"({"formId" : "COMP_WIZARD_START", "contextId" : "ladv-7"})"));
    ASSERT_TRUE(waitUntil([&] { return !wizard.imports.isEmpty(); }));
    EXPECT_EQ(athletes.reloads, 1);
    EXPECT_EQ(wizard.imports, QStringList{QStringLiteral("s1|ladv-7")});
    athletes.hide();
}

TEST_F(WebUIControllerTest, TheWizardCommandClosesTheImportChoiceAndHandsTheImportToTheWizard)
{
    TestForm choice{QStringLiteral("CompImportSwitchForm")};
    windows.place(TWindowId::CompImportSwitchForm, &choice);
    choice.show();
    startSession(QStringLiteral("s9"));
    // Longer than one short frame, with an escaped quote in it.
    const QString context = QStringLiteral("ladv:") + QString(300, QLatin1Char('7')) + QStringLiteral("\"Süd\"");
    fake.send(QStringLiteral(R"({"formId" : "COMP_WIZARD_START", "contextId" : "%1"})")
                  .arg(QString(context).replace(QStringLiteral("\""), QStringLiteral("\\\""))));
    ASSERT_TRUE(waitUntil([&] { return !wizard.imports.isEmpty(); }));
    EXPECT_FALSE(choice.isVisible());
    EXPECT_EQ(wizard.imports, QStringList{QStringLiteral("s9|") + context});
}

TEST_F(WebUIControllerTest, AServerThatClosesLeavesTheProgramUsableAndTheNextShowStartsANewSession)
{
    startSession(QStringLiteral("old"));
    fake.client()->close();
    ASSERT_TRUE(waitUntil([&] { return bridge.sessionId().isEmpty(); }));
    EXPECT_TRUE(recorder.messages.messages.empty());
    EXPECT_TRUE(logText().contains(QStringLiteral("WebSocket der Browser-Sitzung beendet")));

    startSession(QStringLiteral("new"));
    EXPECT_EQ(fake.clients.size(), 2u);
    EXPECT_TRUE(opened().last().contains(QStringLiteral("sessionId=new&")));
    fake.send(QStringLiteral(R"({"formId" : "ATHLETE_FORM"})"), 1);
    EXPECT_TRUE(waitUntil([&] { return athletes.isVisible(); }));
    athletes.hide();
}

TEST_F(WebUIControllerTest, StartsThatFailAreReportedAndTheNextOneTriesAgain)
{
    const QString caption = QStringLiteral("Browser-Sitzung starten: Browser-Sitzung konnte nicht gestartet werden: ");

    // Connected, but no text within the time-out.
    bridge.showInBrowser(nullptr, QStringLiteral("import"), {}, true);
    ASSERT_TRUE(waitUntil([&] { return !recorder.messages.messages.empty(); }));
    EXPECT_EQ(recorder.messages.lines(), QStringList{caption + QStringLiteral("Zeitüberschreitung")});
    EXPECT_EQ(recorder.messages.messages[0].errorId, -1);
    EXPECT_TRUE(recorder.waits.shown.isEmpty());
    EXPECT_TRUE(opened().isEmpty());

    // Nobody listening.
    const quint16 port = fake.server.serverPort();
    fake.server.close();
    competitionUrlHolderInstance().setServerUrl(QStringLiteral("127.0.0.1:%1").arg(port));
    bridge.showInBrowser(nullptr, QStringLiteral("import"), {}, true);
    ASSERT_TRUE(waitUntil([&] { return recorder.messages.messages.size() == 2; }));
    EXPECT_TRUE(recorder.messages.lines()[1].startsWith(caption));
    EXPECT_TRUE(recorder.waits.shown.isEmpty());

    // The desktop has no browser.
    ASSERT_TRUE(fake.server.listen(QHostAddress::LocalHost, port));
    opener.setExitStatus(1);
    startSession(QStringLiteral("s"));
    ASSERT_TRUE(FakeOpener::settle());
    ASSERT_EQ(recorder.messages.messages.size(), 3u);
    EXPECT_EQ(recorder.messages.lines()[2],
              QStringLiteral("WebClient starten: WebClient konnte nicht geöffnet werden. Stellen Sie sicher, dass ein "
                             "Internet-Browser zum Öffnen von Links eingerichtet ist."));
}

} // namespace
