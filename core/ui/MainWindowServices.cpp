#include "core/ui/MainWindowServices.h"

#include "core/connection/CommunicationThread.h"
#include "core/lists/CsvExport.h"
#include "core/ui/Dialogs.h"
#include "core/protocol/Errors.h"
#include "core/protocol/TransportFailure.h"
#include "core/ui/WindowContext.h"
#include "core/util/CodePages.h"
#include "core/util/Features.h"
#include "core/util/FileWrite.h"
#include "core/util/IniHandler.h"
#include "core/util/Logger.h"
#include "core/connection/ServerVersion.h"
#include "core/connection/SlotGuard.h"
#include "core/results/tvpUtils.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <utility>

namespace tvp {

namespace {

// ---- opener ----

const QString kDesktopOpener = QStringLiteral("xdg-open");

// GUI thread only.
QString& openerProgram()
{
    // The test runner names a harmless one, so no test starts the desktop's programs by accident.
    static QString program = qEnvironmentVariable("TVP_DESKTOP_OPENER");
    return program;
}

int& openersRunning()
{
    static int count = 0;
    return count;
}

// ---- CSV ----

const QString kCsvCaption = QStringLiteral("csv-Export");
const QString kCsvSaveCaption = QStringLiteral("csv-Datei speichern");
const QString kCsvWriteError = QStringLiteral(
    "Datei konnte nicht auf den Datenträger geschrieben werden. Ggf. ist die Datei in einem anderen Programm "
    "geöffnet.");
const QString kCertificatePlaceCaption = QStringLiteral("Urkundenplatzierung");

// The last file chosen in the save dialog (GUI thread only).
QString& lastCsvFile()
{
    static QString file;
    return file;
}

void addError(const QString& text, const QString& caption)
{
    programContext().messages().AddException(-1, {}, text, caption);
}

// ---- maker service ----

const QString kUpdateCaption = QStringLiteral("Auf Updates prüfen");
const QString kUpdateWaitText = QStringLiteral("Prüfe auf neue Funktionen und Versionsupdates...");
const QString kUpToDate = QStringLiteral("uptodate");
constexpr std::size_t kMaxAnswerBytes = 64 * 1024;

struct TMakerAnswer {
    long status = 0;
    QString body;
};

size_t appendCapped(char* data, size_t size, size_t count, void* target)
{
    auto& body = *static_cast<std::string*>(target);
    const size_t n = size * count;
    if (body.size() + n > kMaxAnswerBytes)
        return 0; // ends the transfer: the service never sends this much
    body.append(data, n);
    return n;
}

using Deadline = std::chrono::steady_clock::time_point;

Deadline makerDeadline()
{
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(TMakerHttpTimeouts::totalMs.load());
}

// One plain GET that ends by the deadline; throws TvpError when no answer arrives. Runs on request
// workers.
TMakerAnswer getUrlContent(const QString& url, Deadline deadline)
{
    const long leftMs = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
    if (leftMs <= 0)
        throw TvpError(QStringLiteral("Zeitlimit erreicht."));
    static std::once_flag curlInit;
    std::call_once(curlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    TVP_LOGGER().log(TLogLevel::ll_debug, QStringLiteral("TMainForm.getUrlContent: seeking..."));
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl)
        throw TvpError(QStringLiteral("HTTP-Bibliothek nicht verfügbar."));
    CURL* c = curl.get();
    const QByteArray address = url.toUtf8();
    std::string body;
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(c, CURLOPT_URL, address.constData());
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Trivanta Pentrel");
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, std::min(TMakerHttpTimeouts::connectMs.load(), leftMs));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, leftMs);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    // A proxy from the environment may serve the internet, never this computer.
    curl_easy_setopt(c, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &appendCapped);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    const CURLcode rc = curl_easy_perform(c);
    TVP_LOGGER().log(TLogLevel::ll_debug, QStringLiteral("TMainForm.getUrlContent: seeking completed"));
    if (rc != CURLE_OK)
        throw TvpError(proto::transportFailureText(c, rc, errorText));
    TMakerAnswer answer;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &answer.status);
    answer.body = QString::fromUtf8(body);
    TVP_LOGGER().log(TLogLevel::ll_debug, QStringLiteral("TMainForm.getUrlContent: reading completed"));
    return answer;
}

// Only such an address is ever handed to the opener: no file:, no script, no page text.
bool isWebLink(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           !url.host().isEmpty();
}

