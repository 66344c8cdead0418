// Template files as the export and import windows and the competition creation use them: a
// discipline of 300 scoring nodes naming 50 global parameters written, read and flattened, the
// free running number of an interface key among 2,000 UI infos on loopback, and a 30-node
// template imported into the stand-in.

#include "bench/BenchStandin.h"
#include "core/protocol/TVPWebServices2.h"
#include "scoring/AggregatorTreeModel.h"
#include "setup/TemplateFiles.h"

#include <QCoreApplication>
#include <QLocale>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;

namespace {

constexpr int kParameters = 50;

// The discipline 1 feeds 20 nodes, each of which feeds 14 more: 300 nodes, each naming one of
// kParameters parameters (every second one kept in the template) and carrying a label.
struct BigTree {
    BigTree()
    {
        info.id = 1;
        info.name = QStringLiteral("Sprint");
        info.attempts = 3;
        proto::AggregatorTreeNodeType disc;
        disc.ID = 1;
        int id = 100;
        int p = 0;
        auto node = [&](int source) {
            proto::AggregatorTreeNodeType n;
            n.ID = id++;
            proto::ResultAggregatorInstanceType& i = n.AggregatorInfo.ensure();
            i.TemplateID = 2;
            i.ConnectedAggregators = {source};
            i.Parameters = {QStringLiteral("Parameter %1").arg(p++ % kParameters)};
            labels.push_back(label(n.ID));
            return n;
        };
        for (int a = 0; a < 20; ++a) {
            proto::AggregatorTreeNodeType mid = node(1);
            for (int b = 0; b < 14; ++b)
                mid.OutputConnections.push_back(node(mid.ID));
            disc.OutputConnections.push_back(std::move(mid));
        }
        roots = {disc};
        for (int i = 0; i < kParameters; ++i)
            rows.push_back({i % 2 == 0, QStringLiteral("Export %1").arg(i), QStringLiteral("%1,5").arg(i),
                            QStringLiteral("Parameter %1").arg(i)});
        tree = std::make_unique<TAggregatorTreeModel>(
            roots, std::vector<int>{1}, [](int) { return nullptr; }, &info);
        tree->setLabelsToAggTree(labels, 0);
    }

    static proto::UiInfoKeyValuePair label(int id)
    {
        proto::UiInfoKeyValuePair p;
        p.Key = makeUiInfoKey(QStringLiteral("Label"), id);
        p.Value = QStringLiteral("Knoten %1 mit $(1)").arg(id);
        return p;
    }

    TDisciplineInfo info;
    std::vector<proto::AggregatorTreeNodeType> roots;
    std::vector<proto::UiInfoKeyValuePair> labels;
    std::vector<TExportParameterRow> rows;
    std::unique_ptr<TAggregatorTreeModel> tree;
};

BigTree& bigTree()
{
    static BigTree t;
    return t;
}

QByteArray bigDocument()
{
    static const QByteArray doc =
        discTemplateExport(*bigTree().tree, QStringLiteral("Sprint"), bigTree().rows, {}, {})->document;
    return doc;
}

void BM_Write300NodeDisciplineTemplate(benchmark::State& state)
{
    BigTree& t = bigTree();
    for (auto _ : state)
        benchmark::DoNotOptimize(discTemplateExport(*t.tree, QStringLiteral("Sprint"), t.rows, {}, {}));
    state.counters["bytes"] = double(bigDocument().size());
}
BENCHMARK(BM_Write300NodeDisciplineTemplate)->Unit(benchmark::kMillisecond);

void BM_Read300NodeDisciplineTemplate(benchmark::State& state)
{
    const QByteArray doc = bigDocument();
    for (auto _ : state) {
        const TTemplateRead<TDisciplineTemplate> read = LoadDiscFromStream(doc);
        if (!read.templ.aggRoot) {
            state.SkipWithError("not read");
            break;
        }
    }
}
BENCHMARK(BM_Read300NodeDisciplineTemplate)->Unit(benchmark::kMillisecond);

void BM_Flatten300NodeDisciplineTemplate(benchmark::State& state)
{
    const TTemplateRead<TDisciplineTemplate> read = LoadDiscFromStream(bigDocument());
    TParameterMappingRows rows([](const QString&) { return false; }, [](const QString&) { return std::nullopt; });
    rows.loadParams(read.templ.params->Parameters);
    std::size_t count = 0;
    for (auto _ : state) {
        std::vector<proto::ResultAggregatorInstanceType> aggs;
        std::vector<proto::setUiInfo> infos;
        std::vector<TExternalLink> links;
        rows.AddResAggs(aggs, 0, *read.templ.aggRoot, infos, {}, links);
        count = aggs.size();
    }
    if (count != 300)
        state.SkipWithError("not every node");
}
BENCHMARK(BM_Flatten300NodeDisciplineTemplate)->Unit(benchmark::kMicrosecond);

// A stand-in with one competition; node 5000 carries 2,000 UI infos, a third of them output keys.
struct Server : bench::TBenchServer {
    Server()
    {
        test::StandinSeed seed = beginSeed();
        competition = seed.competition(QStringLiteral("Kreisfinale"));
        for (int i = 0; i < 2000; ++i) {
            const QString key = i % 3 == 0 ? QStringLiteral("ResultsOutputConnections%1").arg(i)
                                           : QStringLiteral("Schlüssel %1").arg(i);
            seed.db()
                .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES (?, ?, ?)", key, 5000,
                       QStringLiteral("Wert %1").arg(i))
                .run();
        }
        seed.commit();
        base = serviceUrl();
    }

