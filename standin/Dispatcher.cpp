#include "standin/Dispatcher.h"

#include "core/protocol/XmlProblem.h"
#include "standin/ErrorMessages.h"
#include "standin/Transactions.h"

namespace tvp::standin {

namespace wire = proto::wire;
namespace codec = proto::codec;

namespace {

// A request the stand-in cannot read or does not serve; answered with a fault without detail.
class BadRequest : public std::runtime_error {
public:
    explicit BadRequest(const QString& text) : std::runtime_error(text.toStdString()) {}
};

} // namespace

Dispatcher::Dispatcher(const StandinOptions& options, ConnectionPool& connections, Transactions& transactions)
    : options_(options), connections_(connections), transactions_(transactions)
{
}

SoapAnswer Dispatcher::handle(proto::TTVPWebServices service, const std::string& requestText) const
{
    pugi::xml_document request;
    const pugi::xml_parse_result parsed = proto::parseRequest(request, requestText);
    proto::RequestHeader h = parsed ? proto::readRequestHeader(request) : proto::RequestHeader{};
    // A session id the server did not hand out is no session: it cannot reach any transaction.
    h.sessionId = transactions_.sessions().resolve(h.sessionId);
    try {
        if (!parsed)
            throw BadRequest(QStringLiteral("Ungültige Anfrage: %1.").arg(proto::xmlProblemText(parsed, requestText)));
        if (!h.problem.isEmpty()) {
            // Never run such a call outside the transaction its client meant.
            h.transactionId.clear();
            throw BadRequest(QStringLiteral("Ungültige Anfrage: ") + h.problem);
        }
        const pugi::xml_node element = codec::bodyElement(request);
        if (!element)
            throw BadRequest(QStringLiteral("Ungültige Anfrage: keine SOAP-Nachricht."));
        const std::string name = codec::localName(element);
        const OperationTable::Entry* operation = operationTable().find(name);
        if (!operation || operation->service != service ||
            codec::namespaceOf(element) != proto::serviceNamespace(service))
            throw BadRequest(
                QStringLiteral("Die Operation %1 gibt es in diesem Dienst nicht.").arg(QString::fromStdString(name)));
        if (!operation->run)
            throw BadRequest(QStringLiteral("Die Operation %1 bietet der Stand-in-Server nicht an.")
                                 .arg(QString::fromStdString(name)));

        pugi::xml_document answer;
        const pugi::xml_node response = proto::makeAnswer(answer, service, name);
        Call call{options_, transactions_, h.transactionId, h.sessionId};
        call.notifications = notifications_;
        run(*operation, call, element, response);
        proto::writeAnswerHeader(answer, h.sessionId, h.transactionId);
        if (call.resultText.empty())
            return {200, codec::serialize(answer)};
        // The result written as text goes where a mark holds its place: the only DEL character of
        // the answer, since everything else in it is names and ids. The envelope goes around the
        // result in its own string, which usually has the room: no second copy of megabytes.
        pugi::xml_node(response).append_child(pugi::node_pcdata).set_value("\x7f");
        const std::string envelope = codec::serialize(answer);
        const std::size_t mark = envelope.find('\x7f');
        std::string text = std::move(call.resultText);
        text.insert(0, envelope, 0, mark);
        text.append(envelope, mark + 1);
        return {200, std::move(text)};
    } catch (const ServerError& e) {
        const proto::FaultDetail detail{e.id, e.parameters};
        return {500, proto::faultAnswer(QString::fromStdString(e.what()), &detail, h.sessionId, h.transactionId)};
    } catch (const TvpError& e) {
        // The codec's texts speak of answers; here it read a request.
        QString text = e.message();
        text.replace(QStringLiteral("Ungültige Antwort des Servers: "), QString());
        return {500, proto::faultAnswer(QStringLiteral("Ungültige Anfrage: ") + text, nullptr, h.sessionId,
                                        h.transactionId)};
    } catch (const std::exception& e) {
        return {500, proto::faultAnswer(QString::fromUtf8(e.what()), nullptr, h.sessionId, h.transactionId)};
    }
}

void Dispatcher::run(const OperationTable::Entry& operation, Call& call, const pugi::xml_node& request,
                     pugi::xml_node response) const
{
    const std::string name = codec::localName(request);
    // These deal with the transaction they name themselves.
    const bool transactionOperation = name == proto::op::beginTransaction::name ||
                                      name == proto::op::commitTransaction::name ||
                                      name == proto::op::rollbackTransaction::name;
    if (!call.transactionId.empty() && !transactionOperation) {
        const std::string id = call.transactionId;
        const Transactions::Hold held = transactions_.hold(id, call.sessionId);
        if (!held) {
            call.transactionId.clear();
            throw ServerError(errors::TransactionNotFound, {QString::fromStdString(id)});
        }
        if (operation.access == Access::None) {
            operation.run(call, request, response);
            return;
        }
        // Its end would drop the change silently.
        if (operation.access == Access::Write && held.readonly())
            throw ServerError(errors::ReadOnlyTransaction, {QString::fromStdString(name)});
        transactions_.run(held, id, [&](Db& db) {
            call.db = &db;
            operation.run(call, request, response);
        });
        return;
    }
    if (operation.access == Access::None) {
        operation.run(call, request, response);
        return;
    }
    // Outside a client transaction each operation is one transaction of its own; on a failure the
    // connection rolls it back as it returns to the pool, then the gate opens for the next writer.
    WriteGate::Pass pass;
    if (operation.access == Access::Write)
        pass = transactions_.writeGate().enter();
    const ConnectionPool::Lease db = connections_.take();
    if (operation.access == Access::Write) {
        db->exec("BEGIN IMMEDIATE");
    } else {
        db->exec("BEGIN");
        db->setQueryOnly(true); // a reader cannot take the write lock past the gate
    }
    call.db = &*db;
    operation.run(call, request, response);
    db->exec("COMMIT");
}

std::optional<proto::RequestHeader> headerOfPartialRequest(const std::string& received)
{
    pugi::xml_document doc;
    proto::parseRequest(doc, received); // fails at the cut, keeping what came before it
    // The header is complete once the body has begun.
    if (!codec::childIn(doc.document_element(), "Body", wire::kEnvelopeNs))
        return std::nullopt;
    return proto::readRequestHeader(doc);
}

} // namespace tvp::standin
