#include "standin/WebClient.h"

#include "standin/WebClientFiles.h"

#include <civetweb.h>

#include <string_view>

namespace tvp::standin {

namespace {

constexpr std::string_view kStaticPath = "/TVPWebClient/static/";

std::string_view contentType(std::string_view name)
{
    if (name.ends_with(".html"))
        return "text/html; charset=utf-8";
    if (name.ends_with(".js"))
        return "text/javascript; charset=utf-8";
    return "application/octet-stream";
}

int plain(mg_connection* conn, int status, const char* reason)
{
    mg_printf(conn,
              "HTTP/1.1 %d %s\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: 0\r\n"
              "Connection: close\r\n\r\n",
              status, reason);
    return status;
}

int onStatic(mg_connection* conn, void*)
{
    const mg_request_info* info = mg_get_request_info(conn);
    const std::string_view method(info->request_method);
    if (method != "GET" && method != "HEAD")
        return plain(conn, 405, "Method Not Allowed");
    std::string_view name(info->local_uri);
    if (!name.starts_with(kStaticPath))
        return plain(conn, 404, "Not Found");
    name.remove_prefix(kStaticPath.size());
    if (name.empty())
        name = "index.html";
    for (const EmbeddedFile& file : webClientFiles()) {
        if (file.name != name)
            continue;
        const std::string_view type = contentType(name);
        mg_printf(conn,
                  "HTTP/1.1 200 OK\r\nContent-Type: %.*s\r\nContent-Length: %zu\r\nCache-Control: no-cache\r\n"
                  "Connection: close\r\n\r\n",
                  int(type.size()), type.data(), file.size);
        if (method == "GET")
            mg_write(conn, file.data, file.size);
        return 200;
    }
    return plain(conn, 404, "Not Found");
}

} // namespace

void registerWebClient(mg_context* http)
{
    mg_set_request_handler(http, "/TVPWebClient/static", &onStatic, nullptr);
}

} // namespace tvp::standin
