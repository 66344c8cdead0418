// The browser client's files and the notification socket of the stand-in, over loopback.

#include "tests/support/StandinHarness.h"
#include "tests/support/TestUtil.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTest>
#include <QWebSocket>

#include <memory>

using namespace tvp;
using namespace tvp::test;

namespace {

class WebClientTest : public ::testing::Test {
protected:
    void SetUp() override { standin.start(); }

    struct Answer {
        int status = 0;
        QString contentType;
        QByteArray body;
    };
    Answer request(const QByteArray& verb, const QString& path)
    {
        QNetworkRequest r(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(standin.port()).arg(path)));
        std::unique_ptr<QNetworkReply> reply(network.sendCustomRequest(r, verb));
        EXPECT_TRUE(waitUntil([&] { return reply->isFinished(); }));
        return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                reply->header(QNetworkRequest::ContentTypeHeader).toString(), reply->readAll()};
    }

    // A program's connection and the texts it got.
    struct Program {
        QWebSocket socket;
        QStringList texts;
        QString session() const
        {
            return texts.isEmpty() ? QString()
                                   : QJsonDocument::fromJson(texts[0].toUtf8())[QStringLiteral("Session")].toString();
        }
    };
    std::unique_ptr<Program> connectProgram()
    {
        auto p = std::make_unique<Program>();
        QObject::connect(&p->socket, &QWebSocket::textMessageReceived,
                         [raw = p.get()](const QString& t) { raw->texts << t; });
        p->socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/TrivantaPentrel/websocket/notifications/client/native")
                                .arg(standin.port())));
        EXPECT_TRUE(waitUntil([&] { return !p->texts.isEmpty(); }));
        return p;
    }
    bool notify(const QString& sessionId, proto::clientType client, const QString& target, const QString& contextId)
    {
        const auto uis =
            proto::GetUiStorePortType(false, QString::fromStdString(standin.client().url("UiStoreService")), nullptr);
        return uis->notifySessionClient(sessionId, client, target, contextId);
    }

    StandinHarness standin;
    QNetworkAccessManager network;
};

TEST_F(WebClientTest, TheStaticFilesAreServedAndNothingElse)
{
    const Answer index = request("GET", QStringLiteral("/TVPWebClient/static/"));
    EXPECT_EQ(index.status, 200);
    EXPECT_EQ(index.contentType, QStringLiteral("text/html; charset=utf-8"));
    EXPECT_TRUE(index.body.contains("id=\"athleteButton\""));
    EXPECT_EQ(request("GET", QStringLiteral("/TVPWebClient/static/index.html")).body, index.body);
    const Answer script = request("GET", QStringLiteral("/TVPWebClient/static/webclient.js"));
    EXPECT_EQ(script.status, 200);
    EXPECT_TRUE(script.body.contains("notifySessionClient"));

    EXPECT_EQ(request("GET", QStringLiteral("/TVPWebClient/static/../static/index.htm")).status, 404);
    EXPECT_EQ(request("GET", QStringLiteral("/TVPWebClient/static/nothing.js")).status, 404);
    EXPECT_EQ(request("POST", QStringLiteral("/TVPWebClient/static/index.html")).status, 405);
}

TEST_F(WebClientTest, EachProgramGetsItsOwnSessionAndOnlyItsNotifications)
{
    const std::unique_ptr<Program> a = connectProgram();
    const std::unique_ptr<Program> b = connectProgram();
    // Written as older programs look for it: blanks around the colon.
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\{"Session" : "[0-9a-f]{32}"\}$)")).match(a->texts[0]).hasMatch())
        << a->texts[0].toStdString();
    ASSERT_NE(a->session(), b->session());
    ASSERT_TRUE(waitUntil([&] { return standin.server().notifications().listening() == 2; }));

    // A context as a user may type it arrives intact.
    const QString context = QStringLiteral("Wettkampf \"Süd\" \\ 2\n<x>");
    EXPECT_TRUE(notify(b->session(), proto::clientType::NATIVE, QStringLiteral("COMP_WIZARD_START"), context));
    ASSERT_TRUE(waitUntil([&] { return b->texts.size() == 2; }));
    const QJsonObject sent = QJsonDocument::fromJson(b->texts[1].toUtf8()).object();
    EXPECT_EQ(sent[QStringLiteral("formId")].toString(), QStringLiteral("COMP_WIZARD_START"));
    EXPECT_EQ(sent[QStringLiteral("contextId")].toString(), context);
    EXPECT_FALSE(sent.contains(QStringLiteral("Session")));

    EXPECT_FALSE(notify(b->session(), proto::clientType::WEB_UI, QStringLiteral("ATHLETE_FORM"), {}));
    EXPECT_FALSE(notify(b->session(), proto::clientType::NATIVE, QString(), {}));
    EXPECT_FALSE(notify(QStringLiteral("unbekannt"), proto::clientType::NATIVE, QStringLiteral("ATHLETE_FORM"), {}));

    // A program that leaves takes its session along.
    const QString gone = a->session();
    a->socket.close();
    ASSERT_TRUE(waitUntil([&] { return standin.server().notifications().listening() == 1; }));
    EXPECT_FALSE(notify(gone, proto::clientType::NATIVE, QStringLiteral("ATHLETE_FORM"), {}));
    QTest::qWait(50);
    EXPECT_EQ(a->texts.size(), 1);
    EXPECT_EQ(b->texts.size(), 2);
}

} // namespace
