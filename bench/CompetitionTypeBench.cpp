// The wizard's list of competition types: 20 files of about 60 KB in the folder, each read,
// hashed and named, as the first page does when it opens.

#include "setup/CompetitionType.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A type whose bulk is metadata fields and age classes, as the larger real ones are.
QByteArray typeOf60KB(int n)
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CompetitionType>\n<DisplayName>Typ " +
                      QByteArray::number(n) + "</DisplayName>\n<CompetitionMetaInformation>\n";
    int i = 0;
    while (text.size() < 30000)
        text += "  <metainfo id=\"Feld" + QByteArray::number(i++) +
                "\" displayName=\"Ein Feld der Veranstaltung:\" dataType=\"xsd:string\" defaultValue=\"\"/>\n";
    text += "</CompetitionMetaInformation>\n<AgeClasses listMode=\"exclusive\"><TeamStartFeeDefault>20.00"
            "</TeamStartFeeDefault><AthleteStartFeeDefault>2.50</AthleteStartFeeDefault>\n";
    while (text.size() < 60000)
        text += "  <AgeClass><Name>U" + QByteArray::number(i++) +
                "</Name><DefaultMinTeamMembers>6</DefaultMinTeamMembers><DefaultMaxTeamMembers>11"
                "</DefaultMaxTeamMembers><YoungerAge>8</YoungerAge><OlderAge>9</OlderAge></AgeClass>\n";
    return text + "</AgeClasses>\n</CompetitionType>\n";
}

void BM_List20TypesOf60KB(benchmark::State& state)
{
    QTemporaryDir dir;
    for (int n = 0; n < 20; ++n) {
        QFile file(dir.filePath(QStringLiteral("typ%1.qct").arg(n, 2, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly) || file.write(typeOf60KB(n)) < 0)
            state.SkipWithError("cannot write the types");
    }
    for (auto _ : state) {
        const std::vector<tvp::TCompetitionTypeEntry> list = tvp::listCompetitionTypes(dir.path());
        if (list.size() != 20 || list.back().displayName.isEmpty())
            state.SkipWithError("types not listed");
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_List20TypesOf60KB)->Unit(benchmark::kMillisecond);

} // namespace
