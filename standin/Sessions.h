#pragma once
// The sessions the server has handed out. A request names its session in the SOAP header; a name
// the server does not know (never handed out, or forgotten) counts as no session and the answer
// brings a new one. Only sessions without open transactions are forgotten, the least recently
// used first, once more than the capacity are known.

#include <cstddef>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>

namespace tvp::standin {

// A new id for a session or a transaction: 128 bits straight from the operating system's random
// source, so no id tells anything about the next.
std::string randomId();

class Sessions {
public:
    explicit Sessions(std::size_t capacity);
    Sessions(const Sessions&) = delete;
    Sessions& operator=(const Sessions&) = delete;

    // The session of a request that names `claimed`: that one when the server knows it, else a new one.
    std::string resolve(const std::string& claimed);
    bool known(const std::string& id) const;

    // While pinned (once per open transaction) a session is never forgotten.
    void pin(const std::string& id);
    void unpin(const std::string& id);

    std::size_t size() const;

private:
    struct Entry {
        int pins = 0;
        std::list<std::string>::iterator lru; // valid while pins == 0
    };
    void forgetBeyondCapacity();

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
    std::list<std::string> lru_; // unpinned sessions, most recently used first
};

} // namespace tvp::standin
