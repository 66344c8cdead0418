#pragma once
// The request runner: every server request of a window runs on a worker thread of its own, through
// one of two program-wide channel slots, inside the transaction its mode asks for, and comes back to
// the GUI thread through the window's finished callback.

#include "core/protocol/THTTPRIO.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

namespace tvp {

enum class TTransactionMode : std::uint8_t { tm_None = 0, tm_readonly = 1, tm_readwrite = 2 };

// Bases of the windows' request and response objects.
class TRequest {
public:
    virtual ~TRequest() = default;
};

class TResponse {
public:
    virtual ~TResponse() = default;
};

class TSoapThread;

// Runs on the worker thread. Creates the response first, then (unless Thread is null) makes its
// calls through RIO; throws on failure. Touches no window.
using CommandCallback = std::function<void(proto::THTTPRIO* RIO, TRequest* Request,
                                           std::unique_ptr<TResponse>& Response, TSoapThread* Thread)>;
// Runs on the GUI thread; an empty error text means success. The response may be null.
using FinishedCallback = std::function<void(std::unique_ptr<TResponse> Response, const QString& Error, int ErrorId,
                                            const QStringList& Parameters, quint32 RequestId)>;

// Waits and pauses; tests shorten them.
struct CommTimeouts {
    // A request's time: waiting for a channel it gives up after this long without any answer of
    // the server on either channel (or a channel freed): queued behind others, it waits as long as
    // they move. A transaction the server refuses as busy is begun again until the server's other
    // writers have not moved on for this long.
    static inline std::atomic<int> channelWaitMs{35000};
    // The pause before a transaction the server refused as busy is begun again.
    static inline std::atomic<int> busyPauseMs{500};
    static inline std::atomic<int> shutDownStepMs{100};
    static inline std::atomic<int> shutDownRounds{100};
};

// A write whose answer never came (a commit, or a store outside a transaction): it may have landed
// or not. The error keeps the failure's text; the window reads back before a cell claims either.
inline constexpr int kWriteInDoubtError = -70;

inline const QString kErrChannelTimeout = QStringLiteral("Timeout im Client bei Serveranfrage.");
inline const QString kErrUnknown = QStringLiteral("Unbekannter Fehler im Kommunikationsmodul");
inline const QString kErrBeginTransaction = QStringLiteral("Transaktion starten: ");

struct RunnerState;

class TCommunicationThread : public QObject {
    Q_OBJECT
public:
    explicit TCommunicationThread(QObject* parent = nullptr);
    ~TCommunicationThread() override;

    // Takes the request; returns its id (2, 3, ... per runner), or 0 when refused at shut-down.
    quint32 AddRequest(std::unique_ptr<TRequest> Request, TTransactionMode Mode);

    CommandCallback commandCallback;
    FinishedCallback OnFinished;

    QString sessionId() const;

private:
    std::shared_ptr<RunnerState> state_;
    quint32 IDCounter = 1;
};

// The worker of one request. Public for the command callbacks, which receive it.
class TSoapThread : public std::enable_shared_from_this<TSoapThread> {
public:
    TSoapThread(std::shared_ptr<RunnerState> runner, QPointer<TCommunicationThread> owner,
                std::unique_ptr<TRequest> request, CommandCallback command, FinishedCallback finished,
                quint32 requestId, bool transactional, bool readOnly);

    // A proxy object that carries this request's session header and leaves empty elements out.
    std::unique_ptr<proto::THTTPRIO> newRIO();

    void Execute();

    quint32 requestId() const { return FRequestID; }
    // Commits a read-write request's transaction before its command ends; later calls carry none.
    void commitTransaction();

private:
    // Begins the request's transaction; throws when the server does not begin it.
    void beginTransaction();
    void BeforeInterceptor(pugi::xml_document& request);
    void AfterInterceptor(const pugi::xml_document& answer);
    void takeError(const std::exception& e);
    void handBack();
    void deliver();

    std::shared_ptr<RunnerState> runner_;
    QPointer<TCommunicationThread> owner_;
    std::unique_ptr<proto::THTTPRIO> soapGetComm;
    bool transactional;
    bool readOnlyTransaction;
    std::unique_ptr<TRequest> FRequestData;
    std::unique_ptr<TResponse> FResponseData;
    CommandCallback FGetCommand;
    FinishedCallback FOnFinished;
    quint32 FRequestID;
    QString SoapError;
    int SoapExceptionId = 0;
    QStringList SoapExceptionParameters;
    std::string transactionId;
    std::string sessionId_; // the session this request's calls go to, once the server named it
};

// Program start: no request running, requests taken.
void InitComm();
// Shut-down: refuses new requests, waits a while for running ones, then stops all hand-backs.
void ReqShutDown();
// A channel slot for the few blocking calls made on the GUI thread; throws on timeout.
void AquireChannel();
void ReleaseChannel();

// While one exists, finished requests wait with their hand-back: for callers on the GUI thread
// that let the event loop run briefly (to paint a window) without being re-entered.
class THandBackHold {
public:
    THandBackHold();
    ~THandBackHold();
    THandBackHold(const THandBackHold&) = delete;
    THandBackHold& operator=(const THandBackHold&) = delete;
};

// Holds a channel slot for a scope.
class ChannelGuard {
public:
    ChannelGuard() { AquireChannel(); }
    ~ChannelGuard() { ReleaseChannel(); }
    ChannelGuard(const ChannelGuard&) = delete;
    ChannelGuard& operator=(const ChannelGuard&) = delete;
};

// Requests taken and not yet handed back.
int runningRequestCount();
// Shut-down has begun: no new requests are taken.
bool commShuttingDown();

} // namespace tvp
