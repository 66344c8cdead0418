// The stand-in's reading of requests: any text posted to any service gets an answer or a fault,
// never a crash or a hang. The first byte picks the service.

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
    // Transactions a request opens and leaves are gone before the next writer waits long.
    options.txIdle = std::chrono::milliseconds(20);
    standin::prepareDatabase(options.dataFile);
    return options;
}

struct Server {
    ~Server() { std::filesystem::remove_all(folder); }

    std::string folder = makeFolder();
    standin::StandinOptions options = optionsIn(folder);
    standin::ConnectionPool connections{options.dataFile};
    standin::Transactions transactions{connections, options.txIdle};
    standin::Dispatcher dispatcher{options, connections, transactions};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Server server;
    if (size == 0)
        return 0;
    const auto service = proto::TTVPWebServices(data[0] % int(proto::TTVPWebServices::WEB_UI));
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    server.dispatcher.handle(service, text);
    standin::transactionOfPartialRequest(text);
    return 0;
}
