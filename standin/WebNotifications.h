#pragma once
// The WebSocket the program listens on for the browser client's notifications: each program that
// connects is handed a session id of its own; a notification for that id goes to its connection.

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

struct mg_context;
struct mg_connection;

namespace tvp::standin {

class WebNotifications {
public:
    static constexpr const char* kNativePath = "/TrivantaPentrel/websocket/notifications/client/native";

    // Serves the WebSocket path on the server's port.
    void attach(mg_context* http);

    // Sends {"formId" : ..., "contextId" : ...} to the program of the session; false when none listens.
    bool notify(const std::string& sessionId, const std::string& formId, const std::string& contextId);

    // For tests: the programs listening now, and closing every connection from the server's side.
    std::size_t listening() const;
    void closeAll();

private:
    static int onConnect(const mg_connection* conn, void* self);
    static void onReady(mg_connection* conn, void* self);
    static int onData(mg_connection* conn, int bits, char* data, std::size_t length, void* self);
    static void onClose(const mg_connection* conn, void* self);

    // Held while writing, so a connection is not gone under a write from another thread.
    mutable std::mutex mutex_;
    std::unordered_map<std::string, mg_connection*> bySession_;
    std::unordered_map<const mg_connection*, std::string> byConnection_;
};

// A JSON string literal of text (quotes, backslashes and control characters escaped).
std::string jsonString(const std::string& text);

} // namespace tvp::standin
