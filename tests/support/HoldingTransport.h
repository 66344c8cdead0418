#pragma once
// The program's road to the stand-in, where a test holds a request until it lets it go, and may
// have it never reach the server or lose its answer on the way back, as a network that fails does:
//
//   auto transport = std::make_shared<HoldingTransport>();
//   proto::setSoapTransport(transport);
//   const int commit = transport->hold("commitTransaction", true, false); // reaches, answer lost
//   ... waitUntil([&] { return transport->held(commit); }) ... transport->release(commit);

#include "core/protocol/Errors.h"
#include "core/protocol/THTTPRIO.h"

#include <atomic>
#include <condition_variable>
#include <iterator>
#include <list>
#include <memory>
#include <mutex>
#include <string>

namespace tvp::test {

class HoldingTransport : public proto::ISoapTransport {
public:
    proto::HttpAnswer post(const std::string& url, const std::string& action, const std::string& body) override
    {
        return forward(url, action, std::string(body), 0);
    }
    proto::HttpAnswer post(const std::string& url, const std::string& action, const std::string& body,
                           long totalTimeoutMs) override
    {
        return forward(url, action, std::string(body), totalTimeoutMs);
    }
    proto::HttpAnswer send(const std::string& url, const std::string& action, std::string&& body,
                           long totalTimeoutMs) override
    {
        return forward(url, action, std::move(body), totalTimeoutMs);
    }

    // The next request that names the operation waits until released; then it reaches the server
    // or not, and its answer comes back or not. Returns the rule's number.
    int hold(const std::string& operation, bool reaches, bool answered)
    {
        std::lock_guard lock(mutex_);
        rules_.push_back({operation, reaches, answered});
        return int(rules_.size()) - 1;
    }
    bool held(int rule)
    {
        std::lock_guard lock(mutex_);
        return std::next(rules_.begin(), rule)->held;
    }
    // The read-write transactions begun.
    std::atomic<int> writers = 0;

    void release(int rule)
    {
        {
            std::lock_guard lock(mutex_);
            std::next(rules_.begin(), rule)->released = true;
        }
        wake_.notify_all();
    }

private:
    struct Rule {
        std::string operation;
        bool reaches = true;
        bool answered = true;
        bool taken = false;
        bool held = false;
        bool released = false;
    };
    proto::HttpAnswer forward(const std::string& url, const std::string& action, std::string body, long timeoutMs)
    {
        if (body.find("beginTransaction") != std::string::npos && body.find(">false<") != std::string::npos)
            ++writers;
        std::unique_lock lock(mutex_);
        const auto rule = std::ranges::find_if(
            rules_, [&](const Rule& r) { return !r.taken && body.find(r.operation) != std::string::npos; });
        if (rule == rules_.end()) {
            lock.unlock();
            return real_->send(url, action, std::move(body), timeoutMs);
        }
        rule->taken = rule->held = true;
        wake_.wait(lock, [&] { return rule->released; });
        const Rule r = *rule;
        lock.unlock();
        proto::HttpAnswer answer;
        if (r.reaches)
            answer = real_->send(url, action, std::move(body), timeoutMs);
        if (!r.answered)
            throw ESoapTransportError(QStringLiteral("Verbindung zum Server fehlgeschlagen: Verbindung getrennt."));
        return answer;
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::list<Rule> rules_;
    std::shared_ptr<proto::ISoapTransport> real_ = proto::curlSoapTransport();
};

} // namespace tvp::test
