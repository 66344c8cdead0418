#pragma once
// The stand-in's table of operations. Every operation declared in core/protocol/ServiceOperations.h
// is known here with its service; those the stand-in serves have a handler that receives the
// decoded arguments and returns the typed result:
//
//   proto::createCompetitionResponse1 createCompetition(Call& c, const proto::op::createCompetition& a);
//
// and one line in Operations.cpp that names its database access. An operation without handler is
// answered with a fault.

#include "core/protocol/ServiceOperations.h"
#include "core/protocol/SoapCodec.h"
#include "core/protocol/SoapWriter.h"
#include "standin/Database.h"
#include "standin/StandinOptions.h"

#include <pugixml.hpp>

#include <QStringList>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tvp::standin {

class Transactions;
class WebNotifications;

// How an operation outside a client transaction runs: without the database, in a deferred
// transaction that never waits, or in an immediate one that waits for other writers.
enum class Access { None, Read, Write };

// What a handler may use besides its arguments.
struct Call {
    const StandinOptions& options;
    Transactions& transactions;
    // The request's transaction id; the transaction operations change it for the answer.
    std::string& transactionId;
    // The request's session: the one it named when the server knows it, else a new one.
    const std::string& sessionId;
    Db* db = nullptr; // set for Access::Read and Access::Write
    // A record or list result written as text, for the answer's response element.
    std::string resultText;
    // The programs listening for the browser client's notifications; null without a server.
    WebNotifications* notifications = nullptr;

    Db& database() const { return *db; }
};

// A record or list result that its handler wrote as text itself, as codec::writeResult would
// (AnswerText.h): for the long lists whose entries carry the same records again and again.
struct ResultText {
    std::string text;
};

// A refusal the client shows through the server's message table (see ErrorMessages.h).
class ServerError : public std::runtime_error {
public:
    ServerError(int id, QStringList parameters);
    int id;
    QStringList parameters;
};

class OperationTable {
public:
    struct Entry {
        proto::TTVPWebServices service;
        Access access = Access::None;
        // Decodes the operation element, runs the handler and fills the response element; null
        // for an operation the stand-in does not serve.
        void (*run)(Call&, const pugi::xml_node& request, pugi::xml_node response) = nullptr;
    };

    // Every declared operation, none served yet.
    OperationTable();

    // Serves the operation of the handler's argument record with it.
    template <auto Handler>
    void serve(Access access);

    const Entry* find(std::string_view name) const;

private:
    template <class H>
    struct HandlerTraits;
    template <class R, class Op>
    struct HandlerTraits<R (*)(Call&, const Op&)> {
        using Operation = Op;
        using Result = R;
    };

    template <auto Handler>
    static void runTyped(Call& call, const pugi::xml_node& request, pugi::xml_node response);

    std::unordered_map<std::string_view, Entry> entries_;
};

// The stand-in's operations with their handlers.
const OperationTable& operationTable();

// The service named by the last segment of a request's path ("DataRetrievalService").
std::optional<proto::TTVPWebServices> serviceFromName(std::string_view name);

template <auto Handler>
void OperationTable::serve(Access access)
{
    using Op = typename HandlerTraits<decltype(Handler)>::Operation;
    static_assert(proto::Operation<Op> && !Op::isOverload,
                  "serve the first entry of an overloaded operation; both forms arrive as it");
    using Result = typename HandlerTraits<decltype(Handler)>::Result;
    static_assert(std::is_same_v<Result, typename Op::Result> ||
                      (std::is_same_v<Result, ResultText> &&
                       (proto::Record<typename Op::Result> || proto::IsVector<typename Op::Result>::value)),
                  "a handler returns the operation's result type, or a record or list result as text");
    Entry& e = entries_.at(Op::name);
    e.access = access;
    e.run = &runTyped<Handler>;
}

template <auto Handler>
void OperationTable::runTyped(Call& call, const pugi::xml_node& request, pugi::xml_node response)
{
    using Op = typename HandlerTraits<decltype(Handler)>::Operation;
    Op arguments{};
    proto::codec::decodeRecord(request, arguments);
    if constexpr (std::is_void_v<typename Op::Result>) {
        Handler(call, arguments);
    } else if constexpr (std::is_same_v<typename HandlerTraits<decltype(Handler)>::Result, ResultText>) {
        call.resultText = Handler(call, arguments).text;
    } else if constexpr (proto::Record<typename Op::Result> || proto::IsVector<typename Op::Result>::value) {
        // Written as text, not as a document: lists of thousands of records are the answers to
        // save time on.
        proto::codec::writeResult(call.resultText, Handler(call, arguments));
    } else {
        proto::codec::encodeResult(response, Handler(call, arguments), {.omitEmpty = false});
    }
}

} // namespace tvp::standin
