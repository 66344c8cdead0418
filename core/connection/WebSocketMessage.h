#pragma once
// The texts the server sends on the program's WebSocket: a flat JSON object that either hands out
// the browser session id ({"Session" : "..."}) or carries a command of the browser client
// ({"formId" : "...", "contextId" : "..."}). Anything else is read as ignored, with the reason.

#include <QString>

namespace tvp {

// Longer texts are not read at all: no notification comes anywhere near it.
inline constexpr qsizetype kMaxWebSocketMessageChars = 64 * 1024;

struct TWebSocketMessage {
    enum class Kind { Ignored, Session, Command };
    Kind kind = Kind::Ignored;
    QString sessionId;
    QString formId;
    QString contextId;
    // Why an ignored text was ignored (for the log).
    QString problem;
};

TWebSocketMessage readWebSocketMessage(const QString& text);

} // namespace tvp
