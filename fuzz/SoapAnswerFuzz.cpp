// Every byte a server may send as a SOAP answer: parsing (with the DTD refusal), the session
// header, faults, the answer element's name and the records, arrays and scalars of the result.
// Expected refusals are TvpErrors; anything else (a crash, a leak, another exception) is a finding.

#include "core/protocol/SoapHeader.h"
#include "fuzz/SoapAnswerTargets.h"

#include <cstdint>

using namespace tvp;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const fuzz::AnswerReader& reader = fuzz::kReaders[data[0] % fuzz::kReaders.size()];
    const long status = data[1] & 1 ? 500 : 200;
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    try {
        pugi::xml_document doc;
        const pugi::xml_node body = proto::codec::loadAnswer(doc, text, status, {});
        std::string transactionId = "T1";
        proto::getSessionfromSoap(doc, transactionId);
        reader.read(body, status, reader.operation);
    } catch (const TvpError&) {
    }
    return 0;
}
