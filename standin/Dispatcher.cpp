#include "standin/Dispatcher.h"

#include "standin/ErrorMessages.h"
#include "standin/Transactions.h"

#include <cstring>

namespace tvp::standin {

namespace wire = proto::wire;
namespace codec = proto::codec;

namespace {

// A request the stand-in cannot read; answered with a fault without detail.
class BadRequest : public std::runtime_error {
public:
    explicit BadRequest(const QString& text) : std::runtime_error(text.toStdString()) {}
};

using codec::childIn;
using codec::namespaceOf;

struct SessionHeader {
    std::string sessionId;
    std::string transactionId;
};

// Requests nest Transaction inside Session.
SessionHeader readHeader(const pugi::xml_document& doc)
{
    pugi::xml_node header = childIn(doc.document_element(), "Header", wire::kEnvelopeNs);
    pugi::xml_node session = childIn(header, "Session", wire::kHeaderNs);
    return {session.attribute("ID").value(), childIn(session, "Transaction", wire::kHeaderNs).attribute("ID").value()};
}

// Answers carry Session and Transaction side by side.
void writeHeader(pugi::xml_document& doc, const std::string& sessionId, const std::string& transactionId)
{
    const std::string env(wire::kEnvelopePrefix);
    pugi::xml_node header = doc.document_element().prepend_child((env + ":Header").c_str());
    header.append_attribute("xmlns:tvps") = std::string(wire::kHeaderNs).c_str();
    header.append_child("tvps:Session").append_attribute("ID") = sessionId.c_str();
    if (!transactionId.empty())
        header.append_child("tvps:Transaction").append_attribute("ID") = transactionId.c_str();
}

void appendText(pugi::xml_node parent, const char* name, const QString& text)
{
    parent.append_child(name).append_child(pugi::node_pcdata).set_value(text.toUtf8().constData());
}

SoapAnswer fault(const SessionHeader& h, const QString& text, const ServerError* error)
{
    const std::string env(wire::kEnvelopePrefix);
    pugi::xml_document doc;
    pugi::xml_node envelope = doc.append_child((env + ":Envelope").c_str());
    envelope.append_attribute(("xmlns:" + env).c_str()) = std::string(wire::kEnvelopeNs).c_str();
    pugi::xml_node f = envelope.append_child((env + ":Body").c_str()).append_child((env + ":Fault").c_str());
    appendText(f, "faultcode", QString::fromStdString(env + ":Server"));
    appendText(f, "faultstring", text);
    if (error) {
        const std::string detailName = "tvp:" + std::string(wire::kFaultDetail);
        pugi::xml_node detail = f.append_child("detail").append_child(detailName.c_str());
        detail.append_attribute("xmlns:tvp") = std::string(wire::kMainNs).c_str();
        appendText(detail, "ExceptionID", QString::number(error->id));
        pugi::xml_node params = detail.append_child("ExceptionParameters");
        for (const QString& p : error->parameters)
            appendText(params, wire::kArrayItem.data(), p);
    }
    writeHeader(doc, h.sessionId, h.transactionId);
    return {500, codec::serialize(doc)};
}

} // namespace

Dispatcher::Dispatcher(const StandinOptions& options, Transactions& transactions)
    : options_(options), transactions_(transactions)
{
}

SoapAnswer Dispatcher::handle(Service service, const std::string& requestText) const
{
    pugi::xml_document request;
    const pugi::xml_parse_result parsed =
        request.load_buffer(requestText.data(), requestText.size(), pugi::parse_default, pugi::encoding_utf8);
    SessionHeader h = parsed ? readHeader(request) : SessionHeader{};
    if (h.sessionId.empty())
        h.sessionId = randomId();
    try {
        if (!parsed)
            throw BadRequest(QStringLiteral("Ungültige Anfrage: %1 (Position %2).")
                                 .arg(QString::fromUtf8(parsed.description()))
                                 .arg(parsed.offset));
        const pugi::xml_node op = codec::bodyElement(request);
        if (!op)
            throw BadRequest(QStringLiteral("Ungültige Anfrage: keine SOAP-Nachricht."));
        const std::string name = codec::localName(op);
        const Operation* operation = findOperation(name);
        if (!operation || operation->service != service || namespaceOf(op) != serviceNamespace(service))
            throw BadRequest(
                QStringLiteral("Die Operation %1 gibt es in diesem Dienst nicht.").arg(QString::fromStdString(name)));

        pugi::xml_document answer;
        const pugi::xml_node response =
            codec::makeEnvelope(answer, serviceNamespace(service), name + std::string(wire::kResponseSuffix));
        Call call{op, response, options_, transactions_, h.transactionId};
        run(*operation, call);
        writeHeader(answer, h.sessionId, h.transactionId);
        return {200, codec::serialize(answer)};
    } catch (const ServerError& e) {
        return fault(h, QString::fromStdString(e.what()), &e);
    } catch (const TvpError& e) {
        // The codec's texts speak of answers; here it read a request.
        QString text = e.message();
        text.replace(QStringLiteral("Ungültige Antwort des Servers: "), QString());
        return fault(h, QStringLiteral("Ungültige Anfrage: ") + text, nullptr);
    } catch (const std::exception& e) {
        return fault(h, QString::fromUtf8(e.what()), nullptr);
    }
}

void Dispatcher::run(const Operation& operation, Call& call) const
{
    if (operation.access == Access::None) {
        operation.handler(call);
        return;
    }
    if (!call.transactionId.empty()) {
        const std::string id = call.transactionId;
        const bool open = transactions_.run(id, [&](Db& db) {
            call.db = &db;
            operation.handler(call);
        });
        if (!open) {
            call.transactionId.clear();
            throw ServerError(errors::TransactionNotFound, {QString::fromStdString(id)});
        }
        return;
    }
    // Outside a client transaction each operation is one transaction of its own; a failure closes
    // the connection, which rolls it back.
    Db db(options_.dataFile);
    db.exec(operation.access == Access::Write ? "BEGIN IMMEDIATE" : "BEGIN");
    call.db = &db;
    operation.handler(call);
    db.exec("COMMIT");
}

} // namespace tvp::standin
