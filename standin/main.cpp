// tvp-standin: a small stand-in for the competition server, for tests and for trying the client.

#include "standin/DiscoveryResponder.h"
#include "standin/StandinServer.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <pthread.h>
#include <sys/resource.h>

using namespace tvp::standin;

namespace {

// Each worker may hold a socket and a database connection (two descriptors in WAL mode), each
// open transaction one more connection; the usual soft limit of 1024 is below that.
void raiseDescriptorLimit(const StandinOptions& o)
{
    const rlim_t needed = rlim_t(o.threads) * 3 + rlim_t(o.maxTransactions) * 2 + 256;
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= needed)
        return;
    limit.rlim_cur = std::min(limit.rlim_max, needed);
    setrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < needed)
        std::fprintf(stderr,
                     "tvp-standin: Warnung: nur %llu Dateideskriptoren erlaubt, für %d Threads und %d Transaktionen "
                     "wären %llu nötig.\n",
                     (unsigned long long)limit.rlim_cur, o.threads, o.maxTransactions, (unsigned long long)needed);
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    StandinOptions options;
    try {
        options = parseOptions(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n%s", e.what(), kUsage);
        return 2;
    }

    // Blocked before any thread starts, so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    raiseDescriptorLimit(options);
    try {
        StandinServer server(options);
        // Declared after the server, so it stops answering before the server goes.
        std::unique_ptr<DiscoveryResponder> discovery;
        if (options.discovery)
            discovery = std::make_unique<DiscoveryResponder>(options.discoveryBindAddress, options.discoveryPort,
                                                             options.discoveryReplyPort, server.port());
        std::printf("tvp-standin: %s:%d, Daten %s, Version %d.%d.%d\n", options.bindAddress.c_str(), server.port(),
                    options.dataFile.c_str(), options.version.majorVersion, options.version.minorVersion,
                    options.version.buildNumber);
        if (discovery)
            std::printf("tvp-standin: Server-Suche auf UDP %s:%d\n", options.discoveryBindAddress.c_str(),
                        discovery->port());
        std::fflush(stdout);
        int signal = 0;
        sigwait(&stopSignals, &signal);
        std::printf("tvp-standin: beendet (%s)\n", strsignal(signal));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tvp-standin: %s\n", e.what());
        return 1;
    }
    return 0;
}
