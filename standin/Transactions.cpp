#include "standin/Transactions.h"

#include "standin/ErrorMessages.h"
#include "standin/Operations.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tvp::standin {

namespace {

ServerError notOpen(const std::string& id)
{
    return ServerError(errors::TransactionNotFound, {QString::fromStdString(id)});
}

} // namespace

Transactions::Transactions(ConnectionPool& connections, const StandinOptions& options)
    : connections_(connections),
      options_(options),
      sessions_(options.maxSessions),
      waitingRoom_(options.maxWaiting()),
      gate_(waitingRoom_, options.writeWait),
      sweeper_([this] { sweepLoop(); })
{
}

Transactions::~Transactions()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    sweeper_.join();
    open_.clear(); // each rolls back as it goes
}

std::string Transactions::begin(const std::string& session, bool readonly)
{
    {
        std::lock_guard lock(mutex_);
        // Writers waiting at the gate hold nothing yet and are bounded by the waiting room; the
        // one past it may make the open ones one more than the cap.
        if (int(open_.size()) + openingReadOnly_ >= options_.maxTransactions)
            throw gate_.busy();
        int& mine = perSession_[session];
        if (mine >= options_.maxTransactionsPerSession) {
            if (mine == 0)
                perSession_.erase(session);
            throw ServerError(errors::TooManyTransactions, {QString::number(options_.maxTransactionsPerSession)});
        }
        ++mine;
        openingReadOnly_ += readonly;
        sessions_.pin(session);
    }
    try {
        auto t = std::make_shared<Open>(session, readonly);
        // The gate before the connection: a writer in the queue holds no descriptors.
        if (!readonly)
            t->pass = gate_.enter();
        t->db = connections_.take();
        if (readonly) {
            // Deferred, so it never waits for a writer; query-only, so it cannot become one.
            t->db->exec("BEGIN");
            t->db->setQueryOnly(true);
        } else {
            t->db->exec("BEGIN IMMEDIATE");
        }
        std::string id = randomId();
        std::lock_guard lock(mutex_);
        openingReadOnly_ -= readonly;
        open_.emplace(id, std::move(t));
        return id;
    } catch (...) {
        std::lock_guard lock(mutex_);
        openingReadOnly_ -= readonly;
        forget(session);
        throw;
    }
}

void Transactions::forget(const std::string& session)
{
    auto it = perSession_.find(session);
    if (it != perSession_.end() && --it->second <= 0)
        perSession_.erase(it);
    sessions_.unpin(session);
}

std::shared_ptr<Transactions::Open> Transactions::detach(OpenMap::iterator it)
{
    auto t = std::move(it->second);
    open_.erase(it);
    forget(t->session);
    return t;
}

std::shared_ptr<Transactions::Open> Transactions::take(const std::string& id, const std::string& session)
{
    std::lock_guard lock(mutex_);
    auto it = open_.find(id);
    if (it == open_.end() || it->second->session != session)
        return nullptr;
    return detach(it);
}

bool Transactions::finish(const std::string& id, const std::string& session, bool commit)
{
    auto t = take(id, session);
    if (!t)
        return false;
    std::lock_guard busy(t->busy);
    t->closed = true;
    t->db->exec(commit && !t->readonly ? "COMMIT" : "ROLLBACK");
    return true;
}

bool Transactions::commit(const std::string& id, const std::string& session)
{
    return finish(id, session, true);
}

bool Transactions::rollback(const std::string& id, const std::string& session)
{
    return finish(id, session, false);
}

std::size_t Transactions::openCount()
{
    std::lock_guard lock(mutex_);
    return open_.size();
}

Transactions::Hold::Hold(Transactions* owner, std::shared_ptr<Open> open) : owner_(owner), open_(std::move(open))
{
}

Transactions::Hold::Hold(Hold&& other) noexcept
    : owner_(std::exchange(other.owner_, nullptr)), open_(std::move(other.open_))
{
}

Transactions::Hold& Transactions::Hold::operator=(Hold&& other) noexcept
{
    if (this != &other) {
        release();
        owner_ = std::exchange(other.owner_, nullptr);
        open_ = std::move(other.open_);
    }
    return *this;
}

Transactions::Hold::~Hold()
{
    release();
}

bool Transactions::Hold::readonly() const
{
    return open_ && open_->readonly;
}

void Transactions::Hold::release()
{
    if (!open_)
        return;
    std::lock_guard lock(owner_->mutex_);
    --open_->inFlight;
    open_->lastUse = std::chrono::steady_clock::now();
    open_.reset();
}

Transactions::Hold Transactions::hold(const std::string& id, const std::string& session)
{
    std::lock_guard lock(mutex_);
    auto it = open_.find(id);
    // Another session's transaction reads as unknown, so its id cannot be probed.
    if (it == open_.end() || it->second->session != session)
        return {};
    ++it->second->inFlight;
    return Hold(this, it->second);
}

void Transactions::run(const Hold& held, const std::string& id, const std::function<void(Db&)>& work)
{
    if (!held)
        throw notOpen(id);
    Open& t = *held.open_;
    // Only a client that sends several requests of one transaction at once meets a busy
    // connection; its waiting takes a seat like a waiting writer.
    if (!t.busy.try_lock()) {
        const WaitingRoom::Seat seat = waitingRoom_.take();
        if (!t.busy.try_lock_for(options_.writeWait))
            throw gate_.busy();
    }
    std::unique_lock busy(t.busy, std::adopt_lock);
    // Committed or rolled back by another request while this one waited for the connection.
    if (t.closed)
        throw notOpen(id);
    // A savepoint keeps a failed operation from leaving half its changes in the transaction.
    t.db->exec("SAVEPOINT operation");
    // Answered or refused, the lock holder has moved on: writers waiting behind it hear so.
    struct Moved {
        WriteGate& gate;
        bool writer;
        ~Moved()
        {
            if (writer)
                gate.moved();
        }
    } moved{gate_, !t.readonly};
    try {
        work(*t.db);
        t.db->exec("RELEASE operation");
    } catch (...) {
        t.db->exec("ROLLBACK TO operation");
        t.db->exec("RELEASE operation");
        throw;
    }
}

void Transactions::sweepLoop()
{
    using namespace std::chrono;
    const milliseconds shortest = std::min(options_.txIdle, options_.txIdleReadOnly);
    const auto period = std::clamp<milliseconds>(shortest / 4, milliseconds(10), seconds(1));
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, period, [this] { return stopping_; })) {
        std::vector<std::shared_ptr<Open>> abandoned;
        const auto now = steady_clock::now();
        for (auto it = open_.begin(); it != open_.end();) {
            const Open& t = *it->second;
            const milliseconds limit = t.readonly ? options_.txIdleReadOnly : options_.txIdle;
            // Nobody can reach a transaction without a hold, so one without holds is unused.
            if (t.inFlight == 0 && now - t.lastUse > limit) {
                auto next = std::next(it);
                abandoned.push_back(detach(it));
                it = next;
            } else {
                ++it;
            }
        }
        lock.unlock();
        abandoned.clear(); // they roll back as they go, outside the lock
        lock.lock();
    }
}

} // namespace tvp::standin
