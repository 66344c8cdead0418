#include "core/connection/CommunicationThread.h"

#include "core/connection/CompetitionUrlHolder.h"
#include "core/protocol/SoapHeader.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/connection/SlotGuard.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace tvp {

// The session id of one runner; workers keep it alive after their runner is gone.
struct RunnerState {
    std::string SessionId;
};

namespace {

// The two channel slots, taken in the order asked for; the GUI thread's blocking calls go first, as
// the program stands still while they wait. A waiter gives up only once the server has not moved
// for the channel wait: no answer came on a channel and none was freed. Time spent queued behind
// requests the server answers one after the other is no delay of the server's.
class TChannelSlots {
public:
    bool acquire(bool first)
    {
        using Clock = std::chrono::steady_clock;
        std::unique_lock lock(mutex_);
        const std::uint64_t ticket = nextTicket_++;
        if (first)
            waiting_.push_front(ticket);
        else
            waiting_.push_back(ticket);
        const Clock::time_point since = Clock::now();
        for (;;) {
            if (free_ > 0 && waiting_.front() == ticket) {
                waiting_.pop_front();
                --free_;
                // The next in line may take the other slot.
                cv_.notify_all();
                return true;
            }
            const Clock::time_point deadline =
                std::max(since, moved_) + std::chrono::milliseconds(CommTimeouts::channelWaitMs.load());
            if (Clock::now() >= deadline) {
                std::erase(waiting_, ticket);
                cv_.notify_all();
                return false;
            }
            cv_.wait_until(lock, deadline);
        }
    }
    void release()
    {
        {
            std::lock_guard lock(mutex_);
            ++free_;
            moved_ = std::chrono::steady_clock::now();
        }
        cv_.notify_all();
    }
    // A waiter finds it when its wait runs out and waits on.
    void answered()
    {
        std::lock_guard lock(mutex_);
        moved_ = std::chrono::steady_clock::now();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    int free_ = 2;
    std::deque<std::uint64_t> waiting_;
    std::uint64_t nextTicket_ = 0;
    std::chrono::steady_clock::time_point moved_{};
};

// Program-wide state. Deliberately never destroyed: a late worker may still touch it at exit.
struct CommGlobals {
    TChannelSlots Semaphore;
    std::mutex CSInterceptor;
    std::mutex CSAddRequest;
    std::mutex CSThreadStack;
    bool COMM_GlobalShutDown = false;
    bool COMM_GlobalShutDownTimeout = false;
    int ThreadStackCounter = 0;
};

CommGlobals& comm()
{
    static CommGlobals* globals = new CommGlobals;
    return *globals;
}

bool handBackStopped()
{
    std::lock_guard lock(comm().CSThreadStack);
    return comm().COMM_GlobalShutDown && comm().COMM_GlobalShutDownTimeout;
}

bool acquireSlot(bool first)
{
    return comm().Semaphore.acquire(first);
}

QString messageOf(const std::exception& e)
{
    if (auto* tvp = dynamic_cast<const TvpError*>(&e))
        return tvp->message();
    return QString::fromUtf8(e.what());
}

// The server's own refusal of a commit stored nothing; any other failure (no answer, an answer that
// cannot be read) leaves open whether it did.
ETvExceptionDetail commitFailure(const std::exception& e)
{
    if (auto* detail = dynamic_cast<const ETvExceptionDetail*>(&e))
        return *detail;
    if (dynamic_cast<const ESoapFault*>(&e))
        return ETvExceptionDetail(messageOf(e));
    return ETvExceptionDetail(messageOf(e), kWriteInDoubtError);
}

} // namespace

// ---- runner ----

TCommunicationThread::TCommunicationThread(QObject* parent) : QObject(parent), state_(std::make_shared<RunnerState>())
{
}

TCommunicationThread::~TCommunicationThread() = default;

QString TCommunicationThread::sessionId() const
{
    std::lock_guard lock(comm().CSInterceptor);
    return QString::fromStdString(state_->SessionId);
}

quint32 TCommunicationThread::AddRequest(std::unique_ptr<TRequest> Request, TTransactionMode Mode)
{
    {
        std::lock_guard lock(comm().CSThreadStack);
        if (comm().COMM_GlobalShutDown)
            return 0;
        ++comm().ThreadStackCounter;
    }
    quint32 id;
    {
        std::lock_guard lock(comm().CSAddRequest);
        id = ++IDCounter;
    }
    try {
        auto worker = std::make_shared<TSoapThread>(state_, QPointer<TCommunicationThread>(this), std::move(Request),
                                                    commandCallback, OnFinished, id, Mode != TTransactionMode::tm_None,
                                                    Mode == TTransactionMode::tm_readonly);
        std::thread([worker] { worker->Execute(); }).detach();
    } catch (...) {
        // No worker, so no hand-back would ever lower the count.
        std::lock_guard lock(comm().CSThreadStack);
        --comm().ThreadStackCounter;
        throw;
    }
    return id;
}

// ---- worker ----

TSoapThread::TSoapThread(std::shared_ptr<RunnerState> runner, QPointer<TCommunicationThread> owner,
                         std::unique_ptr<TRequest> request, CommandCallback command, FinishedCallback finished,
                         quint32 requestId, bool transactional_, bool readOnly)
    : runner_(std::move(runner)),
      owner_(std::move(owner)),
      transactional(transactional_),
      readOnlyTransaction(readOnly),
      FRequestData(std::move(request)),
      FGetCommand(std::move(command)),
      FOnFinished(std::move(finished)),
      FRequestID(requestId)
{
    soapGetComm = newRIO();
}

std::unique_ptr<proto::THTTPRIO> TSoapThread::newRIO()
{
    auto rio = std::make_unique<proto::THTTPRIO>();
    rio->omitEmptyNodes = true;
    rio->OnBeforeExecute = [this](std::string_view, pugi::xml_document& request) { BeforeInterceptor(request); };
    rio->OnAfterExecute = [this](std::string_view, const pugi::xml_document& answer) { AfterInterceptor(answer); };
    return rio;
}

void TSoapThread::BeforeInterceptor(pugi::xml_document& request)
{
    std::lock_guard lock(comm().CSInterceptor);
    // A runner's first message carries no header: the server has not named a session yet. Once
    // this request has a session it stays in it: its transaction belongs to that session, also
    // when a request started beside it was given another one.
    const std::string& session = sessionId_.empty() ? runner_->SessionId : sessionId_;
    if (!session.empty())
        proto::setSessionToSoap(request, session, transactional, transactionId);
}

void TSoapThread::AfterInterceptor(const pugi::xml_document& answer)
{
    comm().Semaphore.answered();
    std::lock_guard lock(comm().CSInterceptor);
    const std::string s = proto::getSessionfromSoap(answer, transactionId);
    if (!s.empty()) {
        sessionId_ = s;
        runner_->SessionId = s;
    }
}

namespace {

std::unique_ptr<proto::CompetitionManagementPortType> cms(proto::THTTPRIO* rio)
{
    return proto::GetCompetitionManagementPortType(
        false, competitionUrlHolderInstance().getFullUrl(proto::TTVPWebServices::CMS), rio);
}

} // namespace

void TSoapThread::commitTransaction()
{
    if (!transactional || readOnlyTransaction)
        return;
    const std::unique_ptr<proto::THTTPRIO> rio = newRIO();
    try {
        cms(rio.get())->commitTransaction();
    } catch (const std::exception& e) {
        throw commitFailure(e);
    }
    transactional = false;
}

void TSoapThread::beginTransaction()
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point moved = Clock::now();
    std::optional<QString> progress;
    for (;;) {
        const std::chrono::milliseconds pause(CommTimeouts::busyPauseMs.load());
        try {
            cms(soapGetComm.get())->beginTransaction(readOnlyTransaction);
            return;
        } catch (const ETvExceptionDetail& e) {
            if (readOnlyTransaction || e.ExceptionID != kServerBusyError || commShuttingDown())
                throw;
            // Turned away, a writer has done nothing yet: it asks again, as the server asks. The
            // refusal names how far the other writers have come; while that moves, this one waits
            // its turn like a request queued for a channel, and gives up only once the others have
            // stood still for the request's time.
            const QString now = e.ExceptionParameters.value(0);
            if (progress && !now.isEmpty() && now != *progress)
                moved = Clock::now();
            progress = now;
            if (Clock::now() + pause >= moved + std::chrono::milliseconds(CommTimeouts::channelWaitMs))
                throw;
        }
        std::this_thread::sleep_for(pause);
        soapGetComm = newRIO();
    }
}

