// Texts a server may send on the browser client's WebSocket: every text reads as a session, a
// command or ignored, never a crash; what is read carries its value and an ignored text its reason.

#include "core/connection/WebSocketMessage.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const tvp::TWebSocketMessage m = tvp::readWebSocketMessage(text);
    using Kind = tvp::TWebSocketMessage::Kind;
    if (m.kind == Kind::Session && m.sessionId.isEmpty())
        std::abort();
    if (m.kind == Kind::Command && m.formId.isEmpty())
        std::abort();
    if (m.kind == Kind::Ignored && m.problem.isEmpty())
        std::abort();
    return 0;
}
