// Importing 1,000 registrations into the stand-in in one read-write transaction, as the LADV
// window's second runner carries out the registration CSV import.

#include "bench/BenchStandin.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/connection/ServicePorts.h"
#include "core/protocol/TVPWebServices2.h"
#include "participants/CsvImport.h"
#include "participants/LadvRequests.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

using namespace tvp;

namespace {

constexpr int kRows = 1000;

TCsvImportResult registrations()
{
    TCsvList rows{
        {QStringLiteral("Vorname"), QStringLiteral("Name"), QStringLiteral("Team"), QStringLiteral("Altersklasse")}};
    for (int i = 0; i < kRows; ++i)
        rows.push_back({QStringLiteral("Kind%1").arg(i), QStringLiteral("Name%1").arg(i),
                        QStringLiteral("Team %1").arg(i / 8), QStringLiteral("U%1").arg(8 + 2 * (i / 8 % 4)),
                        QStringLiteral("2016"), i % 2 ? QStringLiteral("W") : QStringLiteral("M"),
                        QStringLiteral("Verein %1").arg(i / 8 % 30)});
    return buildCsvImportRequest(rows);
}

void BM_Import1000RegistrationsInOneTransaction(benchmark::State& state)
{
    bench::TBenchServer server;
    TCompetitionUrlHolder& address = competitionUrlHolderInstance();
    address.setServerUrl(server.address);
    bench::TBenchSession session;
    const TCsvImportResult request = registrations();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TCurrentCompetition competition;
        {
            TServicePorts setup(session.rio, address, competition);
            proto::CompetitionInfoType info;
            info.Name = QStringLiteral("Sportfest %1").arg(++round);
            auto chosen = std::make_unique<proto::CompetitionType>();
            chosen->ID = setup.cms().createCompetition(info).Competition->ID;
            competition.SetCompetitionInternal(std::move(chosen));
        }
        state.ResumeTiming();
        TServicePorts ports(session.rio, address, competition);
        ports.cms().beginTransaction(false);
        executeImportOnServer(ports, request.request);
        ports.cms().commitTransaction();
        session.transactionId.clear();
    }
    state.counters["athletes"] = request.valid;
}
BENCHMARK(BM_Import1000RegistrationsInOneTransaction)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
