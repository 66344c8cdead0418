// The list of existing certificate documents: 2,000 compilations of 40 competitions and 5 cups on
// the stand-in, each with a stored document. From the answer of getAllCollections to the sorted
// list (files looked up, first ordering through the sorting model) must take at most 250 ms.

#include "core/lists/ListSorting.h"
#include "core/lists/RecordListModel.h"
#include "core/protocol/TVPWebServices2.h"
#include "scoring/DocSetupRequests.h"
#include "standin/Database.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "bench/BenchStandin.h"
#include "bench/QtBenchMain.h"

using namespace tvp;

namespace {

constexpr int kCollections = 2000;

struct Server : bench::TBenchServer {
    Server()
    {
        test::StandinSeed seed = beginSeed();
        std::vector<int> comps;
        for (int c = 0; c < 40; ++c)
            comps.push_back(seed.competition(QStringLiteral("Sportfest %1").arg(c)));
        current = comps[7];
        std::vector<int> cups;
        for (int c = 0; c < 5; ++c)
            cups.push_back(seed.cup(QStringLiteral("Cup %1").arg(c), {comps[std::size_t(c * 3)]}));
        for (int i = 0; i < kCollections; ++i) {
            const QString file = dir.filePath(QStringLiteral("Urkunde %1.docx").arg(i % 100));
            if (i < 100) {
                QFile f(file);
                f.open(QIODevice::WriteOnly);
            }
            const int id = seed.db().nextId("collection");
            const bool cup = i % 20 == 0;
            seed.db()
                .query("INSERT INTO aggregator_collections (id, competition_id, cup_id, name) VALUES (?, NULLIF(?, 0), "
                       "NULLIF(?, 0), ?)",
                       id, cup ? 0 : comps[std::size_t(i % 40)], cup ? cups[std::size_t(i % 5)] : 0,
                       QStringLiteral("U%1 / Wertung %2").arg(8 + i % 6).arg(i))
                .run();
            // Every tenth document no longer exists.
            const QString path = i % 10 == 9 ? dir.filePath(QStringLiteral("weg %1.docx").arg(i)) : file;
            seed.db()
                .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('AggColl_CertDocPath', ?, ?)", id, path)
                .run();
        }
        seed.commit();
        url = serviceUrl(QStringLiteral("UiRetrievalService"));
    }
    QTemporaryDir dir;
    int current = 0;
    QString url;
};

void BM_ExistingCertificatesSorted(benchmark::State& state)
{
    static Server server;
    proto::THTTPRIO rio;
    const auto uir = proto::GetUiRetrievalPortType(false, server.url, &rio);
    const proto::getAllCollectionsResponse answer = uir->getAllCollections();
    TRecordListModel<TDocListRow> rows({{QStringLiteral("Auswertung"), [](const TDocListRow& r) { return r.caption; }},
                                        {QStringLiteral("Typ"), [](const TDocListRow& r) { return r.type; }},
                                        {QStringLiteral("Ursprung"), [](const TDocListRow& r) { return r.origin; }},
                                        {QStringLiteral("Pfad"), [](const TDocListRow& r) { return r.path; }}});
    TSortedListModel sorted(QStringLiteral("Bench.ListView1."),
                            [&](const QAbstractItemModel&, int, int a, int b, bool) {
                                return compareCertDocRows(rows.record(a), rows.record(b), server.current);
                            });
    sorted.setSourceModel(&rows);
    std::size_t listed = 0;
    std::vector<double> ms;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        rows.setRecords(certDocRows(answer, server.current, [](const QString& p) { return QFileInfo::exists(p); }));
        sorted.resort();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        listed = std::size_t(sorted.rowCount());
    }
    bench::reportMedianMs(state, ms);
    state.counters["rows"] = double(listed);
    state.counters["collections"] = double(answer.size());
}
BENCHMARK(BM_ExistingCertificatesSorted)->Unit(benchmark::kMillisecond)->Iterations(20);

// The same with the answer's transfer and decoding included.
void BM_ExistingCertificatesAnswerToSortedList(benchmark::State& state)
{
    static Server server;
    proto::THTTPRIO rio;
    const auto uir = proto::GetUiRetrievalPortType(false, server.url, &rio);
    std::vector<double> ms;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        std::vector<TDocListRow> rows = certDocRows(uir->getAllCollections(), server.current,
                                                    [](const QString& p) { return QFileInfo::exists(p); });
        std::stable_sort(rows.begin(), rows.end(), [&](const TDocListRow& a, const TDocListRow& b) {
            return compareCertDocRows(a, b, server.current) < 0;
        });
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        benchmark::DoNotOptimize(rows);
    }
    bench::reportMedianMs(state, ms);
}
BENCHMARK(BM_ExistingCertificatesAnswerToSortedList)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

TVP_QT_BENCHMARK_MAIN();
