#include "standin/Transactions.h"

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

namespace tvp::standin {

std::string randomId()
{
    static std::mutex m;
    static std::mt19937_64 gen{std::random_device{}()};
    std::lock_guard lock(m);
    static const char* digits = "0123456789abcdef";
    std::string id;
    for (int part = 0; part < 2; ++part) {
        std::uint64_t v = gen();
        for (int i = 0; i < 16; ++i, v >>= 4)
            id += digits[v & 15];
    }
    return id;
}

Transactions::Transactions(ConnectionPool& connections, std::chrono::milliseconds idleLimit)
    : connections_(connections), idleLimit_(idleLimit), sweeper_([this] { sweepLoop(); })
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

std::string Transactions::begin(bool readonly)
{
    auto t = std::make_shared<Open>(connections_, readonly);
    // Read-only ones start deferred so they never wait for a writer.
    t->db->exec(readonly ? "BEGIN" : "BEGIN IMMEDIATE");
    std::string id = randomId();
    std::lock_guard lock(mutex_);
    open_.emplace(id, std::move(t));
    return id;
}

std::shared_ptr<Transactions::Open> Transactions::take(const std::string& id)
{
    std::lock_guard lock(mutex_);
    auto it = open_.find(id);
    if (it == open_.end())
        return nullptr;
    auto t = std::move(it->second);
    open_.erase(it);
    return t;
}

bool Transactions::finish(const std::string& id, bool commit)
{
    auto t = take(id);
    if (!t)
        return false;
    std::lock_guard busy(t->busy);
    t->closed = true;
    t->db->exec(commit && !t->readonly ? "COMMIT" : "ROLLBACK");
    return true;
}

bool Transactions::commit(const std::string& id)
{
    return finish(id, true);
}
void Transactions::rollback(const std::string& id)
{
    finish(id, false);
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

void Transactions::Hold::release()
{
    if (!open_)
        return;
    std::lock_guard lock(owner_->mutex_);
    --open_->inFlight;
    open_->lastUse = std::chrono::steady_clock::now();
    open_.reset();
}

Transactions::Hold Transactions::hold(const std::string& id)
{
    std::lock_guard lock(mutex_);
    auto it = open_.find(id);
    if (it == open_.end())
        return {};
    ++it->second->inFlight;
    return Hold(this, it->second);
}

bool Transactions::run(const std::string& id, const std::function<void(Db&)>& work)
{
    const Hold h = hold(id);
    if (!h)
        return false;
    Open& t = *h.open_;
    std::lock_guard busy(t.busy);
    // Committed or rolled back by another request while this one waited for the connection.
    if (t.closed)
        return false;
    // A savepoint keeps a failed operation from leaving half its changes in the transaction.
    t.db->exec("SAVEPOINT operation");
    try {
        work(*t.db);
        t.db->exec("RELEASE operation");
    } catch (...) {
        t.db->exec("ROLLBACK TO operation");
        t.db->exec("RELEASE operation");
        throw;
    }
    return true;
}

void Transactions::sweepLoop()
{
    using namespace std::chrono;
    const auto period = std::clamp<milliseconds>(idleLimit_ / 4, milliseconds(10), seconds(1));
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, period, [this] { return stopping_; })) {
        std::vector<std::shared_ptr<Open>> abandoned;
        const auto now = steady_clock::now();
        for (auto it = open_.begin(); it != open_.end();) {
            // Nobody can reach a transaction without a hold, so one without holds is unused.
            if (it->second->inFlight == 0 && now - it->second->lastUse > idleLimit_) {
                abandoned.push_back(std::move(it->second));
                it = open_.erase(it);
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
