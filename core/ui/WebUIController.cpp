#include "core/ui/WebUIController.h"

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/connection/WebSocketListener.h"
#include "core/connection/WebSocketMessage.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/Logger.h"

#include <QUrl>
#include <QWidget>

namespace tvp {

namespace {

void logIgnored(const QString& why)
{
    TVP_LOGGER().log(TLogLevel::ll_warning, QStringLiteral("WebSocket-Nachricht ignoriert: ") + why);
}

} // namespace

TWebUIController::TWebUIController(TWindowContext& context, QObject* parent) : QObject(parent), context_(context)
{
}

TWebUIController::~TWebUIController()
{
    dropListener();
}

void TWebUIController::showInBrowser(QObject* form, const QString& path, const QString&, bool addCompetitionId)
{
    if (!FsessionId.isEmpty()) {
        openInBrowser(path, FsessionId, form, addCompetitionId);
        return;
    }
    FPath = path;
    FSourceForm = form;
    addCompetitionId_ = addCompetitionId;
    // A session already on its way opens the page asked for last.
    if (FWebSocketThread)
        return;
    context_.waitTexts().showWait(QString::fromUtf8(kWaitText), form);
    waitShown_ = true;
    auto* listener = new TWebSocketListener(timeoutMs_, this);
    FWebSocketThread = listener;
    connect(listener, &TWebSocketListener::textData, this,
            [this](const QString& text, bool isError) { guarded([&] { onTextData(text, isError); }); });
    connect(listener, &TWebSocketListener::connectionLost, this,
            [this](const QString& reason) { guarded([&] { connectionLost(reason); }); });
    TCompetitionUrlHolder& url = competitionUrlHolderInstance();
    listener->start(url.getHost(), url.getPort());
}

void TWebUIController::openInBrowser(const QString& path, const QString& sessionId, QObject* form,
                                     bool addCompetitionId)
{
    // The id is the server's text: encoded, it cannot end the parameter or add one.
    QString address = competitionUrlHolderInstance().getFullUrl(proto::TTVPWebServices::WEB_UI) +
                      QStringLiteral("index.html#") + path + QStringLiteral("?sessionId=") +
                      QString::fromLatin1(QUrl::toPercentEncoding(sessionId));
    if (addCompetitionId)
        address += QStringLiteral("&competitionId=") + QString::number(context_.competition().getCompetitionId(false));
    shellOpen(
        QUrl(address, QUrl::StrictMode),
        [this, form = QPointer<QObject>(form)] {
            context_.messages().AddException(
                -1, {},
                QStringLiteral("WebClient konnte nicht geöffnet werden. Stellen Sie sicher, dass ein "
                               "Internet-Browser zum Öffnen von Links eingerichtet ist."),
                QStringLiteral("WebClient starten"), form.data());
        },
        this);
}

void TWebUIController::onTextData(const QString& text, bool isError)
{
    closeWait();
    if (isError) {
        dropListener();
        context_.messages().AddException(-1, {},
                                         QStringLiteral("Browser-Sitzung konnte nicht gestartet werden: ") + text,
                                         QStringLiteral("Browser-Sitzung starten"), FSourceForm.data());
        return;
    }
    const TWebSocketMessage message = readWebSocketMessage(text);
    switch (message.kind) {
    case TWebSocketMessage::Kind::Session:
        FsessionId = message.sessionId;
        openInBrowser(FPath, FsessionId, FSourceForm.data(), addCompetitionId_);
        break;
    case TWebSocketMessage::Kind::Command: handleCallback(message.formId, message.contextId); break;
    case TWebSocketMessage::Kind::Ignored: logIgnored(message.problem); break;
    }
}

void TWebUIController::handleCallback(const QString& formId, const QString& contextId)
{
    TWindowRegistry& windows = context_.windows();
    if (formId == QStringLiteral("COMP_WIZARD_START")) {
        // The import choice enables its online import again when it is next shown.
        windows.close(TWindowId::CompImportSwitchForm);
        if (auto* wizard = windows.findOrPlaceholder<ICompSetupWizard>(TWindowId::CompSetupWizardForm))
            wizard->importToWizard(FsessionId, contextId);
    } else if (formId == QStringLiteral("ATHLETE_FORM")) {
        // Without a competition the window has nothing to show: refused, not opened empty.
        if (context_.competition().getCompetitionId(false) == 0) {
            context_.messages().AddException(-1, {},
                                             QStringLiteral("Das Athletenfenster kann erst geöffnet werden, wenn eine "
                                                            "Veranstaltung geöffnet ist."),
                                             QStringLiteral("Athletenfenster öffnen"));
            return;
        }
        if (windows.isVisible(TWindowId::AthleteForm)) {
            if (QWidget* athletes = windows.widget(TWindowId::AthleteForm)) {
                athletes->raise();
                athletes->activateWindow();
            }
            windows.reload(TWindowId::AthleteForm, true);
        } else {
            windows.show(TWindowId::AthleteForm);
        }
    } else {
        logIgnored(QStringLiteral("unbekannte formId \"%1\"").arg(formId));
    }
}

void TWebUIController::connectionLost(const QString& reason)
{
    // The server forgets a session with its connection; a page opened with it would reach nobody.
    TVP_LOGGER().log(TLogLevel::ll_warning,
                     QStringLiteral("WebSocket der Browser-Sitzung beendet (%1); die nächste Anzeige im Browser "
                                    "beginnt eine neue Sitzung")
                         .arg(reason));
    FsessionId.clear();
    closeWait();
    dropListener();
}

void TWebUIController::dropListener()
{
    if (!FWebSocketThread)
        return;
    FWebSocketThread->stopListener();
    FWebSocketThread->disconnect(this);
    // It may be the one whose signal is being handled.
    FWebSocketThread->deleteLater();
    FWebSocketThread = nullptr;
}

void TWebUIController::closeWait()
{
    if (!waitShown_)
        return;
    waitShown_ = false;
    context_.waitTexts().closeWait(QString::fromUtf8(kWaitText));
}

IWebUIController* MainWebUIController()
{
    return programWindows().find<IWebUIController>();
}

} // namespace tvp
