#pragma once
// Every choice of the wire format that the server's schema decides and that we had to fix ourselves.
// docs/protocol.md explains each entry; change both together when aligning with a real server.

#include <cstddef>
#include <string_view>

namespace tvp::proto::wire {

inline constexpr std::string_view kEnvelopeNs = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr std::string_view kXsiNs = "http://www.w3.org/2001/XMLSchema-instance";

// The maker's address in every namespace URI.
inline constexpr std::string_view kMakerAddress = "http://trivanta.example/";
inline constexpr std::string_view kMainNs = "http://trivanta.example/Trivanta/Pentrel/";
inline constexpr std::string_view kProgramInfoNs = "http://trivanta.example/Trivanta/Programinfo/";
inline constexpr std::string_view kHeaderNs = "http://trivanta.example/Trivanta/";
inline constexpr std::string_view kLadvNs = "http://trivanta.example/Trivanta/LADV_TVP_Interface";
// Root elements of discipline, results and cup templates (docs/template-files.md).
inline constexpr std::string_view kTemplateNs = "http://trivanta.example/Trivanta/Pentrel/Templates";

// Prefixes we write; readers match local names and namespace URIs, never prefixes.
inline constexpr std::string_view kEnvelopePrefix = "soapenv";
inline constexpr std::string_view kServicePrefix = "tvp";

// The body's element of an answer is the operation name followed by this suffix.
inline constexpr std::string_view kResponseSuffix = "Response";
// Element name of each item of an array result and of the two wrapped arrays.
inline constexpr std::string_view kArrayItem = "item";

// Server faults carry this detail element.
inline constexpr std::string_view kFaultDetail = "TvpRuntimeException";

// Text forms: dates "yyyy-MM-dd", times "HH:mm:ss" (milliseconds ".zzz" only when not zero),
// booleans "true"/"false" (readers also take "1"/"0"), numbers in the C locale, doubles
// in the shortest form that reads back to the same value, INF/-INF/NaN for the non-finite ones.
inline constexpr std::string_view kDateFormat = "yyyy-MM-dd";

// Enumerations whose record field is sent under another element name.
inline constexpr std::string_view kResultTypeKindElement = "Type";

// HTTP: a connect timeout so an unreachable address never holds a channel slot for long. Calls of
// the request workers have no overall limit and no low-speed cut: a server sends nothing until its
// answer is ready, and imports and exports take minutes. A peer that is gone (power cut, cable
// pulled) is found by TCP keep-alive: probes after 30 s of silence, every 10 s, 4 unanswered end the
// connection, and data unacknowledged for as long ends it too.
inline constexpr long kConnectTimeoutSeconds = 10;
inline constexpr long kKeepAliveIdleSeconds = 30;
inline constexpr long kKeepAliveIntervalSeconds = 10;
inline constexpr int kKeepAliveProbes = 4;

// Blocking calls made on the GUI thread through a proxy of their own (competition choice, message
// texts, server version) have an overall limit, so a server that accepts but never answers cannot
// freeze the program.
inline constexpr long kGuiThreadCallLimitMs = 15000;

// Records inside records of an answer, at most this deep (scoring trees nest themselves; real ones
// stay far below).
inline constexpr int kMaxRecordNesting = 100;

// The largest answer read into memory. A 5,000-athlete competition export is far below it (see
// docs/protocol.md); anything larger is cut off and reported.
inline constexpr std::size_t kMaxAnswerBytes = 256u * 1024u * 1024u;

} // namespace tvp::proto::wire
