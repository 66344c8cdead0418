#include "core/connection/WebSocketMessage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace tvp {

namespace {

TWebSocketMessage ignored(const QString& problem)
{
    TWebSocketMessage m;
    m.problem = problem;
    return m;
}

// A member that is there but not a text counts as missing.
QString textMember(const QJsonObject& object, const QString& name)
{
    const QJsonValue value = object.value(name);
    return value.isString() ? value.toString() : QString();
}

} // namespace

TWebSocketMessage readWebSocketMessage(const QString& text)
{
    if (text.size() > kMaxWebSocketMessageChars)
        return ignored(QStringLiteral("Nachricht mit %1 Zeichen ist zu lang").arg(text.size()));
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        return ignored(QStringLiteral("kein JSON: %1 an Stelle %2").arg(error.errorString()).arg(error.offset));
    if (!document.isObject())
        return ignored(QStringLiteral("kein JSON-Objekt"));
    const QJsonObject object = document.object();

    TWebSocketMessage m;
    // A command wins over a session member that came along with it: opening the browser again for
    // every command would be worse than running it.
    m.formId = textMember(object, QStringLiteral("formId"));
    if (!m.formId.isEmpty()) {
        m.kind = TWebSocketMessage::Kind::Command;
        m.contextId = textMember(object, QStringLiteral("contextId"));
        return m;
    }
    m.sessionId = textMember(object, QStringLiteral("Session"));
    if (!m.sessionId.isEmpty()) {
        m.kind = TWebSocketMessage::Kind::Session;
        return m;
    }
    return ignored(QStringLiteral("weder \"Session\" noch \"formId\" als Text"));
}

} // namespace tvp
