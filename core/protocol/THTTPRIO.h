#pragma once
// The SOAP proxy object of one request: it posts envelopes over HTTP and runs the session-header
// handlers around each call. Never shared between threads.

#include "core/protocol/SoapCodec.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace tvp::proto {

struct HttpAnswer {
    HttpAnswer(long status_ = 0, std::string body_ = {}, std::string contentType_ = {})
        : status(status_), body(std::move(body_)), contentType(std::move(contentType_))
    {
    }
    long status;
    std::string body;
    std::string contentType; // as the server named it, empty when it did not
};

// Limits of the HTTP road (WireTable.h has the program's values); tests shorten them.
struct TransportLimits {
    static inline std::atomic<long> keepAliveIdleSeconds{wire::kKeepAliveIdleSeconds};
    static inline std::atomic<long> keepAliveIntervalSeconds{wire::kKeepAliveIntervalSeconds};
    static inline std::atomic<std::size_t> maxAnswerBytes{wire::kMaxAnswerBytes};
};

// True on the thread of the Qt application object (false without one).
bool onGuiThread();

// The HTTP road of every SOAP call; tests put a fake in its place.
class ISoapTransport {
public:
    virtual ~ISoapTransport() = default;
    // Throws ESoapTransportError when no answer arrives.
    virtual HttpAnswer post(const std::string& url, const std::string& soapAction, const std::string& body) = 0;
    // The same with an overall time limit in ms (0: none); transports without limits ignore it.
    virtual HttpAnswer post(const std::string& url, const std::string& soapAction, const std::string& body,
                            long totalTimeoutMs)
    {
        (void)totalTimeoutMs;
        return post(url, soapAction, body);
    }
};

std::shared_ptr<ISoapTransport> curlSoapTransport();
std::shared_ptr<ISoapTransport> soapTransport();
// Replaces the transport of all later calls; nullptr restores libcurl.
void setSoapTransport(std::shared_ptr<ISoapTransport> transport);

class THTTPRIO {
public:
    // Leave empty elements out of requests.
    bool omitEmptyNodes = false;
    // Overall limit of one call in ms, 0 for none. Only the blocking calls made on the GUI thread
    // through a proxy of their own have one; request workers have none because imports and
    // exports may take minutes.
    long totalTimeoutMs = 0;
    std::function<void(std::string_view method, pugi::xml_document& request)> OnBeforeExecute;
    std::function<void(std::string_view method, const pugi::xml_document& answer)> OnAfterExecute;

    codec::EncodeOptions encodeOptions() const { return {omitEmptyNodes}; }

    // Sends the envelope and returns the answer's body element; faults and bad answers throw.
    pugi::xml_node execute(const std::string& url, std::string_view ns, std::string_view operation,
                           pugi::xml_document& request, pugi::xml_document& answer);

    // One whole operation: encodes the arguments in order and decodes the result.
    template <class Result, class... Args>
    Result call(const std::string& url, std::string_view ns, const char* operation, const codec::Arg<Args>&... args)
    {
        pugi::xml_document request;
        pugi::xml_node op = codec::makeEnvelope(request, ns, operation);
        const codec::EncodeOptions opt = encodeOptions();
        (codec::encodeValue(op, args.name, args.value, opt), ...);
        pugi::xml_document answer;
        pugi::xml_node result = execute(url, ns, operation, request, answer);
        return codec::decodeResult<Result>(result);
    }
};

} // namespace tvp::proto
