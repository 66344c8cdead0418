// The documentation of a new competition merged by the stand-in over loopback, as the creation asks
// for it: 48 one-page PDFs of 40 KB must come back as one within 1.5 s, and the client must not
// need more than three times the PDFs' size on top of them meanwhile.

#include "bench/BenchStandin.h"
#include "core/protocol/TVPWebServices2.h"
#include "setup/DocumentationGenerator.h"
#include "tests/support/PdfPages.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <memory>

// The client's memory is what the calling thread allocates: the stand-in runs in this process on
// threads of its own. Qt allocates with malloc, so counting happens there.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
}

namespace {

thread_local bool counting = false;
std::atomic<long long> live{0};
std::atomic<long long> peak{0};

void counted(long long delta)
{
    const long long now = live.fetch_add(delta) + delta;
    long long seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
}

} // namespace

extern "C" {
void* malloc(size_t size)
{
    void* p = __libc_malloc(size);
    if (counting && p)
        counted(static_cast<long long>(malloc_usable_size(p)));
    return p;
}
void* calloc(size_t n, size_t size)
{
    void* p = __libc_calloc(n, size);
    if (counting && p)
        counted(static_cast<long long>(malloc_usable_size(p)));
    return p;
}
void* realloc(void* old, size_t size)
{
    const long long before = counting && old ? static_cast<long long>(malloc_usable_size(old)) : 0;
    void* p = __libc_realloc(old, size);
    if (counting && p)
        counted(static_cast<long long>(malloc_usable_size(p)) - before);
    return p;
}
void free(void* p)
{
    if (counting && p)
        counted(-static_cast<long long>(malloc_usable_size(p)));
    __libc_free(p);
}
}

using namespace tvp;

namespace {

constexpr int kFiles = 48;
constexpr int kFileBytes = 40 * 1024;

void BM_MergePdf48Of40KbOnLoopback(benchmark::State& state)
{
    const bench::TBenchServer server;
    const QString url = server.serviceUrl(QStringLiteral("ToolingService"));

    std::vector<QByteArray> pdfs;
    qint64 inputBytes = 0;
    for (int i = 0; i < kFiles; ++i) {
        pdfs.push_back(test::pdfWithPages({QStringLiteral("Disziplin %1").arg(i + 1)}, kFileBytes));
        inputBytes += pdfs.back().size();
    }
    proto::THTTPRIO rio;
    auto tos = proto::GetToolingPortType(false, url, &rio);
    qsizetype merged = 0;
    long long mostExtra = 0;
    for (auto _ : state) {
        live = 0;
        peak = 0;
        counting = true;
        const QByteArray pdf = mergePDFs(*tos, pdfs);
        counting = false;
        merged = pdf.size();
        mostExtra = std::max(mostExtra, peak.load());
    }
    state.counters["input_bytes"] = double(inputBytes);
    state.counters["merged_bytes"] = double(merged);
    state.counters["client_peak_bytes"] = double(mostExtra);
    state.counters["client_peak_per_input"] = double(mostExtra) / double(inputBytes);
}
BENCHMARK(BM_MergePdf48Of40KbOnLoopback)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
