#pragma once
// The operation table: each SOAP operation the stand-in answers is one small handler function.
// To add one: write the handler (decode with arguments<>, answer with reply), declare it in
// Handlers.h and add its line to the table in Operations.cpp.

#include "standin/Database.h"
#include "core/protocol/SoapCodec.h"
#include "standin/StandinOptions.h"

#include <QStringList>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tvp::standin {

class Transactions;

enum class Service {
    CompetitionManagement,
    DataRetrieval,
    DataAquisition,
    DisciplinSetup,
    UiStore,
    UiRetrieval,
    CupRetrieval,
    CupSetup,
    Tooling,
    ProgrammInfo,
};

// The service named by the last path segment of a request URL.
std::optional<Service> serviceFromName(std::string_view name);
std::string_view serviceNamespace(Service service);

// How an operation outside a client transaction runs: without the database, in a deferred
// transaction that never waits, or in an immediate one that waits for other writers.
enum class Access { None, Read, Write };

struct Call {
    pugi::xml_node request;  // the operation element
    pugi::xml_node response; // the <operation>Response element to fill
    const StandinOptions& options;
    Transactions& transactions;
    // The request's transaction id; the transaction operations set it for the answer.
    std::string& transactionId;
    Db* db = nullptr; // set for Access::Read and Access::Write

    Db& database() const { return *db; }
};

using Handler = void (*)(Call&);

struct Operation {
    Service service;
    Access access;
    Handler handler;
};

const Operation* findOperation(std::string_view name);

// A refusal the client shows through the server's message table (see ErrorMessages.h).
class ServerError : public std::runtime_error {
public:
    ServerError(int id, QStringList parameters);
    int id;
    QStringList parameters;
};

template <proto::Record R>
R arguments(const Call& call)
{
    R r{};
    proto::codec::decodeRecord(call.request, r);
    return r;
}

template <class T>
void reply(Call& call, const T& result)
{
    proto::codec::encodeResult(call.response, result, {.omitEmpty = false});
}

} // namespace tvp::standin
