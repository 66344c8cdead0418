#include "standin/StandinOptions.h"

#include <arpa/inet.h>

#include <charconv>
#include <functional>
#include <map>
#include <stdexcept>

namespace tvp::standin {

const char* const kUsage =
    "Aufruf: tvp-standin [--port N] [--bind ADRESSE] [--data DATEI] [--version MAJOR.MINOR.BUILD]\n"
    "                    [--compatibility UNKNOWN|FULL|FEATURE_RESTRICTED|NO_COMPATIBILITY]\n"
    "                    [--threads N] [--tx-idle-seconds N] [--tx-idle-readonly-seconds N]\n"
    "                    [--max-transactions N] [--max-transactions-per-session N]\n"
    "                    [--write-wait-seconds N] [--max-sessions N] [--request-timeout-seconds N]\n"
    "                    [--max-request-mb N] [--answer-delay-ms N] [--discovery] [--discovery-bind ADRESSE]\n"
    "                    [--discovery-port N] [--discovery-reply-port N]\n"
    "                    [--maker-update TEXT] [--maker-feature NAME]... [--maker-help LINK]\n"
    "                    [--maker-delay-ms N] [--ladv-fake ORDNER] [--ladv-login NAME:PASSWORT]\n";

namespace {

int toInt(const std::string& text, const std::string& option, int min, int max)
{
    int v = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || v < min || v > max)
        throw std::invalid_argument("Ungültiger Wert für " + option + ": " + text);
    return v;
}

proto::GenericTvpVersion toVersion(const std::string& text)
{
    const auto dot1 = text.find('.');
    const auto dot2 = dot1 == std::string::npos ? dot1 : text.find('.', dot1 + 1);
    if (dot2 == std::string::npos)
        throw std::invalid_argument("Ungültiger Wert für --version: " + text);
    const int big = 1 << 30;
    return {toInt(text.substr(0, dot1), "--version", 0, big),
            toInt(text.substr(dot1 + 1, dot2 - dot1 - 1), "--version", 0, big),
            toInt(text.substr(dot2 + 1), "--version", 0, big)};
}

} // namespace

StandinOptions parseOptions(const std::vector<std::string>& args)
{
    StandinOptions o;
    // Each option takes one value, except the switches below; a new option is one more line here.
    const std::map<std::string, std::function<void(const std::string&)>> setters = {
        {"--port", [&](const std::string& v) { o.port = toInt(v, "--port", 0, 65535); }},
        {"--bind", [&](const std::string& v) { o.bindAddress = v; }},
        {"--data", [&](const std::string& v) { o.dataFile = v; }},
        {"--version", [&](const std::string& v) { o.version = toVersion(v); }},
        {"--compatibility",
         [&](const std::string& v) {
             auto c = proto::enumFromName<proto::CompatibilityInformation>(v);
             if (!c)
                 throw std::invalid_argument("Ungültiger Wert für --compatibility: " + v);
             o.compatibility = *c;
         }},
        {"--threads", [&](const std::string& v) { o.threads = toInt(v, "--threads", 8, 4096); }},
        {"--tx-idle-seconds",
         [&](const std::string& v) { o.txIdle = std::chrono::seconds(toInt(v, "--tx-idle-seconds", 1, 1 << 24)); }},
        {"--tx-idle-readonly-seconds",
         [&](const std::string& v) {
             o.txIdleReadOnly = std::chrono::seconds(toInt(v, "--tx-idle-readonly-seconds", 1, 1 << 24));
         }},
        {"--max-transactions",
         [&](const std::string& v) { o.maxTransactions = toInt(v, "--max-transactions", 1, 100000); }},
        {"--max-transactions-per-session",
         [&](const std::string& v) {
             o.maxTransactionsPerSession = toInt(v, "--max-transactions-per-session", 1, 100000);
         }},
        {"--write-wait-seconds",
         [&](const std::string& v) { o.writeWait = std::chrono::seconds(toInt(v, "--write-wait-seconds", 1, 30)); }},
        {"--max-sessions", [&](const std::string& v) { o.maxSessions = toInt(v, "--max-sessions", 1, 10000000); }},
        {"--request-timeout-seconds",
         [&](const std::string& v) {
             o.requestTimeout = std::chrono::seconds(toInt(v, "--request-timeout-seconds", 1, 3600));
         }},
        {"--max-request-mb",
         [&](const std::string& v) { o.maxRequestBytes = (long long)toInt(v, "--max-request-mb", 1, 4096) << 20; }},
        {"--answer-delay-ms",
         [&](const std::string& v) {
             o.answerDelay = std::chrono::milliseconds(toInt(v, "--answer-delay-ms", 0, 60000));
         }},
        {"--discovery-bind",
         [&](const std::string& v) {
             in_addr unused{};
             if (inet_pton(AF_INET, v.c_str(), &unused) != 1)
                 throw std::invalid_argument("Ungültiger Wert für --discovery-bind: " + v);
             o.discoveryBindAddress = v;
         }},
        {"--discovery-port", [&](const std::string& v) { o.discoveryPort = toInt(v, "--discovery-port", 0, 65535); }},
        {"--discovery-reply-port",
         [&](const std::string& v) { o.discoveryReplyPort = toInt(v, "--discovery-reply-port", 1, 65535); }},
        {"--maker-update", [&](const std::string& v) { o.maker.updateAnswer = v; }},
        {"--maker-feature", [&](const std::string& v) { o.maker.activeFeatures.insert(v); }},
        {"--maker-help", [&](const std::string& v) { o.maker.helpLink = v; }},
        {"--maker-delay-ms", [&](const std::string& v) { o.maker.delayMs = toInt(v, "--maker-delay-ms", 0, 600000); }},
        {"--ladv-fake", [&](const std::string& v) { o.maker.ladvFolder = v; }},
        {"--ladv-login",
         [&](const std::string& v) {
             const auto colon = v.find(':');
             if (colon == std::string::npos)
                 throw std::invalid_argument("--ladv-login");
             o.maker.ladvUser = v.substr(0, colon);
             o.maker.ladvPassword = v.substr(colon + 1);
         }},
    };
    const std::map<std::string, std::function<void()>> switches = {
        {"--discovery", [&] { o.discovery = true; }},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (auto s = switches.find(args[i]); s != switches.end()) {
            s->second();
            continue;
        }
        auto it = setters.find(args[i]);
        if (it == setters.end())
            throw std::invalid_argument("Unbekannte Option: " + args[i]);
        if (i + 1 == args.size())
            throw std::invalid_argument("Wert fehlt für " + args[i]);
        it->second(args[++i]);
    }
    if (o.dataFile.empty())
        throw std::invalid_argument("Ungültiger Wert für --data: leer");
    return o;
}

} // namespace tvp::standin
