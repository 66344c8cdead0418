// Importing a custom column file of 1,500 lines into a cup of 1,500 athletes, from the file's
// bytes to the end of the transaction, as the import window's worker does (within 2 s).

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/connection/ServicePorts.h"
#include "core/protocol/SoapHeader.h"
#include "core/protocol/TVPWebServices2.h"
#include "scoring/CustomColumnFile.h"
#include "standin/StandinServer.h"
#include "tests/support/StandinSeed.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

using namespace tvp;

namespace {

constexpr int kAthletes = 1500;

void BM_Import1500LinesOfCustomColumns(benchmark::State& state)
{
    QTemporaryDir dir;
    standin::StandinOptions options;
    options.port = 0;
    options.dataFile = (dir.path() + QStringLiteral("/bench.db")).toStdString();
    standin::StandinServer server(options);
    TCompetitionUrlHolder& address = competitionUrlHolderInstance();
    address.setServerUrl(QStringLiteral("127.0.0.1:%1").arg(server.port()));

    std::string session, transaction;
    proto::THTTPRIO rio;
    rio.omitEmptyNodes = true;
    rio.OnBeforeExecute = [&](std::string_view, pugi::xml_document& request) {
        if (!session.empty())
            proto::setSessionToSoap(request, session, !transaction.empty(), transaction);
    };
    rio.OnAfterExecute = [&](std::string_view, const pugi::xml_document& answer) {
        const std::string s = proto::getSessionfromSoap(answer, transaction);
        if (!s.empty())
            session = s;
    };

    int comp = 0;
    {
        test::StandinSeed seed(options.dataFile);
        seed.begin();
        comp = seed.competition(QStringLiteral("Lauf"));
        for (int i = 0; i < kAthletes; ++i)
            seed.athlete(comp, QStringLiteral("Vorname%1").arg(i), QStringLiteral("Nachname%1").arg(i));
        seed.commit();
    }
    TCurrentCompetition competition;
    TServicePorts ports(rio, address, competition);
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
        transaction.clear();
        if (failure || log.size() != 1)
            state.SkipWithError("import failed");
    }
}
BENCHMARK(BM_Import1500LinesOfCustomColumns)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
