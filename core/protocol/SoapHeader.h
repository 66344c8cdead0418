#pragma once
// The session header: the server's session id, and inside a transaction its id, travel in the SOAP
// header of every message of a request runner.

#include <pugixml.hpp>

#include <string>

namespace tvp::proto {

// Puts Header/Session[@ID] (with Session/Transaction[@ID] nested when a transaction is open) into an
// outgoing envelope.
void setSessionToSoap(pugi::xml_document& envelope, const std::string& sessionId, bool transactional,
                      const std::string& transactionId);
std::string setSessionToSoap(const std::string& envelope, const std::string& sessionId, bool transactional,
                             const std::string& transactionId);

// Reads the session id of an answer, empty when there is none. The answer's Header/Transaction
// updates transactionId: missing leaves it, present without ID clears it, otherwise its ID.
std::string getSessionfromSoap(const pugi::xml_document& answer, std::string& transactionId);
std::string getSessionfromSoap(const std::string& answer, std::string& transactionId);

} // namespace tvp::proto