void TSoapThread::takeError(const std::exception& e)
{
    SoapError = messageOf(e);
    // An empty text would read as success in the finished callback.
    if (SoapError.isEmpty())
        SoapError = kErrUnknown;
    SoapExceptionId = 0;
    SoapExceptionParameters.clear();
    if (auto* detail = dynamic_cast<const ETvExceptionDetail*>(&e)) {
        SoapExceptionId = detail->ExceptionID;
        SoapExceptionParameters = detail->ExceptionParameters;
    }
}

void TSoapThread::Execute()
{
    SoapError = kErrUnknown;
    SoapExceptionId = 0;
    SoapExceptionParameters.clear();
    FResponseData.reset();

    if (!acquireSlot(false)) {
        SoapError = kErrChannelTimeout;
    } else {
        bool rolledBack = false;
        auto rollback = [&] {
            soapGetComm = newRIO();
            try {
                cms(soapGetComm.get())->rollbackTransaction();
            } catch (...) {
                // The request already failed; a failed rollback adds nothing the user can act on.
            }
            rolledBack = true;
        };
        auto failed = [&](const std::exception& e) {
            takeError(e);
            rollback();
        };
        try {
            if (transactional) {
                transactional = false;
                try {
                    beginTransaction();
                } catch (const std::exception& e) {
                    // Let the window build its empty response before the failure is reported.
                    try {
                        if (FGetCommand)
                            FGetCommand(nullptr, FRequestData.get(), FResponseData, nullptr);
                    } catch (...) {
                        // The failed begin is what the user must hear about.
                    }
                    throw TvpError(kErrBeginTransaction + messageOf(e));
                }
                transactional = true;
                soapGetComm = newRIO();
            }
            if (FGetCommand)
                FGetCommand(soapGetComm.get(), FRequestData.get(), FResponseData, this);
            SoapError.clear();
        } catch (const std::exception& e) {
            failed(e);
        } catch (...) {
            failed(TvpError(kErrUnknown));
        }
        if (transactional && !rolledBack) {
            soapGetComm = newRIO();
            try {
                if (readOnlyTransaction)
                    cms(soapGetComm.get())->rollbackTransaction();
                else
                    cms(soapGetComm.get())->commitTransaction();
            } catch (const std::exception& e) {
                if (readOnlyTransaction)
                    takeError(e);
                else
                    takeError(commitFailure(e));
                // Whatever failed, the transaction must not stay open: the server would hold its
                // write lock until it sweeps idle transactions.
                if (!readOnlyTransaction)
                    rollback();
            } catch (...) {
                takeError(TvpError(kErrUnknown));
                if (!readOnlyTransaction)
                    rollback();
            }
        }
        comm().Semaphore.release();
    }

    try {
        FRequestData.reset();
    } catch (...) {
    }
    if (!handBackStopped())
        handBack();
}

