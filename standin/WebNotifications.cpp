#include "standin/WebNotifications.h"

#include "standin/Sessions.h"

#include <civetweb.h>

#include <cstdio>

namespace tvp::standin {

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

void WebNotifications::attach(mg_context* http)
{
    mg_set_websocket_handler(http, kNativePath, &onConnect, &onReady, &onData, &onClose, this);
}

int WebNotifications::onConnect(const mg_connection*, void*)
{
    return 0; // accept
}

void WebNotifications::onReady(mg_connection* conn, void* self)
{
    auto& hub = *static_cast<WebNotifications*>(self);
    std::string id;
    try {
        id = randomId();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tvp-standin: %s\n", e.what());
        return;
    }
    // The blanks around the colon are what older programs look for.
    const std::string text = "{\"Session\" : " + jsonString(id) + "}";
    std::lock_guard lock(hub.mutex_);
    hub.bySession_[id] = conn;
    hub.byConnection_[conn] = id;
    mg_websocket_write(conn, MG_WEBSOCKET_OPCODE_TEXT, text.data(), text.size());
}

int WebNotifications::onData(mg_connection*, int bits, char*, std::size_t, void*)
{
    // The program's greeting and anything else it sends carry nothing; a close ends the connection.
    return (bits & 0x0f) == MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE ? 0 : 1;
}

void WebNotifications::onClose(const mg_connection* conn, void* self)
{
    auto& hub = *static_cast<WebNotifications*>(self);
    std::lock_guard lock(hub.mutex_);
    const auto it = hub.byConnection_.find(conn);
    if (it == hub.byConnection_.end())
        return;
    hub.bySession_.erase(it->second);
    hub.byConnection_.erase(it);
}

bool WebNotifications::notify(const std::string& sessionId, const std::string& formId, const std::string& contextId)
{
    const std::string text = "{\"formId\" : " + jsonString(formId) + ", \"contextId\" : " + jsonString(contextId) + "}";
    std::lock_guard lock(mutex_);
    const auto it = bySession_.find(sessionId);
    if (it == bySession_.end())
        return false;
    return mg_websocket_write(it->second, MG_WEBSOCKET_OPCODE_TEXT, text.data(), text.size()) > 0;
}

std::size_t WebNotifications::listening() const
{
    std::lock_guard lock(mutex_);
    return bySession_.size();
}

void WebNotifications::closeAll()
{
    std::lock_guard lock(mutex_);
    for (const auto& [id, conn] : bySession_)
        mg_websocket_write(conn, MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE, "", 0);
}

} // namespace tvp::standin
