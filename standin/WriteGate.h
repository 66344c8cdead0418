#pragma once
// Writers take SQLite's write lock one after the other, in the order they asked, through this gate
// instead of SQLite's busy loop. A waiting request holds a worker thread, so only so many may wait
// at once (the others are refused at once with "Server ausgelastet") and none waits longer than
// the limit: the lock holder's own next request must always find a thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>

namespace tvp::standin {

class ServerError;

// The worker threads that may wait at once, for the write lock or for their transaction's
// connection.
class WaitingRoom {
public:
    explicit WaitingRoom(int capacity);
    WaitingRoom(const WaitingRoom&) = delete;
    WaitingRoom& operator=(const WaitingRoom&) = delete;

    class Seat {
    public:
        Seat() = default;
        Seat(Seat&& other) noexcept;
        Seat& operator=(Seat&& other) noexcept;
        ~Seat();

    private:
        friend class WaitingRoom;
        explicit Seat(WaitingRoom* room) : room_(room) {}
        WaitingRoom* room_ = nullptr;
    };
    // Throws the refusal "Server ausgelastet" when every seat is taken.
    Seat take();
    int waiting() const;

private:
    const int capacity_;
    mutable std::mutex mutex_;
    int taken_ = 0;
};

class WriteGate {
public:
    WriteGate(WaitingRoom& room, std::chrono::milliseconds maxWait);
    WriteGate(const WriteGate&) = delete;
    WriteGate& operator=(const WriteGate&) = delete;

    // Holds the gate until it is dropped.
    class Pass {
    public:
        Pass() = default;
        Pass(Pass&& other) noexcept;
        Pass& operator=(Pass&& other) noexcept;
        ~Pass();
        explicit operator bool() const { return gate_ != nullptr; }

    private:
        friend class WriteGate;
        explicit Pass(WriteGate* gate) : gate_(gate) {}
        void release();
        WriteGate* gate_ = nullptr;
    };
    // Waits for the gate in turn; throws the refusal "Server ausgelastet" when no seat is free in
    // the waiting room or the gate does not open within the limit.
    Pass enter();

    // The writers' progress: a write request answered inside a transaction, or the gate passed on.
    void moved() { moves_.fetch_add(1, std::memory_order_relaxed); }
    // "Server ausgelastet" with the progress as its one parameter: a client turned away twice tells
    // by it whether the others' writes move on meanwhile, and waits on while they do.
    ServerError busy() const;

private:
    struct Waiter {
        std::condition_variable wake;
        bool granted = false;
    };
    void release();

    WaitingRoom& room_;
    const std::chrono::milliseconds maxWait_;
    std::mutex mutex_;
    bool held_ = false;
    std::list<Waiter*> queue_; // first come, first through
    std::atomic<std::uint64_t> moves_{0};
};

} // namespace tvp::standin
