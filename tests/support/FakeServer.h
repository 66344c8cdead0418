#pragma once
// A competition server for tests, typed per operation. It takes the place of HTTP for every SOAP
// call of the program while a FakeServerInstall lives:
//
//   FakeServerInstall fake;
//   fake->on<op::getCompetitions>([](const op::getCompetitions&) { return getCompetitionsResponse1{...}; });
//   fake->answer<op::removeTeam>();                          // an empty answer
//   fake->fault<op::removeTeam>(47, {QStringLiteral("U10")}); // the server refuses
//   ... run the code under test ...
//   fake->callsOf<op::removeTeam>()  // the decoded arguments of each call
//   fake->requests()                 // every request with its session header, in order
//
// Answers are encoded with the project's codec and carry the session header as the stand-in
// writes it: Session always, Transaction from beginTransaction until commit or rollback. A call
// of an operation that the test gave no answer is a test failure, and so is a request that does
// not decode into its declaration.

#include "core/protocol/ServiceOperations.h"
#include "core/protocol/SoapServer.h"
#include "core/protocol/THTTPRIO.h"

#include <gtest/gtest.h>

#include <any>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tvp::test {

// Thrown by an answer handler: the fault the server sends instead of a result.
struct FakeFault {
    int id = 0;
    QStringList parameters;
    QString text; // the fault text; empty gives "Fehler <id>"
};

class FakeServer final : public proto::ISoapTransport {
public:
    struct Request {
        std::string url;
        std::string soapAction;
        std::string operation;
        bool hasSession = false; // false: no Session element in the header
        std::string sessionId;
        std::string transactionId; // nested Session/Transaction/@ID
        std::string body;
        std::any arguments; // the operation's argument record, op::<operation>

        template <proto::Operation Op>
        const Op& args() const
        {
            return std::any_cast<const Op&>(arguments);
        }
    };

    // The session id of every answer.
    std::string sessionId = "S1";

    // Answers each later call of Op with handler(arguments), which returns Op's result or throws
    // FakeFault. Both forms of an overloaded operation arrive as its first entry.
    template <proto::Operation Op, class F>
    void on(F handler)
    {
        static_assert(!Op::isOverload, "answer the first entry of an overloaded operation");
        setReply(Op::name, [handler = std::move(handler)](const Request& r, pugi::xml_node response) {
            if constexpr (std::is_void_v<typename Op::Result>) {
                handler(r.args<Op>());
            } else {
                proto::codec::encodeResult(response, handler(r.args<Op>()), {.omitEmpty = false});
            }
        });
    }

    // Answers each later call of Op with the same result, or with none for an operation without one.
    template <proto::Operation Op>
    void answer()
    {
        static_assert(std::is_void_v<typename Op::Result>, "give the result to answer with");
        on<Op>([](const Op&) {});
    }
    template <proto::Operation Op, class R = typename Op::Result>
    requires(!std::is_void_v<R>) void answer(R result)
    {
        on<Op>([result = std::move(result)](const Op&) { return result; });
    }

    // Refuses each later call of Op with the server's error id and parameters.
    template <proto::Operation Op>
    void fault(int id, QStringList parameters = {}, QString text = {})
    {
        on<Op>([f = FakeFault{id, std::move(parameters), std::move(text)}](const Op&) ->
               typename Op::Result { throw f; });
    }

    // Answers each later call of Op with this HTTP status and text, for answers the codec cannot
    // build: broken XML, unknown elements, HTML error pages.
    template <proto::Operation Op>
    void answerText(long status, std::string body, std::string contentType = {})
    {
        std::lock_guard lock(mutex_);
        replies_[std::string(Op::name)] =
            Reply{nullptr, proto::HttpAnswer{status, std::move(body), std::move(contentType)}};
    }

    // Answers beginTransaction, commitTransaction and rollbackTransaction.
    void acceptTransactions()
    {
        answer<proto::op::beginTransaction>();
        answer<proto::op::commitTransaction>();
        answer<proto::op::rollbackTransaction>();
    }

    std::vector<Request> requests() const
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    Request last() const
    {
        std::lock_guard lock(mutex_);
        if (requests_.empty()) {
            ADD_FAILURE() << "no request yet";
            return {};
        }
        return requests_.back();
    }
    // The operation names of all requests, in order.
    std::vector<std::string> operations() const
    {
        std::lock_guard lock(mutex_);
        std::vector<std::string> out;
        for (const Request& r : requests_)
            out.push_back(r.operation);
        return out;
    }
    // The arguments of each call of Op, in order.
    template <proto::Operation Op>
    std::vector<Op> callsOf() const
    {
        static_assert(!Op::isOverload, "both forms of an overloaded operation arrive as its first entry");
        std::lock_guard lock(mutex_);
        std::vector<Op> out;
        for (const Request& r : requests_)
            if (r.operation == Op::name)
                out.push_back(r.args<Op>());
        return out;
    }
    void clearRequests()
    {
        std::lock_guard lock(mutex_);
        requests_.clear();
    }

