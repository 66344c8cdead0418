// Importing a custom column file of 1,500 lines into a cup of 1,500 athletes, from the file's
// bytes to the end of the transaction, as the import window's worker does (within 2 s).

#include "bench/BenchStandin.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/connection/ServicePorts.h"
#include "core/protocol/TVPWebServices2.h"
#include "scoring/CustomColumnFile.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

using namespace tvp;

namespace {

constexpr int kAthletes = 1500;

void BM_Import1500LinesOfCustomColumns(benchmark::State& state)
{
    bench::TBenchServer server;
    TCompetitionUrlHolder& address = competitionUrlHolderInstance();
    address.setServerUrl(server.address);
    bench::TBenchSession session;

    int comp = 0;
    {
        test::StandinSeed seed = server.beginSeed();
        comp = seed.competition(QStringLiteral("Lauf"));
        for (int i = 0; i < kAthletes; ++i)
            seed.athlete(comp, QStringLiteral("Vorname%1").arg(i), QStringLiteral("Nachname%1").arg(i));
        seed.commit();
    }
    TCurrentCompetition competition;
    TServicePorts ports(session.rio, address, competition);
    proto::CupInfoDataType info;
    info.Name = QStringLiteral("Kreiscup");
    info.MinAthleteParticipations = 1;
    info.MinTeamParticipations = 1;
    const int cup = ports.css().createCup(info).CupID;
    ports.css().assignCompetitions(cup, {comp});
    proto::CustomColumnInfoType column;
    column.Name = QStringLiteral("Größe");
    column.ItemType = proto::CupItemType::Athlete;
    (void)ports.css().addCustomColumn(cup, column);

    QByteArray file = QStringLiteral("Vorname;Nachname;Größe\r\n").toLatin1();
    for (int i = 0; i < kAthletes; ++i)
        file += QStringLiteral("Vorname%1;Nachname%1;%2\r\n").arg(i).arg(120 + i % 40).toLatin1();

    for (auto _ : state) {
        TCustomDataList list(file, cup);
        ports.cms().beginTransaction(false);
        std::exception_ptr failure;
        const QStringList log = runCustomColumnImport(ports.crs(), ports.css(), list, failure);
        ports.cms().commitTransaction();
        session.transactionId.clear();
        if (failure || log.size() != 1)
            state.SkipWithError("import failed");
    }
}
BENCHMARK(BM_Import1500LinesOfCustomColumns)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
