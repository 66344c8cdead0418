#pragma once
// The stand-in competition server: HTTP on one port, the SOAP services under
// /TrivantaPentrel/services/<Service>, data in one SQLite file. Runs until destroyed.

#include "standin/Dispatcher.h"
#include "standin/SlowClients.h"
#include "standin/StandinOptions.h"
#include "standin/Transactions.h"
#include "standin/WebNotifications.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

struct mg_context;
struct mg_connection;

namespace tvp::standin {

class StandinServer {
public:
    // Opens the data file and starts listening; throws std::runtime_error when either fails.
    explicit StandinServer(StandinOptions options);
    ~StandinServer();
    StandinServer(const StandinServer&) = delete;
    StandinServer& operator=(const StandinServer&) = delete;

    // The port actually listened on (useful with port 0).
    int port() const;

    // For tests: the transactions and sessions the server keeps, and the programs listening for
    // notifications.
    Transactions& transactions() { return transactions_; }
    WebNotifications& notifications() { return notifications_; }
    // For tests: the server slowed (or sped up again) while it runs, as --answer-delay-ms does.
    void setAnswerDelay(std::chrono::milliseconds delay) { answerDelayMs_ = int(delay.count()); }
    // For tests: while held, requests wait before they are served, until released; so a test decides
    // what happens before an answer comes rather than racing a slowed server.
    void holdAnswers(bool hold);
    // While held: the request that has waited longest goes on, the others and those to come wait.
    void releaseOneAnswer();
    // Requests waiting so.
    int heldRequests() const;

private:
    static int onService(mg_connection* conn, void* self);
    int serve(mg_connection* conn);

    struct StopHttp {
        void operator()(mg_context* ctx) const;
    };

    const StandinOptions options_;
    ConnectionPool connections_;
    Transactions transactions_;
    Dispatcher dispatcher_;
    SlowClients slowClients_;
    WebNotifications notifications_;
    std::atomic<int> answerDelayMs_;
    mutable std::mutex holdMutex_;
    std::condition_variable released_;
    bool holding_ = false;
    // Held requests take turns: each waits until those before it and itself are let go.
    std::uint64_t heldArrived_ = 0;
    std::uint64_t heldLetGo_ = 0;
    std::unique_ptr<mg_context, StopHttp> http_; // last: stops before what its handlers use
};

} // namespace tvp::standin
