#pragma once
// Open client transactions: each holds its own connection until commit, rollback or the idle sweep.
// A transaction with a request on its way is never swept, however long that request takes.

#include "standin/Database.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

namespace tvp::standin {

class Transactions {
    struct Open;

public:
    Transactions(ConnectionPool& connections, std::chrono::milliseconds idleLimit);
    ~Transactions(); // rolls back everything still open
    Transactions(const Transactions&) = delete;
    Transactions& operator=(const Transactions&) = delete;

    // Opens a transaction and returns its new id; a writer waits for other writers.
    std::string begin(bool readonly);
    // A read-only transaction is rolled back even here. False for an id that is not open.
    bool commit(const std::string& id);
    void rollback(const std::string& id);
    // Runs work on the transaction's connection as one unit; false when the id is not open.
    bool run(const std::string& id, const std::function<void(Db&)>& work);

    // A request of the transaction is on its way: while a Hold lives, the transaction is not
    // swept, and its idle time starts again when the last one ends.
    class Hold {
    public:
        Hold() = default;
        Hold(Hold&& other) noexcept;
        Hold& operator=(Hold&& other) noexcept;
        ~Hold();
        // False when the id was not open.
        explicit operator bool() const { return open_ != nullptr; }

    private:
        friend class Transactions;
        Hold(Transactions* owner, std::shared_ptr<Open> open);
        void release();
        Transactions* owner_ = nullptr;
        std::shared_ptr<Open> open_;
    };
    Hold hold(const std::string& id);

private:
    struct Open {
        Open(ConnectionPool& connections, bool ro) : db(connections.take()), readonly(ro) {}
        std::mutex busy;          // held while a request uses the connection
        ConnectionPool::Lease db; // rolled back when dropped open
        bool readonly;
        bool closed = false; // under busy: committed or rolled back
        // Under Transactions::mutex_:
        int inFlight = 0;
        std::chrono::steady_clock::time_point lastUse = std::chrono::steady_clock::now();
    };
    std::shared_ptr<Open> take(const std::string& id);
    bool finish(const std::string& id, bool commit);
    void sweepLoop();

    ConnectionPool& connections_;
    const std::chrono::milliseconds idleLimit_;
    std::mutex mutex_;
    std::unordered_map<std::string, std::shared_ptr<Open>> open_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread sweeper_;
};

// A random text id for sessions and transactions.
std::string randomId();

} // namespace tvp::standin
