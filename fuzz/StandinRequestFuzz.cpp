// The stand-in's reading of requests: any text posted to any service gets an answer or a fault,
// never a crash or a hang. The first byte picks the service. In the rest, "@S@" stands for a
// session the server handed out, "@T@" and "@W@" for a read-only and a read-write transaction of
// it, opened for this input, so the fuzzer reaches work inside transactions, refusals of other
// sessions' transactions and of writes in read-only ones.

#include "core/protocol/SoapHeader.h"
#include "standin/Dispatcher.h"
#include "standin/Transactions.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace tvp;

namespace {

std::string makeFolder()
{
    char folder[] = "/tmp/tvp-fuzz-standin-XXXXXX";
    const char* made = mkdtemp(folder);
    if (!made)
        std::abort();
    return made;
}

standin::StandinOptions optionsIn(const std::string& folder)
{
    standin::StandinOptions options;
    options.dataFile = folder + "/fuzz.db";
    // Transactions a request opens and leaves are gone before the next writer waits long, and a
    // writer that still meets one gives up soon.
    options.txIdle = std::chrono::milliseconds(20);
    options.txIdleReadOnly = std::chrono::milliseconds(20);
    options.writeWait = std::chrono::milliseconds(50);
    standin::prepareDatabase(options.dataFile);
    return options;
}

struct Server {
    ~Server() { std::filesystem::remove_all(folder); }

    std::string folder = makeFolder();
    standin::StandinOptions options = optionsIn(folder);
    standin::ConnectionPool connections{options.dataFile};
    standin::Transactions transactions{connections, options};
    standin::Dispatcher dispatcher{options, connections, transactions};
    const std::string session = transactions.sessions().resolve({});
};

// Replaces every `placeholder` in text by the id `open()` returns (once); the id, or empty.
template <class Open>
std::string substitute(std::string& text, const std::string& placeholder, Open open)
{
    std::string id;
    for (std::size_t at; (at = text.find(placeholder)) != std::string::npos;) {
        if (id.empty())
            id = open();
        text.replace(at, placeholder.size(), id);
    }
    return id;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Server server;
    if (size == 0)
        return 0;
    const auto service = proto::TTVPWebServices(data[0] % int(proto::TTVPWebServices::WEB_UI));
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    auto begin = [&](bool readonly) {
        try {
            return server.transactions.begin(server.session, readonly);
        } catch (const std::exception&) {
            return std::string("besetzt"); // the caps or the gate refused
        }
    };
    substitute(text, "@S@", [&] { return server.session; });
    const std::string readonly = substitute(text, "@T@", [&] { return begin(true); });
    const std::string writer = substitute(text, "@W@", [&] { return begin(false); });
    const standin::SoapAnswer answer = server.dispatcher.handle(service, text);
    standin::headerOfPartialRequest(text);
    for (const std::string& id : {readonly, writer})
        if (!id.empty())
            server.transactions.rollback(id, server.session);
    // A transaction the input began would hold up the next input's writes until swept.
    std::string begun;
    const std::string session = proto::getSessionfromSoap(answer.body, begun);
    if (!begun.empty())
        server.transactions.rollback(begun, session);
    return 0;
}
