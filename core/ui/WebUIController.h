#pragma once
// The bridge to the server's browser client: opens the desktop's browser on a page of it with a
// browser session id that the server hands out over the program's WebSocket, and carries out the
// commands the browser client sends back on that socket.

#include "core/services/WebUIServices.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace tvp {

class TWebSocketListener;
class TWindowContext;

class TWebUIController : public QObject, public IWebUIController {
    Q_OBJECT
public:
    static constexpr const char* kWaitText = "Starte Browser-Sitzung...";

    explicit TWebUIController(TWindowContext& context, QObject* parent = nullptr);
    ~TWebUIController() override;

    // IWebUIController. The context text is not used; form owns the messages.
    void showInBrowser(QObject* form, const QString& path, const QString& contextText, bool addCompetitionId) override;
    // Opens <browser client>index.html#<path>?sessionId=<id>[&competitionId=<id>]; when the desktop
    // cannot open it, that is reported once its opener has ended.
    void openInBrowser(const QString& path, const QString& sessionId, QObject* form, bool addCompetitionId);

    // A text from the WebSocket, or (isError) why the session could not be started.
    void onTextData(const QString& text, bool isError);
    void handleCallback(const QString& formId, const QString& contextId);

    // Empty while there is no session.
    const QString& sessionId() const { return FsessionId; }
    // For tests: the time a session may take to start.
    void setSessionTimeoutMs(int ms) { timeoutMs_ = ms; }

private:
    void connectionLost(const QString& reason);
    void dropListener();
    void closeWait();

    TWindowContext& context_;
    QString FsessionId;
    QPointer<TWebSocketListener> FWebSocketThread;
    QString FPath;
    QPointer<QObject> FSourceForm;
    bool addCompetitionId_ = true;
    bool waitShown_ = false;
    int timeoutMs_ = 10000;
};

// The program's bridge; null before start-up made it.
IWebUIController* MainWebUIController();

} // namespace tvp
