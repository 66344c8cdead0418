#include "core/protocol/SoapHeader.h"

#include "core/protocol/SoapCodec.h"

#include <cstring>

namespace tvp::proto {

namespace {

using codec::childIn;
using codec::prefixOf;

// A prefix not yet bound anywhere on the path to the root.
std::string freshPrefix(const pugi::xml_node& at)
{
    for (int i = 1;; ++i) {
        const std::string candidate = "NS" + std::to_string(i);
        bool used = false;
        for (pugi::xml_node p = at; p && !used; p = p.parent())
            used = p.attribute(("xmlns:" + candidate).c_str());
        if (!used)
            return candidate;
    }
}

} // namespace

void setSessionToSoap(pugi::xml_document& envelope, const std::string& sessionId, bool transactional,
                      const std::string& transactionId)
{
    pugi::xml_node env = envelope.document_element();
    if (!env)
        return;
    pugi::xml_node header = childIn(env, "Header", wire::kEnvelopeNs);
    if (!header) {
        const std::string prefix = prefixOf(env);
        header = env.prepend_child((prefix.empty() ? std::string("Header") : prefix + ":Header").c_str());
    }
    const std::string ns(wire::kHeaderNs);
    const std::string sp = freshPrefix(header);
    pugi::xml_node session = header.prepend_child((sp + ":Session").c_str());
    session.append_attribute(("xmlns:" + sp).c_str()) = ns.c_str();
    if (transactional && !transactionId.empty()) {
        const std::string tp = freshPrefix(session);
        pugi::xml_node tx = session.prepend_child((tp + ":Transaction").c_str());
        tx.append_attribute(("xmlns:" + tp).c_str()) = ns.c_str();
        tx.append_attribute("ID") = transactionId.c_str();
    }
    session.append_attribute("ID") = sessionId.c_str();
}

std::string setSessionToSoap(const std::string& envelope, const std::string& sessionId, bool transactional,
                             const std::string& transactionId)
{
    pugi::xml_document doc;
    if (!doc.load_buffer(envelope.data(), envelope.size()))
        return envelope;
    setSessionToSoap(doc, sessionId, transactional, transactionId);
    return codec::serialize(doc);
}

std::string getSessionfromSoap(const pugi::xml_document& answer, std::string& transactionId)
{
    pugi::xml_node env = answer.document_element();
    if (!env || std::string_view(codec::localName(env)) != "Envelope")
        return {};
    pugi::xml_node header = childIn(env, "Header", wire::kEnvelopeNs);
    if (!header)
        return {};
    if (pugi::xml_node tx = childIn(header, "Transaction", wire::kHeaderNs)) {
        pugi::xml_attribute id = tx.attribute("ID");
        transactionId = id ? id.value() : "";
    }
    pugi::xml_node session = childIn(header, "Session", wire::kHeaderNs);
    return session ? session.attribute("ID").value() : std::string();
}

std::string getSessionfromSoap(const std::string& answer, std::string& transactionId)
{
    pugi::xml_document doc;
    if (!doc.load_buffer(answer.data(), answer.size()))
        return {};
    return getSessionfromSoap(doc, transactionId);
}

} // namespace tvp::proto
