#pragma once
// What the main window offers every window besides its menu: the CSV export of a list,
// opening files and links, the update check (which also switches on feature flags) and the link
// to the online help. The last two ask the maker's web service by plain HTTP GET.

#include "core/connection/RequestRoad.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

class QAbstractItemModel;
class QUrl;
class QWidget;

namespace tvp {

class TWindowContext;

// ---- opening documents and links ----

// Opens a file, folder or web address with the desktop's opener, which runs in the background.
// Whether it worked is known only when it ends: when it cannot start or ends with a failure,
// failed runs then on the GUI thread, unless receiver was given and is gone by then.
void shellOpen(const QUrl& url, std::function<void()> failed = {}, const QObject* receiver = nullptr);
// The program that opens documents and links ("xdg-open"); it gets the path or address as its one
// argument and tells failure by its exit status. Tests put a script of their own in its place;
// an empty name restores the desktop's. Returns the program it replaces. TVP_DESKTOP_OPENER in the
// environment names the program to start with.
QString setDesktopOpener(const QString& program);
// Openers started and not yet ended (their failure not yet reported).
int runningDesktopOpeners();

// Opens the file with its associated program; a refusal is reported in the message window.
void executeFile(const QString& FileName);

// ---- CSV export ----

// Writes the list shown through the model as CSV (";", CR LF, Windows-1252); a sorting proxy
// exports in its order. With AskForFile FileName is the proposed name for the save dialog,
// otherwise the path. The column CertificatePlaceColumn (if >= 0) is written twice under the extra
// caption "Urkundenplatzierung", and rows with an empty cell there are left out. ConvertResults
// writes cells that read as results as plain numbers. False when cancelled or when the file could
// not be written (reported in the message window); cancelled (if given) tells a false that only
// means the user cancelled the save dialog. Names the code page lacks are written in plain letters
// and listed in one warning for the file.
bool exportCsvFile(const QString& FileName, const QAbstractItemModel& model, bool OpenAfterwards, bool ConvertResults,
                   bool AskForFile, int CertificatePlaceColumn, bool* cancelled = nullptr);

// The export's save dialog with the proposed file name (in the last export's folder); the chosen
// path with ".csv", or empty when the user cancelled.
QString askCsvSaveFile(const QString& proposedName);

// The folder of the last file chosen in the export's save dialog; empty before the first.
QString csvExportFolder();

// ---- the maker's web service ----

// Limits of the maker's service: connecting, and all GETs of one update check or help fetch
// together, so a hanging service frees its channel slot in bounded time. The whole may take
// longer than the update check's 5 s warning, which then tells the truth: the check goes on.
// Tests shorten them.
struct TMakerHttpTimeouts {
    static inline std::atomic<long> connectMs{10000};
    static inline std::atomic<long> totalMs{30000};
};

inline const QString kMakerUrlSection = QStringLiteral("Connections");
inline const QString kMakerUrlKey = QStringLiteral("makerServiceUrl");
inline const QString kDefaultMakerUrl = QStringLiteral("http://updates.trivanta.example/TrivantaPentrel/");

// The service's base address from the settings, always ending with "/".
QString makerServiceUrl();

// Feature names the update check may switch on.
inline const QStringList kKnownFeatures{QStringLiteral("ladv.online")};

// The maker-service requests: plain GETs on request workers, no SOAP call.
struct TUpdateRequest : TRequest {
    QString updateUrl;
    QString featureBaseUrl;
    QStringList features;
};

struct TUpdateResponse : TResponse {
    QString answer;
    QStringList activated;
};

enum class THelpResponseState { rs_noHelp, rs_noConnection, rs_HelpFound };

struct THelpRequest : TRequest {
    QString url;
};

struct THelpresponse : TResponse {
    THelpResponseState state = THelpResponseState::rs_noConnection;
    QString link;
};

class TMainWindowServices : public QObject {
    Q_OBJECT
public:
    // Questions and messages are shown over window.
    explicit TMainWindowServices(QWidget* window = nullptr);
    TMainWindowServices(TWindowContext& context, QWidget* window);
    ~TMainWindowServices() override;

    // "Auf Updates prüfen": asks the service in the background; does nothing while a check runs.
    void startUpdateCheck();
    // The first opening of the "Hilfe" menu: fetches the online-help link once.
    void requestOnlineHelpLink();
    // The online-help entry: opens the fetched link.
    void openOnlineHelp();

    bool updateCheckRunning() const { return updateRunning; }
    QString onlineHelpLink() const { return FOnlineHelpLink; }

    // Warns after 5000 ms that the check goes on in the background; tests shorten it.
    QTimer UpdateTimeoutTimer;

signals:
    void updateEntryEnabledChanged(bool enabled);
    void onlineHelpEntryChanged(const QString& caption, bool enabled);

private:
    void updateTimedOut();
    void updateFinished(std::unique_ptr<TUpdateResponse> response);
    void helpFinished(std::unique_ptr<THelpresponse> response);
    void closeUpdateWait();

    TWindowContext& context_;
    QPointer<QWidget> window;
    std::unique_ptr<TRequestRoad<TUpdateRequest, TUpdateResponse>> UpdateCommunicationThread;
    std::unique_ptr<TRequestRoad<THelpRequest, THelpresponse>> CommunicationThread1;
    bool updateRunning = false;
    bool updateWaitShown = false;
    bool FFirstOnlineHelpCall = true;
    QString FOnlineHelpLink;
};

} // namespace tvp
