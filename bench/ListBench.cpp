// A large list through the item models: sorting 10000 rows by a result column with the list
// compare, and writing them as CSV.

#include "core/lists/CsvExport.h"
#include "core/lists/ListSorting.h"
#include "core/lists/RecordListModel.h"
#include "core/results/tvpUtils.h"

#include "bench/QtBenchMain.h"

#include <QTemporaryDir>

#include <algorithm>
#include <random>

using namespace tvp;

namespace {

struct Row {
    QString name;
    QString result;
    QString club;
};

std::unique_ptr<TRecordListModel<Row>> rows(int count)
{
    auto model = std::make_unique<TRecordListModel<Row>>(std::vector<TRecordListModel<Row>::Column>{
        {QStringLiteral("Name"), [](const Row& r) { return r.name; }},
        {QStringLiteral("Weite"), [](const Row& r) { return r.result; }},
        {QStringLiteral("Verein"), [](const Row& r) { return r.club; }},
    });
    std::mt19937 random(7);
    std::vector<Row> records;
    records.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        records.push_back({QStringLiteral("Athlet %1").arg(random() % 100000),
                           QStringLiteral("%1,%2m").arg(random() % 8).arg(random() % 100, 2, 10, QLatin1Char('0')),
                           QStringLiteral("Verein %1").arg(random() % 200)});
    model->setRecords(std::move(records));
    return model;
}

void BM_SortTenThousandRowsByResult(benchmark::State& state)
{
    QTemporaryDir settings;
    qputenv("TVP_COMMON_APPDATA", settings.path().toUtf8());
    auto model = rows(10000);
    TSortedListModel sorted(QStringLiteral("Bench.ListView1."));
    sorted.setSourceModel(model.get());
    bool reverse = false;
    for (auto _ : state) {
        sorted.sortInformation().setSortCol(1);
        sorted.sortInformation().setSortDir(reverse = !reverse);
        sorted.resort();
        benchmark::DoNotOptimize(sorted.index(0, 0));
    }
}
BENCHMARK(BM_SortTenThousandRowsByResult)->Unit(benchmark::kMillisecond);

// The same texts sorted directly with the cell compare: what the model around it costs.
void BM_SortTenThousandResultTextsDirectly(benchmark::State& state)
{
    auto model = rows(10000);
    std::vector<QString> texts;
    for (const Row& r : model->records())
        texts.push_back(r.result);
    bool reverse = false;
    for (auto _ : state) {
        std::vector<QString> copy = texts;
        reverse = !reverse;
        std::stable_sort(copy.begin(), copy.end(),
                         [&](const QString& a, const QString& b) { return CompareListTexts(a, b, reverse) < 0; });
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_SortTenThousandResultTextsDirectly)->Unit(benchmark::kMillisecond);

void BM_CsvOfTenThousandRows(benchmark::State& state)
{
    auto model = rows(10000);
    for (auto _ : state)
        benchmark::DoNotOptimize(csvOfModel(*model, true, -1));
}
BENCHMARK(BM_CsvOfTenThousandRows)->Unit(benchmark::kMillisecond);

} // namespace

TVP_QT_BENCHMARK_MAIN()
