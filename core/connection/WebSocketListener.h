#pragma once
// The program's end of the browser-client bridge: a WebSocket to the server's notification path.
// It greets the server, hands on every text that arrives and reports a connection that never
// brings a text within its time-out. Runs on the thread that made it (the GUI thread): Qt's
// socket never blocks it.

#include <QObject>
#include <QString>
#include <QTimer>
#include <QWebSocket>

namespace tvp {

class TWebSocketListener : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kListenPath = "TrivantaPentrel/websocket/notifications/client/native";
    // Texts beyond this end the connection (Qt refuses the frame); the reader refuses far less.
    static constexpr qint64 kMaxIncomingBytes = 16 * 1024 * 1024;

    explicit TWebSocketListener(int timeoutMs, QObject* parent = nullptr);
    ~TWebSocketListener() override;

    void start(const QString& host, int port);
    // Closes the connection; nothing is reported after it.
    void stopListener();

signals:
    // A text from the server, or (isError) why the connection brought none: "Zeitüberschreitung"
    // or the socket's error.
    void textData(const QString& text, bool isError);
    // The connection ended after it had brought a text.
    void connectionLost(const QString& reason);

private:
    void ended();

    QWebSocket FwebSocket;
    QTimer FConnectionTimer;
    bool FStopRequested = false;
    bool gotText_ = false;
    bool ended_ = false;
};

} // namespace tvp
