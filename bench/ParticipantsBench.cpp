// Scan assembly from key events to dispatch, and reading a registration CSV of 10,000 rows.

#include "core/barcode/BarcodeDispatcher.h"
#include "core/util/AppPaths.h"
#include "participants/CsvImport.h"
#include "core/lists/CsvReader.h"
#include "participants/ScanAssembler.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <linux/input-event-codes.h>

#include <vector>

namespace {

// A 12-character code as a scanner sends it: Shift around each letter, every key pressed and
// released, then Enter.
std::vector<tvp::TRawKeyEvent> scannedCode(quint32 device)
{
    const char* code = "T5X11X1X8VX0";
    std::vector<tvp::TRawKeyEvent> events;
    qint64 t = 0;
    const auto key = [&](quint16 k, qint32 v) { events.push_back({device, k, v, t += 1}); };
    for (const char* c = code; *c; ++c) {
        quint16 k = 0;
        if (*c >= '1' && *c <= '9')
            k = quint16(KEY_1 + (*c - '1'));
        else if (*c == '0')
            k = KEY_0;
        else
            k = *c == 'T' ? KEY_T : *c == 'X' ? KEY_X : KEY_V;
        const bool letter = *c >= 'A';
        if (letter)
            key(KEY_LEFTSHIFT, 1);
        key(k, 1);
        key(k, 0);
        if (letter)
            key(KEY_LEFTSHIFT, 0);
    }
    key(KEY_ENTER, 1);
    key(KEY_ENTER, 0);
    return events;
}

void BM_ScanTwelveCharactersToDispatch(benchmark::State& state)
{
    static bool registered = false;
    static qint64 taken = 0;
    if (!registered) {
        tvp::barcodeDispatcher().AddBarcodeCallback([](const QString& code) {
            taken += code.size();
            return code.startsWith(QLatin1Char('T'));
        });
        registered = true;
    }
    // The link goes to a settings file of its own, never the user's.
    QTemporaryDir settings;
    tvp::AppPaths::setCommonAppDataDirForTests(settings.path());
    tvp::TScanAssembler assembler; // to the program's dispatcher
    assembler.addActiveScanner(QStringLiteral("/dev/input/by-path/bench-event-kbd"));
    assembler.resolveDevices({{1, QStringLiteral("/dev/input/by-path/bench-event-kbd"), {}}});
    const std::vector<tvp::TRawKeyEvent> events = scannedCode(1);
    for (auto _ : state) {
        for (const tvp::TRawKeyEvent& e : events)
            assembler.OnRawKeyMessage(e);
    }
    benchmark::DoNotOptimize(taken);
    state.counters["keys"] = double(events.size());
    tvp::AppPaths::setCommonAppDataDirForTests({});
}
BENCHMARK(BM_ScanTwelveCharactersToDispatch)->Unit(benchmark::kMicrosecond);

QByteArray registrationTable(int rows)
{
    QRandomGenerator random(5);
    QByteArray csv = "Vorname;Name;Team;Altersklasse;Jahrgang;Geschlecht;Verein\r\n";
    const char* given[] = {"Lena", "J\xFCrgen", "Mia", "Tom", "Zo\xEB", "Ben"};
    const char* family[] = {"M\xFCller", "Schmidt", "Wei\xDF", "\"Berg\"\"er\"", "Kurz", "Lang"};
    for (int i = 0; i < rows; ++i) {
        csv += given[random.bounded(6)];
        csv += ';';
        csv += family[random.bounded(6)];
        csv += ";Team " + QByteArray::number(random.bounded(400)) + ";U" +
               QByteArray::number(8 + 2 * random.bounded(3)) + ';' + QByteArray::number(2012 + random.bounded(6)) +
               (random.bounded(2) ? ";M;" : ";W;") + "\"TV Nord; Abteilung " + QByteArray::number(random.bounded(60)) +
               "\"\r\n";
    }
    return csv;
}

void BM_ReadRegistrationCsv10k(benchmark::State& state)
{
    const QByteArray table = registrationTable(10000);
    for (auto _ : state) {
        tvp::TCsvList rows = tvp::parseCSV(table);
        benchmark::DoNotOptimize(rows);
    }
    state.counters["bytes"] = double(table.size());
}
BENCHMARK(BM_ReadRegistrationCsv10k)->Unit(benchmark::kMillisecond);

void BM_ReadAndMapRegistrationCsv10k(benchmark::State& state)
{
    const QByteArray table = registrationTable(10000);
    for (auto _ : state) {
        tvp::TCsvImportResult result = tvp::buildCsvImportRequest(tvp::parseCSV(table));
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_ReadAndMapRegistrationCsv10k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
