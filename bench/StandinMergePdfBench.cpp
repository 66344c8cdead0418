// The documentation of a new competition merged by the stand-in over loopback: 48 one-page PDFs
// of 40 KB must come back as one within 1.5 s.

#include "core/protocol/TVPWebServices2.h"
#include "standin/StandinServer.h"
#include "tests/support/PdfPages.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;

namespace {

constexpr int kFiles = 48;
constexpr int kFileBytes = 40 * 1024;

void BM_MergePdf48Of40KbOnLoopback(benchmark::State& state)
{
    QTemporaryDir dir;
    standin::StandinOptions options;
    options.port = 0;
    options.dataFile = (dir.path() + QStringLiteral("/bench.db")).toStdString();
    standin::StandinServer server(options);
    const QString url =
        QStringLiteral("http://127.0.0.1:%1/TrivantaPentrel/services/ToolingService/").arg(server.port());

    proto::pagesBase64Types entries;
    qint64 inputBytes = 0;
    for (int i = 0; i < kFiles; ++i) {
        const QByteArray pdf = test::pdfWithPages({QStringLiteral("Disziplin %1").arg(i + 1)}, kFileBytes);
        inputBytes += pdf.size();
        entries.push_back(QString::fromLatin1(pdf.toBase64()));
    }
    proto::THTTPRIO rio;
    qsizetype merged = 0;
    for (auto _ : state) {
        auto tos = proto::GetToolingPortType(false, url, &rio);
        merged = tos->mergePDF(entries).pdfDocBase64.size();
    }
    state.counters["input_bytes"] = double(inputBytes);
    state.counters["answer_base64_bytes"] = double(merged);
}
BENCHMARK(BM_MergePdf48Of40KbOnLoopback)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
