#pragma once
// Open client transactions: each belongs to the session that began it and holds its own
// connection until commit, rollback or the idle sweep. A transaction with a request on its way is
// never swept, however long that request takes. Writers take the write gate before SQLite's lock,
// so waiting for it never takes every worker thread. How many may be open is capped per session
// and in total, so descriptors and memory stay bounded whatever clients do.

#include "standin/Database.h"
#include "standin/Sessions.h"
#include "standin/StandinOptions.h"
#include "standin/WriteGate.h"

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
    Transactions(ConnectionPool& connections, const StandinOptions& options);
    ~Transactions(); // rolls back everything still open
    Transactions(const Transactions&) = delete;
    Transactions& operator=(const Transactions&) = delete;

    Sessions& sessions() { return sessions_; }
    // Writes outside a client transaction pass the same gate.
    WriteGate& writeGate() { return gate_; }

    // Opens a transaction of the session and returns its new id; a writer waits at the gate.
    // Throws ServerError when the caps are reached or the gate does not open in time.
    std::string begin(const std::string& session, bool readonly);
    // False for an id that is not an open transaction of the session. A read-only transaction is
    // rolled back even here.
    bool commit(const std::string& id, const std::string& session);
    bool rollback(const std::string& id, const std::string& session);

    // A request of the transaction is on its way: while a Hold lives, the transaction is not
    // swept, and its idle time starts again when the last one ends.
    class Hold {
    public:
        Hold() = default;
        Hold(Hold&& other) noexcept;
        Hold& operator=(Hold&& other) noexcept;
        ~Hold();
        // False when the id was not an open transaction of the session.
        explicit operator bool() const { return open_ != nullptr; }
        bool readonly() const;

    private:
        friend class Transactions;
        Hold(Transactions* owner, std::shared_ptr<Open> open);
        void release();
        Transactions* owner_ = nullptr;
        std::shared_ptr<Open> open_;
    };
    Hold hold(const std::string& id, const std::string& session);

    // Runs work on the held transaction's connection as one unit (a failure undoes only its own
    // changes). Throws ServerError when the transaction has ended meanwhile or another request of
    // it keeps its connection too long.
    void run(const Hold& held, const std::string& id, const std::function<void(Db&)>& work);

    std::size_t openCount();
    // Requests waiting now for the write gate or for their transaction's connection.
    int waiting() const { return waitingRoom_.waiting(); }

private:
    struct Open {
        Open(std::string s, bool ro) : session(std::move(s)), readonly(ro) {}
        const std::string session;
        const bool readonly;
        WriteGate::Pass pass;     // writers only; released after the connection has rolled back
        ConnectionPool::Lease db; // rolled back when dropped open
        std::timed_mutex busy;    // held while a request uses the connection
        bool closed = false;      // under busy: committed or rolled back
        // Under Transactions::mutex_:
        int inFlight = 0;
        std::chrono::steady_clock::time_point lastUse = std::chrono::steady_clock::now();
    };
    using OpenMap = std::unordered_map<std::string, std::shared_ptr<Open>>;

    std::shared_ptr<Open> take(const std::string& id, const std::string& session);
    bool finish(const std::string& id, const std::string& session, bool commit);
    // Under mutex_: counts a transaction of the session as gone.
    void forget(const std::string& session);
    std::shared_ptr<Open> detach(OpenMap::iterator it);
    void sweepLoop();

    ConnectionPool& connections_;
    const StandinOptions& options_;
    Sessions sessions_;
    WaitingRoom waitingRoom_;
    WriteGate gate_;
    std::mutex mutex_;
    OpenMap open_;
    std::unordered_map<std::string, int> perSession_; // open and being opened
    int openingReadOnly_ = 0;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread sweeper_;
};

} // namespace tvp::standin
