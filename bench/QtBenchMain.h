#pragma once
// Shared by the benchmarks that need a Qt application: a median counter and the main function.

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include <unistd.h>

namespace tvp::bench {

inline void reportMedianMs(benchmark::State& state, std::vector<double> ms)
{
    if (ms.empty())
        return;
    std::nth_element(ms.begin(), ms.begin() + ms.size() / 2, ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
}

// The process's resident memory in KiB, 0 when it cannot be read.
inline long residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

} // namespace tvp::bench

#define TVP_QT_BENCHMARK_MAIN()              \
    int main(int argc, char** argv)          \
    {                                        \
        QCoreApplication app(argc, argv);    \
        benchmark::Initialize(&argc, argv);  \
        benchmark::RunSpecifiedBenchmarks(); \
        benchmark::Shutdown();               \
        return 0;                            \
    }

// For benchmarks that paint (their file includes <QGuiApplication>): offscreen unless a platform is
// set.
#define TVP_QT_GUI_BENCHMARK_MAIN()                         \
    int main(int argc, char** argv)                         \
    {                                                       \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) \
            qputenv("QT_QPA_PLATFORM", "offscreen");        \
        QGuiApplication app(argc, argv);                    \
        benchmark::Initialize(&argc, argv);                 \
        benchmark::RunSpecifiedBenchmarks();                \
        benchmark::Shutdown();                              \
        return 0;                                           \
    }

// For benchmarks of windows (their file includes <QApplication> and core/util/AppPaths.h):
// offscreen, with the program and settings folders in a temporary folder, since lists keep their
// sort order in the settings.
#define TVP_QT_WIDGETS_BENCHMARK_MAIN()                             \
    int main(int argc, char** argv)                                 \
    {                                                               \
        qputenv("QT_QPA_PLATFORM", "offscreen");                    \
        QApplication app(argc, argv);                               \
        QTemporaryDir folders;                                      \
        tvp::AppPaths::setProgramDirForTests(folders.path());       \
        tvp::AppPaths::setCommonAppDataDirForTests(folders.path()); \
        benchmark::Initialize(&argc, argv);                         \
        benchmark::RunSpecifiedBenchmarks();                        \
        benchmark::Shutdown();                                      \
        return 0;                                                   \
    }
