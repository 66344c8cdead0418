// Writes the seed corpus of fuzz_soap_answer: for every answer target a full answer as the codec
// encodes it (every field set, arrays of two, records nested four deep), inside an envelope with the
// session and transaction header, plus a server fault and a plain SOAP fault. Each answer is read
// back first: a seed the client would refuse is no seed.
//
//   make_soap_answer_seeds fuzz/corpus/fuzz_soap_answer

#include "core/protocol/SoapHeader.h"
#include "fuzz/SoapAnswerTargets.h"

#include <QFile>

#include <cstdio>
#include <functional>
#include <string>

using namespace tvp;
using namespace tvp::proto;

namespace {

constexpr int kDepth = 4;

template <class T>
void fill(T& value, int depth);

template <class T>
void fillRecord(T& record, int depth)
{
    applyFields([&](const auto&... f) { (fill(record.*(f.member), depth), ...); }, T::fields());
}

// Every kind of field gets a value that is not its default, so every element is written.
template <class T>
void fill(T& value, int depth)
{
    if constexpr (Record<T>) {
        fillRecord(value, depth);
    } else if constexpr (IsOwned<T>::value) {
        if (depth < kDepth)
            fill(value.ensure(), depth + 1);
    } else if constexpr (IsVector<T>::value) {
        if (depth < kDepth) {
            value.resize(2);
            for (auto& item : value)
                fill(item, depth + 1);
        }
    } else if constexpr (Enumeration<T>) {
        value = static_cast<T>(EnumTraits<T>::names.size() - 1);
    } else if constexpr (std::is_same_v<T, QString>) {
        value = QStringLiteral("Jürgen & Söhne <TV> ");
    } else if constexpr (std::is_same_v<T, Base64Binary>) {
        value = QByteArray("%PDF-1.4\n\xe2\xe3", 11);
    } else if constexpr (std::is_same_v<T, XsDate>) {
        value = QDate(2026, 6, 13);
    } else if constexpr (std::is_same_v<T, XsTime>) {
        value = QTime(9, 30, 15, 250);
    } else if constexpr (std::is_same_v<T, bool>) {
        value = true;
    } else if constexpr (std::is_same_v<T, int>) {
        value = -42;
    } else {
        value = T(2.5);
    }
}

std::string envelopeWith(const std::function<void(pugi::xml_node body)>& fillBody)
{
    pugi::xml_document doc;
    pugi::xml_node env = doc.append_child("soapenv:Envelope");
    env.append_attribute("xmlns:soapenv") = std::string(wire::kEnvelopeNs).c_str();
    pugi::xml_node header = env.append_child("soapenv:Header");
    for (const char* name : {"h:Session", "h:Transaction"}) {
        pugi::xml_node h = header.append_child(name);
        h.append_attribute("xmlns:h") = std::string(wire::kHeaderNs).c_str();
        h.append_attribute("ID") = "S-1234";
    }
    fillBody(env.append_child("soapenv:Body"));
    return codec::serialize(doc);
}

template <class Result>
std::string answerFor(std::string_view operation, std::string_view ns)
{
    return envelopeWith([&](pugi::xml_node body) {
        pugi::xml_node response = body.append_child(("tvp:" + std::string(operation) + "Response").c_str());
        response.append_attribute("xmlns:tvp") = std::string(ns).c_str();
        if constexpr (!std::is_void_v<Result>) {
            Result result{};
            fill(result, 0);
            codec::encodeResult(response, result, {.omitEmpty = false});
        }
    });
}

std::string faultAnswer(bool withDetail)
{
    return envelopeWith([&](pugi::xml_node body) {
        pugi::xml_node fault = body.append_child("soapenv:Fault");
        fault.append_child("faultcode").text() = "soapenv:Server";
        fault.append_child("faultstring").text() = "Das Team ist noch Staffeln zugeordnet.";
        if (!withDetail)
            return;
        pugi::xml_node detail = fault.append_child("detail").append_child("tvp:TvpRuntimeException");
        detail.append_attribute("xmlns:tvp") = std::string(wire::kMainNs).c_str();
        detail.append_child("ExceptionID").text() = "47";
        pugi::xml_node params = detail.append_child("ExceptionParameters");
        params.append_child("item").text() = "Füchse";
        params.append_child("item").text() = " ";
    });
}

bool write(const QString& folder, const QString& name, unsigned char target, unsigned char status,
           const std::string& body)
{
    try {
        pugi::xml_document doc;
        const fuzz::AnswerReader& reader = fuzz::kReaders[target];
        reader.read(codec::loadAnswer(doc, body, status & 1 ? 500 : 200), status & 1 ? 500 : 200, reader.operation);
        if (status & 1)
            return false; // a fault must not read as an answer
    } catch (const TvpError& e) {
        if (!(status & 1)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(e.message()));
            return false;
        }
    }
    QFile file(folder + u'/' + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const char prefix[2] = {char(target), char(status)};
    return file.write(prefix, 2) == 2 && file.write(body.data(), qint64(body.size())) == qint64(body.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    unsigned char index = 0;
    std::apply(
        [&](const auto&... a) {
            ((ok &= write(folder,
                          QStringLiteral("%1_%2.xml")
                              .arg(index, 2, 10, QChar(u'0'))
                              .arg(QLatin1String(a.operation.data(), qsizetype(a.operation.size()))),
                          index, 0, answerFor<typename std::decay_t<decltype(a)>::type>(a.operation, a.ns)),
              ++index),
             ...);
        },
        fuzz::kAnswers);
    ok &= write(folder, QStringLiteral("fault_detail.xml"), 0, 1, faultAnswer(true));
    ok &= write(folder, QStringLiteral("fault_plain.xml"), 5, 1, faultAnswer(false));
    return ok ? 0 : 1;
}
