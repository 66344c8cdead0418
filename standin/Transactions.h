#pragma once
// Open client transactions: each holds its own connection until commit, rollback or the idle sweep.

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

private:
    struct Open {
        Open(ConnectionPool& connections, bool ro) : db(connections.take()), readonly(ro) {}
        std::mutex busy; // held while a request uses the connection
        ConnectionPool::Lease db; // rolled back when dropped open
        bool readonly;
        bool closed = false;
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
