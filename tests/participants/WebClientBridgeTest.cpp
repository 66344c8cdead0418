// The browser-client bridge against the stand-in: its WebSocket hands out the session, a
// notification of the browser client brings up the athlete window, and the page the stand-in
// serves sends one from a real (headless) browser.

#include "core/ui/MainWindowServices.h"
#include "core/ui/WebUIController.h"
#include "tests/participants/AthleteWindowFixture.h"
#include "tests/support/FakeOpener.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <QWebSocket>

using namespace tvp;
using namespace tvp::test;

namespace {

class WebClientBridgeTest : public AthleteWindowTest {
protected:
    void SetUp() override
    {
        AthleteWindowTest::SetUp();
        bridge = std::make_unique<TWebUIController>(context);
    }
    void TearDown() override
    {
        bridge.reset();
        AthleteWindowTest::TearDown();
    }

    // The session id in the page address the browser was sent to.
    static QString sessionOf(const QString& address)
    {
        const QUrl url(address);
        const QString fragment = url.fragment(QUrl::FullyDecoded);
        return QUrlQuery(fragment.mid(fragment.indexOf(QLatin1Char('?')) + 1))
            .queryItemValue(QStringLiteral("sessionId"));
    }
    QString startSession()
    {
        const qsizetype before = opener.opened().size();
        bridge->showInBrowser(nullptr, QStringLiteral("import"), {}, true);
        EXPECT_TRUE(waitUntil([&] { return opener.opened().size() > before; }));
        const QStringList opened = opener.opened();
        return opened.isEmpty() ? QString() : sessionOf(opened.last());
    }
    // What the browser client asks of the server.
    bool notify(const QString& sessionId, const QString& target)
    {
        const auto uis =
            proto::GetUiStorePortType(false, QString::fromStdString(standin.client().url("UiStoreService")), nullptr);
        return uis->notifySessionClient(sessionId, proto::clientType::NATIVE, target, QString());
    }

    FakeOpener opener;
    std::unique_ptr<TWebUIController> bridge;
};

TEST_F(WebClientBridgeTest, ANotificationThroughTheStandinShowsTheAthleteWindowUntilTheServerCloses)
{
    const QString first = startSession();
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(opener.opened().value(0),
              QStringLiteral("http://%1/TVPWebClient/static/index.html#import?sessionId=%2&competitionId=%3")
                  .arg(standin.serverAddress(), first)
                  .arg(competitionId));
    EXPECT_EQ(standin.server().notifications().listening(), 1u);
    EXPECT_FALSE(notify(QStringLiteral("0123"), QStringLiteral("ATHLETE_FORM")));

    ASSERT_FALSE(form->isVisible());
    EXPECT_TRUE(notify(first, QStringLiteral("ATHLETE_FORM")));
    ASSERT_TRUE(waitUntil([&] { return form->isVisible(); }));
    settle();
    EXPECT_EQ(listed(), QStringList());

    // The server drops the connection: its session is gone with it, and so is ours.
    standin.server().notifications().closeAll();
    ASSERT_TRUE(waitUntil([&] { return bridge->sessionId().isEmpty(); }));
    EXPECT_FALSE(notify(first, QStringLiteral("ATHLETE_FORM")));
    EXPECT_TRUE(recorder.messages.messages.empty());

    athlete(QStringLiteral("Ida"), QStringLiteral("Neu"));
    const QString second = startSession();
    EXPECT_FALSE(second.isEmpty());
    EXPECT_NE(second, first);
    EXPECT_TRUE(notify(second, QStringLiteral("ATHLETE_FORM")));
    // Shown already: it comes to the front and reloads.
    ASSERT_TRUE(waitUntil([&] { return listed() == QStringList{QStringLiteral("Neu")}; }));
    settle();
}

TEST_F(WebClientBridgeTest, WithoutACompetitionTheAthleteWindowIsRefusedPlainly)
{
    const QString session = startSession();
    ASSERT_FALSE(session.isEmpty());
    // The chooser is up: no competition is open.
    std::unique_ptr<proto::CompetitionType> open = competition.takeSilently();
    ASSERT_TRUE(notify(session, QStringLiteral("ATHLETE_FORM")));
    ASSERT_TRUE(waitUntil([&] { return !recorder.messages.messages.empty(); }));
    EXPECT_FALSE(form->isVisible()) << "no empty athlete window";
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Athletenfenster öffnen: Das Athletenfenster kann erst geöffnet werden, "
                                         "wenn eine Veranstaltung geöffnet ist.")});

    // With the competition open again the same request shows the window.
    competition.putBackSilently(std::move(open));
    EXPECT_TRUE(notify(session, QStringLiteral("ATHLETE_FORM")));
    ASSERT_TRUE(waitUntil([&] { return form->isVisible(); }));
    settle();
    EXPECT_EQ(recorder.messages.messages.size(), 1u);
}