    int competition = 0;
    QString base;
};

Server& server()
{
    static Server s;
    return s;
}

void BM_FreeStartIndexAmong2000UiInfosOnLoopback(benchmark::State& state)
{
    Server& s = server();
    proto::THTTPRIO rio;
    rio.omitEmptyNodes = true;
    int index = 0;
    for (auto _ : state) {
        auto drs = proto::GetDataRetrievalPortType(false, s.base + QStringLiteral("DataRetrievalService/"), &rio);
        index = getUIInfoFreeStartIndex(*drs, QStringLiteral("ResultsOutputConnections"), 5000);
    }
    if (index != 1999)
        state.SkipWithError("wrong index");
}
BENCHMARK(BM_FreeStartIndexAmong2000UiInfosOnLoopback)->Unit(benchmark::kMillisecond);

// 30 nodes (the discipline feeds 3, each of which feeds 9) with 10 interfaces, imported as the
// import window sends it, each time as a new discipline.
void BM_Import30NodeDisciplineTemplateOnLoopback(benchmark::State& state)
{
    Server& s = server();
    proto::TExportAggregatorTreeNodeType root;
    root.ID = 1;
    int id = 10;
    for (int a = 0; a < 3; ++a) {
        proto::TExportAggregatorTreeNodeType mid;
        mid.ID = id++;
        mid.AggregatorInfo.ensure().TemplateID = 1;
        mid.AggregatorInfo->Parameters = {QStringLiteral("1.5")};
        mid.name = QStringLiteral("Mitte %1").arg(a);
        for (int b = 0; b < 9; ++b) {
            proto::TExportAggregatorTreeNodeType leaf;
            leaf.ID = id++;
            leaf.AggregatorInfo.ensure().TemplateID = 2;
            leaf.AggregatorInfo->Parameters = {QStringLiteral("0")};
            leaf.name = QStringLiteral("Blatt %1").arg(leaf.ID);
            leaf.VisAnalysis = true;
            if (b < 3 + (a == 0 ? 1 : 0))
                leaf.externalConnections.push_back({b + 1, QStringLiteral("Schnittstelle %1/%2").arg(a).arg(b)});
            mid.OutputConnections.push_back(std::move(leaf));
        }
        root.OutputConnections.push_back(std::move(mid));
    }
    TDisciplineTemplate templ;
    templ.DisciplinInfo.ensure().ResultTableType.ensure().ResultsPerRow = 3;
    templ.aggRoot = root;
    TParameterMappingRows rows([](const QString&) { return false; }, [](const QString&) { return std::nullopt; });
    proto::THTTPRIO rio;
    rio.omitEmptyNodes = true;
    int n = 0;
    for (auto _ : state) {
        auto request = discImportRequest(templ, rows, {}, QStringLiteral("Sprint %1").arg(n++), 0,
                                         proto::SquadAssignmentType::teamDistributed, 0, s.competition);
        auto cms = proto::GetCompetitionManagementPortType(
            false, s.base + QStringLiteral("CompetitionManagementService/"), &rio);
        const TDiscImportResponse r = createDisciplineFromTemplate(*cms, *request, nullptr, {});
        if (r.IDMap.size() != 31) {
            state.SkipWithError("not every node");
            break;
        }
    }
}
BENCHMARK(BM_Import30NodeDisciplineTemplateOnLoopback)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // The program's number format: values are typed and shown with a decimal comma.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
