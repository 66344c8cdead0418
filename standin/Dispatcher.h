#pragma once
// The SOAP side of the stand-in: reads the envelope and its session header, runs the operation in
// the right transaction and writes the answer or the fault.

#include "core/protocol/SoapServer.h"
#include "standin/Operations.h"

#include <optional>
#include <string>

namespace tvp::standin {

struct SoapAnswer {
    int status = 200;
    std::string body;
};

class Dispatcher {
public:
    Dispatcher(const StandinOptions& options, ConnectionPool& connections, Transactions& transactions);

    // Never throws: every failure becomes a SOAP fault.
    // Where notifySessionClient delivers; none without it.
    void setNotifications(WebNotifications* notifications) { notifications_ = notifications; }

    SoapAnswer handle(proto::TTVPWebServices service, const std::string& requestText) const;

private:
    void run(const OperationTable::Entry& operation, Call& call, const pugi::xml_node& request,
             pugi::xml_node response) const;

    const StandinOptions& options_;
    ConnectionPool& connections_;
    Transactions& transactions_;
    WebNotifications* notifications_ = nullptr;
};

// The session header of a request of which only the beginning has arrived: nullopt while it is
// incomplete.
std::optional<proto::RequestHeader> headerOfPartialRequest(const std::string& received);

} // namespace tvp::standin
