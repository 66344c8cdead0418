#include "core/connection/WebSocketListener.h"

#include "core/connection/SlotGuard.h"

#include <QUrl>

namespace tvp {

TWebSocketListener::TWebSocketListener(int timeoutMs, QObject* parent) : QObject(parent)
{
    FConnectionTimer.setSingleShot(true);
    FConnectionTimer.setInterval(timeoutMs);
    FwebSocket.setMaxAllowedIncomingMessageSize(kMaxIncomingBytes);
    connect(&FConnectionTimer, &QTimer::timeout, this, [this] {
        guarded([&] {
            if (gotText_ || FStopRequested)
                return;
            ended_ = true;
            emit textData(QStringLiteral("Zeitüberschreitung"), true);
            stopListener();
        });
    });
    // The server waits for a first frame of ours before it counts us in.
    connect(&FwebSocket, &QWebSocket::connected, this,
            [this] { guarded([&] { FwebSocket.sendTextMessage(QStringLiteral("New")); }); });
    connect(&FwebSocket, &QWebSocket::textMessageReceived, this, [this](const QString& text) {
        guarded([&] {
            if (FStopRequested)
                return;
            FConnectionTimer.stop();
            gotText_ = true;
            emit textData(text, false);
        });
    });
    connect(&FwebSocket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
            [this](QAbstractSocket::SocketError) { ended(); });
    connect(&FwebSocket, &QWebSocket::disconnected, this, [this] { ended(); });
}

TWebSocketListener::~TWebSocketListener()
{
    stopListener();
}

void TWebSocketListener::start(const QString& host, int port)
{
    QUrl url;
    url.setScheme(QStringLiteral("ws"));
    url.setHost(host);
    url.setPort(port);
    url.setPath(QLatin1Char('/') + QLatin1String(kListenPath));
    FConnectionTimer.start();
    FwebSocket.open(url);
}

void TWebSocketListener::stopListener()
{
    FStopRequested = true;
    FConnectionTimer.stop();
    if (FwebSocket.state() != QAbstractSocket::UnconnectedState)
        FwebSocket.close();
}

void TWebSocketListener::ended()
{
    guarded([&] {
        if (FStopRequested || ended_)
            return;
        ended_ = true;
        FConnectionTimer.stop();
        QString reason = FwebSocket.closeReason();
        if (reason.isEmpty())
            reason = FwebSocket.error() == QAbstractSocket::UnknownSocketError ? QStringLiteral("Verbindung beendet")
                                                                               : FwebSocket.errorString();
        if (gotText_)
            emit connectionLost(reason);
        else
            emit textData(reason, true);
    });
}

} // namespace tvp
