#pragma once
// The server's side of the wire, shared by the stand-in and the tests' fake server: reading a
// request and its session header, writing answers and faults. The client's side is SoapHeader.h
// and THTTPRIO.h.

#include "core/protocol/WebServices.h"

#include <QString>
#include <QStringList>

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace tvp::proto {

// Parses a request. Text that is only blanks stays as sent (a UI info may be " ").
pugi::xml_parse_result parseRequest(pugi::xml_document& doc, const std::string& text);

struct RequestHeader {
    std::string sessionId;     // empty without Session element
    std::string transactionId; // Session/Transaction/@ID, empty outside a transaction
    // Why the header cannot be taken as it is, empty when it can. A client nests Transaction
    // inside Session; one beside it, or one without ID, would otherwise run outside the
    // transaction unnoticed.
    QString problem;
};
RequestHeader readRequestHeader(const pugi::xml_document& request);

// Creates the envelope of an answer and returns its <operation>Response element.
pugi::xml_node makeAnswer(pugi::xml_document& doc, TTVPWebServices service, std::string_view operation);

// Puts Header/Session[@ID] and, inside a transaction, Header/Transaction[@ID] beside it into an
// answer made by makeAnswer or faultAnswer.
void writeAnswerHeader(pugi::xml_document& answer, const std::string& sessionId, const std::string& transactionId);

// The server's error id and the values for its message text.
struct FaultDetail {
    int id = 0;
    QStringList parameters;
};

// A whole fault answer, header included; without detail it is a fault the client shows by its text.
std::string faultAnswer(const QString& text, const FaultDetail* detail, const std::string& sessionId,
                        const std::string& transactionId);

} // namespace tvp::proto