void updateCommand(TServicePorts&, const TUpdateRequest& req, TUpdateResponse& res)
{
    const Deadline deadline = makerDeadline();
    const TMakerAnswer update = getUrlContent(req.updateUrl, deadline);
    if (update.status != 200)
        throw TvpError(QStringLiteral("HTTP %1").arg(update.status));
    res.answer = update.body;
    for (const QString& name : req.features) {
        try {
            const TMakerAnswer feature =
                getUrlContent(req.featureBaseUrl + QString::fromLatin1(QUrl::toPercentEncoding(name)), deadline);
            if (feature.status == 200 && feature.body == QLatin1String("active"))
                res.activated.append(name);
        } catch (const std::exception&) {
            // An unanswered feature stays off; the version answer still counts.
        }
    }
}

void helpCommand(TServicePorts&, const THelpRequest& req, THelpresponse& res)
{
    try {
        const TMakerAnswer help = getUrlContent(req.url, makerDeadline());
        const QString link = help.body.trimmed();
        if (help.status == 404)
            res.state = THelpResponseState::rs_noHelp;
        else if (help.status == 200 && isWebLink(link)) {
            res.state = THelpResponseState::rs_HelpFound;
            res.link = link;
        }
    } catch (const std::exception&) {
        res.state = THelpResponseState::rs_noConnection;
    }
}

// The service has its own wait text and time-out warning; the names are captions only.
const TRequestTable<TUpdateRequest, TUpdateResponse> kUpdateRequests{{{0, kUpdateCaption, &updateCommand, false}}};
const TRequestTable<THelpRequest, THelpresponse> kHelpRequests{
    {{0, QStringLiteral("Online-Hilfe"), &helpCommand, false}}};

} // namespace

// ---- opening ----

