#include "core/protocol/SoapServer.h"

#include "core/protocol/SoapCodec.h"

namespace tvp::proto {

namespace {

void appendText(pugi::xml_node parent, const char* name, const QString& text)
{
    parent.append_child(name).append_child(pugi::node_pcdata).set_value(text.toUtf8().constData());
}

} // namespace

pugi::xml_parse_result parseRequest(pugi::xml_document& doc, const std::string& text)
{
    return doc.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_ws_pcdata_single,
                           pugi::encoding_utf8);
}

RequestHeader readRequestHeader(const pugi::xml_document& request)
{
    RequestHeader h;
    const pugi::xml_node header = codec::childIn(request.document_element(), "Header", wire::kEnvelopeNs);
    const pugi::xml_node session = codec::childIn(header, "Session", wire::kHeaderNs);
    h.sessionId = session.attribute("ID").value();
    if (codec::childIn(header, "Transaction", wire::kHeaderNs))
        h.problem = QStringLiteral("Das Element Transaction gehört in das Element Session.");
    if (const pugi::xml_node tx = codec::childIn(session, "Transaction", wire::kHeaderNs)) {
        h.transactionId = tx.attribute("ID").value();
        if (h.transactionId.empty())
            h.problem = QStringLiteral("Das Element Transaction hat keine ID.");
    }
    return h;
}

pugi::xml_node makeAnswer(pugi::xml_document& doc, TTVPWebServices service, std::string_view operation)
{
    return codec::makeEnvelope(doc, serviceNamespace(service),
                               std::string(operation) + std::string(wire::kResponseSuffix));
}

void writeAnswerHeader(pugi::xml_document& answer, const std::string& sessionId, const std::string& transactionId)
{
    const std::string env(wire::kEnvelopePrefix);
    pugi::xml_node header = answer.document_element().prepend_child((env + ":Header").c_str());
    header.append_attribute("xmlns:tvps") = std::string(wire::kHeaderNs).c_str();
    header.append_child("tvps:Session").append_attribute("ID") = sessionId.c_str();
    if (!transactionId.empty())
        header.append_child("tvps:Transaction").append_attribute("ID") = transactionId.c_str();
}

std::string faultAnswer(const QString& text, const FaultDetail* detail, const std::string& sessionId,
                        const std::string& transactionId)
{
    const std::string env(wire::kEnvelopePrefix);
    pugi::xml_document doc;
    pugi::xml_node envelope = doc.append_child((env + ":Envelope").c_str());
    envelope.append_attribute(("xmlns:" + env).c_str()) = std::string(wire::kEnvelopeNs).c_str();
    pugi::xml_node fault = envelope.append_child((env + ":Body").c_str()).append_child((env + ":Fault").c_str());
    appendText(fault, "faultcode", QString::fromStdString(env + ":Server"));
    appendText(fault, "faultstring", text);
    if (detail) {
        const std::string detailName = "tvp:" + std::string(wire::kFaultDetail);
        pugi::xml_node d = fault.append_child("detail").append_child(detailName.c_str());
        d.append_attribute("xmlns:tvp") = std::string(wire::kMainNs).c_str();
        appendText(d, "ExceptionID", QString::number(detail->id));
        pugi::xml_node params = d.append_child("ExceptionParameters");
        for (const QString& p : detail->parameters)
            appendText(params, wire::kArrayItem.data(), p);
    }
    writeAnswerHeader(doc, sessionId, transactionId);
    return codec::serialize(doc);
}

} // namespace tvp::proto
