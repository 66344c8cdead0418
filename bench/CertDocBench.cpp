// Linking the certificate template that carries a 2 MB image: the test of the document, the edit of
// its two parts and the written target together must stay within 60 ms, and the memory the run
// takes at its peak within three times the package.

#include "scoring/CertDocTools.h"
#include "tests/scoring/DocxPackages.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

using namespace tvp;

namespace {

// The resident peak since the last reset, in bytes (VmHWM).
long long residentPeak()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoll(line.substr(6)) * 1024;
    return 0;
}

void resetResidentPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Source {
    Source()
    {
        std::vector<test::DocxEntry> entries;
        for (test::ReadEntry& e :
             test::readPackage(test::readAll(test::standardTemplate(QStringLiteral("Urkundenvorlage.docx")))))
            entries.push_back({e.name, e.content});
        QByteArray image(2 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator generator(7);
        generator.fillRange(reinterpret_cast<quint32*>(image.data()), image.size() / 4);
        entries.push_back({"word/media/image1.png", image});
        package = test::makePackage(entries);
        path = dir.filePath(QStringLiteral("Urkundenvorlage.docx"));
        test::writeAll(path, package);
    }
    QTemporaryDir dir;
    QByteArray package;
    QString path;
};

void BM_LinkCertificateTemplateWithImage(benchmark::State& state)
{
    static Source source;
    const QString target = source.dir.filePath(QStringLiteral("U10.docx"));
    const QString dataFile = source.dir.filePath(QStringLiteral("U10.csv"));
    double worstRatio = 0;
    for (auto _ : state) {
        resetResidentPeak();
        const long long before = residentPeak();
        const TLinkOutcome outcome = linkDocument(certDocKind(), source.path, target, dataFile);
        const long long peak = residentPeak();
        if (!outcome.store) {
            state.SkipWithError("not linked");
            break;
        }
        worstRatio = std::max(worstRatio, double(peak - before) / double(source.package.size()));
        QFile::remove(target);
    }
    state.counters["package_bytes"] = double(source.package.size());
    state.counters["peak_memory_per_package"] = worstRatio;
}
BENCHMARK(BM_LinkCertificateTemplateWithImage)->Unit(benchmark::kMillisecond)->Iterations(30);

} // namespace

BENCHMARK_MAIN();
