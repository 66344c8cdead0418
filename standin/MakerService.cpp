#include "standin/MakerService.h"

#include <civetweb.h>

#include <chrono>
#include <string_view>
#include <thread>

namespace tvp::standin {

namespace {

constexpr std::string_view kMakerPath = "/maker/";

int answer(mg_connection* conn, int status, const char* reason, const std::string& body)
{
    mg_printf(conn,
              "HTTP/1.1 %d %s\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: %zu\r\n"
              "Connection: close\r\n\r\n",
              status, reason, body.size());
    mg_write(conn, body.data(), body.size());
    return status;
}

// The client must send its version as three whole numbers.
bool hasVersionQuery(const mg_request_info* info)
{
    if (!info->query_string)
        return false;
    const std::string query = info->query_string;
    for (const char* key : {"maj", "min", "rel"}) {
        char value[32] = {};
        if (mg_get_var(query.c_str(), query.size(), key, value, sizeof value) <= 0)
            return false;
        std::string_view v(value);
        if (v.front() == '-')
            v.remove_prefix(1);
        if (v.empty() || v.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
    }
    return true;
}

int onMaker(mg_connection* conn, void* data)
{
    const auto& options = *static_cast<const MakerOptions*>(data);
    const mg_request_info* info = mg_get_request_info(conn);
    if (std::string_view(info->request_method) != "GET")
        return answer(conn, 405, "Method Not Allowed", "Nur GET\n");
    if (options.delayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(options.delayMs));

    std::string_view path(info->local_uri ? info->local_uri : "");
    if (!path.starts_with(kMakerPath))
        return answer(conn, 404, "Not Found", "Unbekannt\n");
    path.remove_prefix(kMakerPath.size());

    if (path == "update")
        return hasVersionQuery(info) ? answer(conn, 200, "OK", options.updateAnswer)
                                     : answer(conn, 400, "Bad Request", "maj, min und rel fehlen\n");
    if (path.starts_with("feature/")) {
        path.remove_prefix(std::string_view("feature/").size());
        const bool active = options.activeFeatures.contains(std::string(path));
        return answer(conn, 200, "OK", active ? "active" : "inactive");
    }
    if (path == "onlinehelp")
        return options.helpLink.empty() ? answer(conn, 404, "Not Found", "Keine Online-Hilfe\n")
                                        : answer(conn, 200, "OK", options.helpLink);
    return answer(conn, 404, "Not Found", "Unbekannt\n");
}

} // namespace

void registerMakerService(mg_context* ctx, const MakerOptions& options)
{
    mg_set_request_handler(ctx, "/maker", &onMaker, const_cast<MakerOptions*>(&options));
}

} // namespace tvp::standin
