#pragma once
// The SOAP proxy object of one request: it posts envelopes over HTTP and runs the session-header
// handlers around each call. Never shared between threads.

#include "core/protocol/SoapCodec.h"
#include "core/protocol/SoapWriter.h"

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
    // The same, owning the request: a transport may free it once sent, before the answer comes.
    virtual HttpAnswer send(const std::string& url, const std::string& soapAction, std::string&& body,
                            long totalTimeoutMs)
    {
        return post(url, soapAction, body, totalTimeoutMs);
    }
};

std::shared_ptr<ISoapTransport> curlSoapTransport();
std::shared_ptr<ISoapTransport> soapTransport();
// Replaces the transport of all later calls; nullptr restores libcurl.
void setSoapTransport(std::shared_ptr<ISoapTransport> transport);

// An answer parsed in place: the document points into the text, so both live together.
struct SoapAnswer {
    std::string text;
    pugi::xml_document doc; // destroyed before the text
};

// Writes the arguments of an operation as the content of its element, and about how much of it.
struct ArgumentWriter {
    std::function<void(std::string& out)> write;
    std::size_t sizeHint = 0;
};

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

    // Sends the envelope and returns the answer's body element; faults and bad answers throw. The
    // request is the envelope (the header handler sees it); the arguments are written as text into
    // its operation element, straight into the buffer that goes out.
    pugi::xml_node execute(const std::string& url, std::string_view ns, std::string_view operation,
                           pugi::xml_document& request, SoapAnswer& answer, const ArgumentWriter& arguments = {});

    // One whole operation: encodes the arguments in order and decodes the result.
    template <class Result, class... Args>
    Result call(const std::string& url, std::string_view ns, const char* operation, const codec::Arg<Args>&... args)
    {
        pugi::xml_document request;
        codec::makeEnvelope(request, ns, operation);
        const codec::EncodeOptions opt = encodeOptions();
        ArgumentWriter arguments{[&](std::string& out) { (codec::writeValue(out, args.name, args.value, opt), ...); },
                                 (std::size_t(0) + ... + codec::writtenSizeHint(args.name, args.value))};
        SoapAnswer answer;
        pugi::xml_node result = execute(url, ns, operation, request, answer, arguments);
        return codec::decodeResult<Result>(result);
    }

private:
    // The envelope's text with the arguments in its operation element.
    static std::string requestText(pugi::xml_document& request, const ArgumentWriter& arguments);
};

} // namespace tvp::proto
