#pragma once
// One SOAP session over its own HTTP client: the session id of the last answer goes out again, and
// the transaction id while one is open, as the request runner's header handling does.

#include "core/protocol/SoapHeader.h"
#include "core/protocol/THTTPRIO.h"

#include <string>

namespace tvp::test {

struct SoapSession {
    SoapSession()
    {
        rio.OnBeforeExecute = [this](std::string_view, pugi::xml_document& request) {
            if (!sessionId.empty())
                proto::setSessionToSoap(request, sessionId, !transactionId.empty(), transactionId);
        };
        rio.OnAfterExecute = [this](std::string_view, const pugi::xml_document& answer) {
            const std::string s = proto::getSessionfromSoap(answer, transactionId);
            if (!s.empty())
                sessionId = s;
        };
    }
    SoapSession(const SoapSession&) = delete; // the header handlers point at this object
    SoapSession& operator=(const SoapSession&) = delete;

    proto::THTTPRIO rio;
    std::string sessionId;
    std::string transactionId;
};

} // namespace tvp::test