// A headless chromium, when there is one, driven over its DevTools socket like a user's clicks.
class Chromium {
public:
    ~Chromium()
    {
        devtools.close();
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000))
                process.kill();
            process.waitForFinished(5000);
        }
    }

    bool open(const QUrl& url)
    {
        process.setProgram(QStringLiteral("chromium"));
        // Loopback only: nothing of the browser's own may go out.
        process.setArguments({QStringLiteral("--headless=new"), QStringLiteral("--no-sandbox"),
                              QStringLiteral("--disable-gpu"), QStringLiteral("--no-first-run"),
                              QStringLiteral("--no-proxy-server"), QStringLiteral("--disable-background-networking"),
                              QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
                              QStringLiteral("--disable-extensions"), QStringLiteral("--disable-default-apps"),
                              QStringLiteral("--disable-breakpad"), QStringLiteral("--no-pings"),
                              QStringLiteral("--disable-dev-shm-usage"), QStringLiteral("--remote-debugging-port=0"),
                              QStringLiteral("--user-data-dir=") + profile.path(), url.toString(QUrl::FullyEncoded)});
        process.start();
        return process.waitForStarted(10000);
    }

    // The page's DevTools socket, once the browser has said where it listens.
    bool attach()
    {
        QString port;
        const QRegularExpression listening(QStringLiteral("DevTools listening on ws://127\\.0\\.0\\.1:(\\d+)/"));
        QString err;
        if (!waitUntil(
                [&] {
                    err += QString::fromUtf8(process.readAllStandardError());
                    port = listening.match(err).captured(1);
                    return !port.isEmpty() || process.state() == QProcess::NotRunning;
                },
                30000) ||
            port.isEmpty()) {
            ADD_FAILURE() << err.toStdString();
            return false;
        }
        QString page;
        waitUntil(
            [&] {
                QNetworkReply* reply =
                    network.get(QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/json/list").arg(port))));
                waitUntil([&] { return reply->isFinished(); }, 5000);
                for (const QJsonValue& target : QJsonDocument::fromJson(reply->readAll()).array())
                    if (target[QStringLiteral("url")].toString().contains(QStringLiteral("TVPWebClient")))
                        page = target[QStringLiteral("webSocketDebuggerUrl")].toString();
                reply->deleteLater();
                return !page.isEmpty();
            },
            20000);
        if (page.isEmpty())
            return false;
        QObject::connect(&devtools, &QWebSocket::textMessageReceived, [this](const QString& text) {
            const QJsonObject answer = QJsonDocument::fromJson(text.toUtf8()).object();
            if (answer[QStringLiteral("id")].toInt() == lastId)
                lastValue =
                    answer[QStringLiteral("result")][QStringLiteral("result")][QStringLiteral("value")].toVariant();
        });
        devtools.open(QUrl(page));
        return waitUntil([&] { return devtools.state() == QAbstractSocket::ConnectedState; }, 10000);
    }

    // Runs a script in the page until it gives the expected value.
    bool evaluateUntil(const QString& script, const QVariant& expected, int timeoutMs = 20000)
    {
        return waitUntil(
            [&] {
                lastValue = {};
                const QJsonObject call{{QStringLiteral("id"), ++lastId},
                                       {QStringLiteral("method"), QStringLiteral("Runtime.evaluate")},
                                       {QStringLiteral("params"), QJsonObject{{QStringLiteral("expression"), script}}}};
                devtools.sendTextMessage(QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)));
                waitUntil([&] { return lastValue.isValid(); }, 2000);
                return lastValue == expected;
            },
            timeoutMs);
    }

    QTemporaryDir profile;
    QProcess process;
    QNetworkAccessManager network;
    QWebSocket devtools;
    int lastId = 0;
    QVariant lastValue;
};

TEST_F(WebClientBridgeTest, ThePageInAHeadlessBrowserSendsTheNotificationThatShowsTheAthleteWindow)
{
    if (QStandardPaths::findExecutable(QStringLiteral("chromium")).isEmpty())
        GTEST_SKIP() << "chromium is not installed";
    Chromium browser;
    // The desktop's opener would start the browser with the page the program asks for.
    bridge->showInBrowser(nullptr, QStringLiteral("import"), {}, true);
    ASSERT_TRUE(waitUntil([&] { return !opener.opened().isEmpty(); }));
    ASSERT_TRUE(browser.open(QUrl(opener.opened()[0])));
    ASSERT_TRUE(waitUntil([&] { return browser.process.state() == QProcess::Running; }, 10000));
    ASSERT_TRUE(browser.attach());

    ASSERT_FALSE(form->isVisible());
    // As a user would: the button once the page has its session, then the page says how it went.
    EXPECT_TRUE(
        browser.evaluateUntil(QStringLiteral("(() => { const b = document.getElementById('athleteButton');"
                                             " if (!b || b.disabled) return false; b.click(); return true; })()"),
                              true));
    EXPECT_TRUE(waitUntil([&] { return form->isVisible(); }, 20000));
    EXPECT_TRUE(browser.evaluateUntil(QStringLiteral("document.getElementById('status').textContent"),
                                      QStringLiteral("Benachrichtigung an das Programm gesendet.")));
    EXPECT_TRUE(recorder.messages.messages.empty());
    settle();
}

} // namespace
