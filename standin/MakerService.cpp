#include "standin/MakerService.h"

#include <civetweb.h>

#include <QByteArray>
#include <QFile>
#include <QString>

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

// The address of this server as the client reached it.
std::string ownBase(mg_connection* conn)
{
    const char* host = mg_get_header(conn, "Host");
    return std::string("http://") + (host ? host : "127.0.0.1");
}

std::string ladvLocator(mg_connection* conn, const MakerOptions& options, std::string_view which)
{
    if (options.ladvFolder.empty())
        return {};
    if (which == "competitionOverview")
        return ownBase(conn) + "/ladv/competitions";
    return ownBase(conn) + "/ladv/participants/%s";
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
    if (path == "ladv/competitionOverview" || path == "ladv/participantDownload")
        return answer(conn, 200, "OK", ladvLocator(conn, options, path.substr(5)));
    if (path == "onlinehelp")
        return options.helpLink.empty() ? answer(conn, 404, "Not Found", "Keine Online-Hilfe\n")
                                        : answer(conn, 200, "OK", options.helpLink);
    return answer(conn, 404, "Not Found", "Unbekannt\n");
}

bool loginMatches(mg_connection* conn, const MakerOptions& options)
{
    const char* header = mg_get_header(conn, "Authorization");
    if (!header)
        return false;
    const std::string_view value(header);
    if (!value.starts_with("Basic "))
        return false;
    const QByteArray login = QByteArray::fromBase64(QByteArray(value.substr(6).data(), qsizetype(value.size() - 6)));
    return login == QByteArray::fromStdString(options.ladvUser + ":" + options.ladvPassword);
}

int answerFile(mg_connection* conn, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return answer(conn, 404, "Not Found", "Unbekannte Veranstaltung\n");
    const QByteArray body = file.readAll();
    return answer(conn, 200, "OK", body.toStdString());
}

int onLadv(mg_connection* conn, void* data)
{
    const auto& options = *static_cast<const MakerOptions*>(data);
    const mg_request_info* info = mg_get_request_info(conn);
    if (options.ladvFolder.empty())
        return answer(conn, 404, "Not Found", "Unbekannt\n");
    if (std::string_view(info->request_method) != "GET")
        return answer(conn, 405, "Method Not Allowed", "Nur GET\n");
    if (!loginMatches(conn, options)) {
        const std::string body = "Anmeldung erforderlich\n";
        mg_printf(conn,
                  "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"LADV\"\r\n"
                  "Content-Type: text/plain; charset=utf-8\r\nContent-Length: %zu\r\nConnection: close\r\n\r\n",
                  body.size());
        mg_write(conn, body.data(), body.size());
        return 401;
    }
    const QString folder = QString::fromStdString(options.ladvFolder) + u'/';
    std::string_view path(info->local_uri ? info->local_uri : "");
    if (path == "/ladv/competitions")
        return answerFile(conn, folder + QStringLiteral("competitions.xml"));
    constexpr std::string_view kParticipants = "/ladv/participants/";
    if (path.starts_with(kParticipants)) {
        path.remove_prefix(kParticipants.size());
        // Ids name files: letters, digits, '-' and '_' only.
        if (!path.empty() &&
            path.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-_") ==
                std::string_view::npos)
            return answerFile(
                conn,
                folder +
                    QStringLiteral("participants-%1.xml").arg(QString::fromUtf8(path.data(), qsizetype(path.size()))));
    }
    return answer(conn, 404, "Not Found", "Unbekannt\n");
}

} // namespace

void registerMakerService(mg_context* ctx, const MakerOptions& options)
{
    mg_set_request_handler(ctx, "/maker", &onMaker, const_cast<MakerOptions*>(&options));
    mg_set_request_handler(ctx, "/ladv", &onLadv, const_cast<MakerOptions*>(&options));
}

} // namespace tvp::standin