namespace {
int handBackHolds = 0; // GUI thread only
}

THandBackHold::THandBackHold()
{
    ++handBackHolds;
}

THandBackHold::~THandBackHold()
{
    --handBackHolds;
}

void TSoapThread::handBack()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    // The worker object rides along so it lives until the GUI thread is done with it.
    QMetaObject::invokeMethod(
        app, [self = shared_from_this()] { self->deliver(); }, Qt::QueuedConnection);
}

void TSoapThread::deliver()
{
    if (handBackHolds > 0) {
        // Not inside a caller that only lets its window paint; a little later instead.
        QTimer::singleShot(10, QCoreApplication::instance(), [self = shared_from_this()] { self->deliver(); });
        return;
    }
    if (!handBackStopped() && owner_ && FOnFinished)
        guarded([this] {
            FOnFinished(std::move(FResponseData), SoapError, SoapExceptionId, SoapExceptionParameters, FRequestID);
        });
    FResponseData.reset();
    std::lock_guard lock(comm().CSThreadStack);
    --comm().ThreadStackCounter;
}

// ---- program-wide ----

void InitComm()
{
    std::lock_guard lock(comm().CSThreadStack);
    comm().ThreadStackCounter = 0;
    comm().COMM_GlobalShutDown = false;
    comm().COMM_GlobalShutDownTimeout = false;
}

bool commShuttingDown()
{
    std::lock_guard lock(comm().CSThreadStack);
    return comm().COMM_GlobalShutDown;
}

int runningRequestCount()
{
    std::lock_guard lock(comm().CSThreadStack);
    return comm().ThreadStackCounter;
}

void ReqShutDown()
{
    {
        std::lock_guard lock(comm().CSThreadStack);
        comm().COMM_GlobalShutDown = true;
        comm().COMM_GlobalShutDownTimeout = false;
    }
    const auto step = std::chrono::milliseconds(CommTimeouts::shutDownStepMs.load());
    for (int round = 0; round < CommTimeouts::shutDownRounds.load() && runningRequestCount() >= 1; ++round) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(step);
    }
    {
        std::lock_guard lock(comm().CSThreadStack);
        comm().COMM_GlobalShutDownTimeout = true;
    }
    std::this_thread::sleep_for(step);
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(step);
}

void AquireChannel()
{
    if (!acquireSlot(true))
        throw TvpError(kErrChannelTimeout);
}

void ReleaseChannel()
{
    comm().Semaphore.release();
}

} // namespace tvp