    proto::HttpAnswer post(const std::string& url, const std::string& soapAction, const std::string& body) override
    {
        Request r{url, soapAction, {}, false, {}, {}, body, {}};
        pugi::xml_document doc;
        if (!proto::parseRequest(doc, body)) {
            ADD_FAILURE() << "the request is no XML: " << body;
            return refuse(r, "kein XML");
        }
        const proto::RequestHeader header = proto::readRequestHeader(doc);
        EXPECT_TRUE(header.problem.isEmpty()) << header.problem.toStdString();
        r.hasSession =
            proto::codec::childIn(proto::codec::childIn(doc.document_element(), "Header", proto::wire::kEnvelopeNs),
                                  "Session", proto::wire::kHeaderNs);
        r.sessionId = header.sessionId;
        r.transactionId = header.transactionId;
        const pugi::xml_node element = proto::codec::bodyElement(doc);
        r.operation = element ? proto::codec::localName(element) : "";

        const Declared* declared = declaration(r.operation);
        if (!declared) {
            ADD_FAILURE() << "no such operation: " << r.operation;
            return refuse(r, "unbekannte Operation");
        }
        const std::string ns(proto::serviceNamespace(declared->service));
        EXPECT_EQ(proto::codec::namespaceOf(element), ns) << r.operation;
        EXPECT_EQ(soapAction, ns + r.operation);
        try {
            r.arguments = declared->decode(element);
        } catch (const std::exception& e) {
            ADD_FAILURE() << r.operation << " does not decode into its declaration: " << e.what();
            return refuse(r, "unlesbar");
        }

        Reply reply;
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(r);
            if (auto it = replies_.find(r.operation); it != replies_.end())
                reply = it->second;
        }
        if (reply.text)
            return *reply.text;
        if (!reply.write) {
            ADD_FAILURE() << "the test gave no answer for " << r.operation;
            return refuse(r, "keine Antwort vorgesehen");
        }
        const std::string transaction = answerTransaction(r);
        try {
            pugi::xml_document answer;
            const pugi::xml_node response = proto::makeAnswer(answer, declared->service, r.operation);
            reply.write(r, response);
            proto::writeAnswerHeader(answer, sessionId, transaction);
            return {200, proto::codec::serialize(answer)};
        } catch (const FakeFault& f) {
            const proto::FaultDetail detail{f.id, f.parameters};
            const QString text = f.text.isEmpty() ? QStringLiteral("Fehler %1").arg(f.id) : f.text;
            return {500, proto::faultAnswer(text, &detail, sessionId, r.transactionId)};
        }
    }

private:
    struct Declared {
        proto::TTVPWebServices service;
        std::any (*decode)(const pugi::xml_node& element);
    };
    struct Reply {
        std::function<void(const Request&, pugi::xml_node response)> write;
        std::optional<proto::HttpAnswer> text;
    };

    static const Declared* declaration(const std::string& name)
    {
        static const std::map<std::string, Declared, std::less<>> all = [] {
            std::map<std::string, Declared, std::less<>> m;
            proto::forEachOperation([&]<proto::Operation Op>() {
                // An overload arrives as its first entry, which is already there.
                m.emplace(std::string(Op::name), Declared{Op::service, [](const pugi::xml_node& e) -> std::any {
                                                              Op arguments{};
                                                              proto::codec::decodeRecord(e, arguments);
                                                              return arguments;
                                                          }});
            });
            return m;
        }();
        auto it = all.find(name);
        return it == all.end() ? nullptr : &it->second;
    }

    void setReply(std::string_view name, std::function<void(const Request&, pugi::xml_node)> write)
    {
        std::lock_guard lock(mutex_);
        replies_[std::string(name)] = Reply{std::move(write), std::nullopt};
    }

    // As a server keeps it: a new one from beginTransaction, none after commit or rollback.
    std::string answerTransaction(const Request& r)
    {
        if (r.operation == "beginTransaction") {
            std::lock_guard lock(mutex_);
            return "T" + std::to_string(++transactionCount_);
        }
        if (r.operation == "commitTransaction" || r.operation == "rollbackTransaction")
            return {};
        return r.transactionId;
    }

    proto::HttpAnswer refuse(const Request& r, const char* why)
    {
        return {500, proto::faultAnswer(QStringLiteral("Testserver: %1").arg(QString::fromUtf8(why)), nullptr,
                                        sessionId, r.transactionId)};
    }

    mutable std::mutex mutex_;
    std::map<std::string, Reply, std::less<>> replies_;
    std::vector<Request> requests_;
    int transactionCount_ = 0;
};

// Puts a fake server in the place of HTTP for all SOAP calls while it lives.
class FakeServerInstall {
public:
    FakeServerInstall() { proto::setSoapTransport(fake_); }
    ~FakeServerInstall() { proto::setSoapTransport(nullptr); }
    FakeServerInstall(const FakeServerInstall&) = delete;
    FakeServerInstall& operator=(const FakeServerInstall&) = delete;

    FakeServer* operator->() const { return fake_.get(); }
    FakeServer& operator*() const { return *fake_; }

private:
    std::shared_ptr<FakeServer> fake_ = std::make_shared<FakeServer>();
};

} // namespace tvp::test
