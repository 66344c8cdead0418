#include "standin/Sessions.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace tvp::standin {

std::string randomId()
{
    std::uint8_t bytes[16];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("Keine Zufallszahlen vom Betriebssystem.");
        }
        got += std::size_t(n);
    }
    static const char* digits = "0123456789abcdef";
    std::string id;
    id.reserve(2 * sizeof bytes);
    for (std::uint8_t b : bytes) {
        id += digits[b >> 4];
        id += digits[b & 15];
    }
    return id;
}

Sessions::Sessions(std::size_t capacity) : capacity_(capacity < 1 ? 1 : capacity)
{
}

std::string Sessions::resolve(const std::string& claimed)
{
    std::lock_guard lock(mutex_);
    if (!claimed.empty()) {
        auto it = entries_.find(claimed);
        if (it != entries_.end()) {
            if (it->second.pins == 0)
                lru_.splice(lru_.begin(), lru_, it->second.lru);
            return claimed;
        }
    }
    std::string id = randomId();
    lru_.push_front(id);
    entries_.emplace(id, Entry{0, lru_.begin()});
    forgetBeyondCapacity();
    return id;
}

bool Sessions::known(const std::string& id) const
{
    std::lock_guard lock(mutex_);
    return entries_.count(id) != 0;
}

void Sessions::pin(const std::string& id)
{
    std::lock_guard lock(mutex_);
    auto [it, added] = entries_.try_emplace(id);
    Entry& e = it->second;
    if (!added && e.pins == 0)
        lru_.erase(e.lru);
    ++e.pins;
    if (added)
        forgetBeyondCapacity();
}

void Sessions::unpin(const std::string& id)
{
    std::lock_guard lock(mutex_);
    auto it = entries_.find(id);
    if (it == entries_.end() || it->second.pins == 0)
        return;
    if (--it->second.pins == 0) {
        lru_.push_front(id);
        it->second.lru = lru_.begin();
        forgetBeyondCapacity();
    }
}

std::size_t Sessions::size() const
{
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void Sessions::forgetBeyondCapacity()
{
    // Pinned sessions are not in the list; the one just used stays whatever happens.
    while (entries_.size() > capacity_ && lru_.size() > 1) {
        entries_.erase(lru_.back());
        lru_.pop_back();
    }
}

} // namespace tvp::standin
