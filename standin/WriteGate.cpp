#include "standin/WriteGate.h"

#include "standin/ErrorMessages.h"
#include "standin/Operations.h"

#include <utility>

namespace tvp::standin {

WaitingRoom::WaitingRoom(int capacity) : capacity_(capacity)
{
}

WaitingRoom::Seat WaitingRoom::take()
{
    std::lock_guard lock(mutex_);
    if (taken_ >= capacity_)
        throw ServerError(errors::ServerBusy, {});
    ++taken_;
    return Seat(this);
}

int WaitingRoom::waiting() const
{
    std::lock_guard lock(mutex_);
    return taken_;
}

WaitingRoom::Seat::Seat(Seat&& other) noexcept : room_(std::exchange(other.room_, nullptr))
{
}

WaitingRoom::Seat& WaitingRoom::Seat::operator=(Seat&& other) noexcept
{
    if (this != &other) {
        Seat gone(std::move(*this));
        room_ = std::exchange(other.room_, nullptr);
    }
    return *this;
}

WaitingRoom::Seat::~Seat()
{
    if (!room_)
        return;
    std::lock_guard lock(room_->mutex_);
    --room_->taken_;
}

WriteGate::WriteGate(WaitingRoom& room, std::chrono::milliseconds maxWait) : room_(room), maxWait_(maxWait)
{
}

ServerError WriteGate::busy() const
{
    return ServerError(errors::ServerBusy, {QString::number(moves_.load(std::memory_order_relaxed))});
}

WriteGate::Pass WriteGate::enter()
{
    std::unique_lock lock(mutex_);
    if (!held_ && queue_.empty()) {
        held_ = true;
        return Pass(this);
    }
    lock.unlock();
    WaitingRoom::Seat seat;
    try {
        seat = room_.take();
    } catch (const ServerError&) {
        throw busy();
    }
    lock.lock();
    if (!held_ && queue_.empty()) { // opened meanwhile
        held_ = true;
        return Pass(this);
    }
    Waiter me;
    const auto place = queue_.insert(queue_.end(), &me);
    // A waiter is handed the gate by release(), so a late wake-up finds it already granted.
    if (!me.wake.wait_for(lock, maxWait_, [&] { return me.granted; })) {
        queue_.erase(place);
        throw busy();
    }
    return Pass(this);
}

void WriteGate::release()
{
    moved();
    std::lock_guard lock(mutex_);
    if (queue_.empty()) {
        held_ = false;
        return;
    }
    Waiter* next = queue_.front();
    queue_.pop_front();
    next->granted = true;
    next->wake.notify_one();
}

WriteGate::Pass::Pass(Pass&& other) noexcept : gate_(std::exchange(other.gate_, nullptr))
{
}

WriteGate::Pass& WriteGate::Pass::operator=(Pass&& other) noexcept
{
    if (this != &other) {
        release();
        gate_ = std::exchange(other.gate_, nullptr);
    }
    return *this;
}

WriteGate::Pass::~Pass()
{
    release();
}

void WriteGate::Pass::release()
{
    if (auto* gate = std::exchange(gate_, nullptr))
        gate->release();
}

} // namespace tvp::standin
