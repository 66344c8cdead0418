// Encoding and decoding 100,000 barcode payloads of all four forms.

#include "core/barcode/BarcodeUtils.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void BM_EncodeDecode100k(benchmark::State& state)
{
    QRandomGenerator random(11);
    std::vector<qint64> values(400000);
    for (qint64& v : values)
        v = qint64(random.generate64() & quint64(tvp::kBarcodeMaxValue)) >> random.bounded(35);
    for (auto _ : state) {
        qint64 sum = 0;
        for (std::size_t i = 0; i < 100000; ++i) {
            const qint64* v = &values[i * 4];
            switch (i % 4) {
            case 0: sum += tvp::decodeIdBarcode(tvp::athleteBarcode(v[0])); break;
            case 1: sum += tvp::decodeIdBarcode(tvp::blankBarcode(v[0])); break;
            case 2:
                sum += tvp::decodeDisciplineListBarcode(tvp::disciplineListBarcode({v[0], v[1], v[2], v[3]})).topItem;
                break;
            default:
                sum += tvp::decodeTallySheetBarcode(tvp::tallySheetBarcode({v[0], v[1], v[2], v[3]})).listVersion;
                break;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_EncodeDecode100k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