void shellOpen(const QUrl& url, std::function<void()> failed, const QObject* receiver)
{
    // Not parented: the opener may wait for the program it started (a generic desktop's does),
    // and a running process would be killed with its parent.
    auto* process = new QProcess;
    process->setProgram(openerProgram().isEmpty() ? kDesktopOpener : openerProgram());
    process->setArguments({url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    ++openersRunning();
    auto ended = [process, failed = std::move(failed), receiver = QPointer<const QObject>(receiver),
                  anyReceiver = receiver == nullptr](bool ok) {
        process->deleteLater();
        if (!ok && failed && (anyReceiver || receiver))
            guarded(failed);
        --openersRunning();
    };
    // finished does not come after a failed start, and nothing but these two ends a started one.
    QObject::connect(process, &QProcess::finished, process, [ended](int code, QProcess::ExitStatus status) {
        ended(status == QProcess::NormalExit && code == 0);
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [ended](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            ended(false);
    });
    process->start();
}

QString setDesktopOpener(const QString& program)
{
    return std::exchange(openerProgram(), program);
}

int runningDesktopOpeners()
{
    return openersRunning();
}

void executeFile(const QString& FileName)
{
    shellOpen(QUrl::fromLocalFile(FileName), [FileName] {
        addError(QStringLiteral("Datei konnte nicht geöffnet werden. Stellen Sie sicher, dass ein Programm zum "
                                "Öffnen von %1-Dateien eingerichtet ist.")
                     .arg(QFileInfo(FileName).suffix()),
                 QStringLiteral("Datei anzeigen"));
    });
}

// ---- CSV ----

QString askCsvSaveFile(const QString& proposedName)
{
    QString proposal = proposedName;
    const QString folder = csvExportFolder();
    if (!folder.isEmpty() && QDir(folder).exists())
        proposal = QDir(folder).filePath(proposal);
    QString path = dialogs().getSaveFileNameWithSuffix(QApplication::activeWindow(), kCsvSaveCaption, proposal,
                                                       QStringLiteral("csv-Dateien (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().isEmpty()) {
        // A dialog that did not add the suffix has not asked about the file now meant.
        path += QStringLiteral(".csv");
        if (QFileInfo::exists(path) &&
            !askYesNo(QApplication::activeWindow(), kCsvSaveCaption,
                      QStringLiteral("Die Datei \"%1\" existiert bereits. Soll sie ersetzt werden?")
                          .arg(QFileInfo(path).fileName())))
            return {};
    }
    lastCsvFile() = path;
    return path;
}

bool exportCsvFile(const QString& FileName, const QAbstractItemModel& model, bool OpenAfterwards, bool ConvertResults,
                   bool AskForFile, int CertificatePlaceColumn, bool* cancelled)
{
    if (cancelled)
        *cancelled = false;
    QString path = FileName;
    if (AskForFile) {
        path = askCsvSaveFile(fileNameSaveChars(FileName) + QStringLiteral(".csv"));
        if (path.isEmpty()) {
            if (cancelled)
                *cancelled = true;
            return false;
        }
    }

    TRespelledNames respelled;
    if (!writeCsvFile(path, model, ConvertResults, CertificatePlaceColumn, &respelled)) {
        addError(kCsvWriteError, kCsvCaption);
        return false;
    }
    if (!respelled.isEmpty())
        programContext().messages().AddWarning(
            -1, {}, respelled.warning(QDir::toNativeSeparators(path), kWindows1252Name), kCsvCaption);
    if (OpenAfterwards)
        executeFile(path);
    return true;
}

QString csvExportFolder()
{
    return lastCsvFile().isEmpty() ? QString() : QFileInfo(lastCsvFile()).absolutePath();
}

// ---- maker service ----

QString makerServiceUrl()
{
    QString url;
    ReadIniStr(kMakerUrlSection, kMakerUrlKey, kDefaultMakerUrl, url);
    url = url.trimmed();
    if (url.isEmpty())
        url = kDefaultMakerUrl;
    if (!url.endsWith(u'/'))
        url += u'/';
    return url;
}

TMainWindowServices::TMainWindowServices(QWidget* window_) : TMainWindowServices(programContext(), window_)
{
}

TMainWindowServices::TMainWindowServices(TWindowContext& context, QWidget* window_)
    : context_(context),
      window(window_),
      UpdateCommunicationThread(std::make_unique<TRequestRoad<TUpdateRequest, TUpdateResponse>>(
          context, kUpdateRequests, window_,
          [this](std::unique_ptr<TUpdateResponse> response, const TRequestOutcome& outcome) {
              // What it shows answers the user's "Nach Updates suchen", if the user asked.
              const TAnswerTo answer(outcome.action);
              updateFinished(std::move(response));
          })),
      CommunicationThread1(std::make_unique<TRequestRoad<THelpRequest, THelpresponse>>(
          context, kHelpRequests, window_, [this](std::unique_ptr<THelpresponse> response, const TRequestOutcome&) {
              helpFinished(std::move(response));
          }))
{
    UpdateTimeoutTimer.setInterval(5000);
    UpdateTimeoutTimer.setSingleShot(true);
    connect(&UpdateTimeoutTimer, &QTimer::timeout, this, [this] { guarded([this] { updateTimedOut(); }); });
}

TMainWindowServices::~TMainWindowServices()
{
    // Before the rest goes: a late answer must not call back into this object.
    UpdateCommunicationThread.reset();
    CommunicationThread1.reset();
    closeUpdateWait();
}

void TMainWindowServices::startUpdateCheck()
{
    if (updateRunning)
        return;
    context_.waitTexts().showWait(kUpdateWaitText, window);
    updateWaitShown = true;
    emit updateEntryEnabledChanged(false);

    auto request = std::make_unique<TUpdateRequest>();
    const QString base = makerServiceUrl();
    const proto::GenericTvpVersion version = clientVersion();
    request->updateUrl = base + QStringLiteral("update?maj=%1&min=%2&rel=%3")
                                    .arg(version.majorVersion)
                                    .arg(version.minorVersion)
                                    .arg(version.buildNumber);
    request->featureBaseUrl = base + QStringLiteral("feature/");
    for (const QString& name : kKnownFeatures)
        if (!isFeatureActive(name))
            request->features.append(name);

    if (UpdateCommunicationThread->AddRequest(std::move(request), TTransactionMode::tm_None) == 0) {
        // Refused at shut-down: no answer will come.
        closeUpdateWait();
        emit updateEntryEnabledChanged(true);
        return;
    }
    updateRunning = true;
    UpdateTimeoutTimer.start();
}

void TMainWindowServices::updateTimedOut()
{
    UpdateTimeoutTimer.stop();
    closeUpdateWait();
    context_.messages().AddWarning(
        -1, {},
        QStringLiteral("Der Update-Service benötigt sehr lange für eine Antwort. Evtl. besteht keine "
                       "oder schlechte Internetverbindung oder der Server ist ausgelastet. Die "
                       "Update-Anfrage wird im Hintergrund weiter ausgeführt, Sie können solange "
                       "weiter arbeiten."),
        kUpdateCaption);
}

void TMainWindowServices::updateFinished(std::unique_ptr<TUpdateResponse> response)
{
    updateRunning = false;
    emit updateEntryEnabledChanged(true);
    UpdateTimeoutTimer.stop();
    closeUpdateWait();
    // While the program ends, no question about a download.
    if (commShuttingDown())
        return;

    const TUpdateResponse* res = response.get();
    const QString answer = res ? res->answer.trimmed() : QString();
    // Anything but "uptodate" or a web address (an error page, a portal's login) is no answer.
    if (answer.isEmpty() || (answer != kUpToDate && !isWebLink(answer))) {
        context_.messages().AddException(-1, {}, QStringLiteral("Online-Update-Server ist nicht erreichbar."),
                                         kUpdateCaption);
        return;
    }
    // The answer may come at any time: its questions wait without holding the program.
    if (answer != kUpToDate) {
        context_.dialogs().ask(
            window, QStringLiteral("Neue Version herunterladen"),
            QStringLiteral("Eine neue Version ist verfügbar. Wollen Sie diese nun herunterladen?"), TMsgKind::Question,
            TMsgButtons::YesNo, TMsgAnswer::No,
            [this, self = QPointer<TMainWindowServices>(this), answer](TMsgAnswer given) {
                if (!self || given != TMsgAnswer::Yes)
                    return;
                shellOpen(
                    QUrl(answer, QUrl::StrictMode),
                    [this, answer] {
                        context_.messages().AddException(
                            -1, {},
                            QStringLiteral("Update-Download \"%1\" konnte nicht gestartet werden. Stellen Sie "
                                           "sicher, dass ein Internet-Browser zum Öffnen von Links eingerichtet ist.")
                                .arg(answer),
                            QStringLiteral("Update herunterladen"));
                    },
                    this);
            });
        return;
    }
    const auto tell = [this](const QString& text) {
        context_.dialogs().ask(window, kUpdateCaption, text, TMsgKind::Information, TMsgButtons::Ok, TMsgAnswer::Ok,
                               [](TMsgAnswer) {});
    };
    if (res->activated.isEmpty()) {
        tell(QStringLiteral("Sie verwenden bereits die aktuellste Version. Derzeit ist kein Update nötig."));
        return;
    }
    for (const QString& name : res->activated)
        activateFeature(name);
    tell(QStringLiteral("Es wurden folgende neuen Funktionen aktiviert: ") + res->activated.join(u','));
}

void TMainWindowServices::closeUpdateWait()
{
    if (!updateWaitShown)
        return;
    updateWaitShown = false;
    context_.waitTexts().closeWait(kUpdateWaitText);
}

void TMainWindowServices::requestOnlineHelpLink()
{
    if (!FFirstOnlineHelpCall)
        return;
    FFirstOnlineHelpCall = false;
    emit onlineHelpEntryChanged(QStringLiteral("Loading..."), false);
    auto request = std::make_unique<THelpRequest>();
    request->url = makerServiceUrl() + QStringLiteral("onlinehelp");
    CommunicationThread1->AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TMainWindowServices::helpFinished(std::unique_ptr<THelpresponse> response)
{
    if (commShuttingDown())
        return;
    const THelpresponse* res = response.get();
    const THelpResponseState state = res ? res->state : THelpResponseState::rs_noConnection;
    switch (state) {
    case THelpResponseState::rs_noHelp:
        emit onlineHelpEntryChanged(QStringLiteral("Online-Hilfe noch nicht verfügbar."), false);
        break;
    case THelpResponseState::rs_noConnection:
        emit onlineHelpEntryChanged(QStringLiteral("Keine Verbindung zur Online-Hilfe"), false);
        break;
    case THelpResponseState::rs_HelpFound:
        FOnlineHelpLink = res->link;
        emit onlineHelpEntryChanged(QStringLiteral("Online-Hilfe"), true);
        break;
    }
}

void TMainWindowServices::openOnlineHelp()
{
    if (!isWebLink(FOnlineHelpLink))
        return;
    shellOpen(
        QUrl(FOnlineHelpLink, QUrl::StrictMode),
        [this] {
            context_.messages().AddException(
                -1, {},
                QStringLiteral("Hilfe konnte nicht geöffnet werden. Stellen Sie sicher, dass ein Internet-Browser "
                               "zum Öffnen von Links eingerichtet ist."),
                QStringLiteral("Onlinehilfe starten"));
        },
        this);
}

} // namespace tvp
