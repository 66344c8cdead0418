// The stand-in as the shared server of a busy club network: N clients on loopback, each looping
// begin / two writes / commit for the given time, while a probe asks getBackendVersion every
// 100 ms. Targets: every transaction ends (committed, or refused within a second), at least 90 %
// commit, and the probe is answered within 2 s throughout.
//
//   bench_standin_load --benchmark_filter=StandinUnderLoad

#include "bench/BenchStandin.h"
#include "tests/support/StandinHarness.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

using namespace tvp;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double percentile(std::vector<double>& v, double p)
{
    if (v.empty())
        return 0;
    const auto at = v.begin() + std::ptrdiff_t(p * double(v.size() - 1));
    std::nth_element(v.begin(), at, v.end());
    return *at;
}

void BM_StandinUnderLoad(benchmark::State& state)
{
    const int clients = int(state.range(0));
    const auto duration = std::chrono::seconds(state.range(1));
    // Two hundred clients and as many server connections need more than the usual 1024 descriptors.
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);

    const bench::TBenchServer server;

    for (auto _ : state) {
        std::atomic<long> committed = 0, refused = 0, failed = 0, slowRefusals = 0;
        std::mutex m;
        std::vector<double> commitMs, refusalMs, probeMs;
        const auto end = Clock::now() + duration;

        std::atomic<bool> probing = true;
        std::thread probe([&] {
            auto pis = test::StandinClient(server.port()).pis();
            while (probing) {
                const auto t0 = Clock::now();
                try {
                    pis->getBackendVersion();
                } catch (const std::exception&) {
                    ++failed;
                }
                probeMs.push_back(msSince(t0));
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        });

        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&, c] {
                test::StandinClient s(server.port());
                std::vector<double> mine, myRefusals;
                for (int n = 0; Clock::now() < end; ++n) {
                    const auto t0 = Clock::now();
                    try {
                        s.cms()->beginTransaction(false);
                    } catch (const ETvExceptionDetail& e) {
                        (e.ExceptionID == 902 ? refused : failed)++;
                        myRefusals.push_back(msSince(t0));
                        slowRefusals += myRefusals.back() > 1000;
                        continue;
                    } catch (const std::exception&) {
                        ++failed;
                        continue;
                    }
                    try {
                        s.cms()->setUiInfo(QStringLiteral("Runde"), QString::number(n), c);
                        s.cms()->setUiInfo(QStringLiteral("Client"), QString::number(c), c);
                        s.cms()->commitTransaction();
                        ++committed;
                        mine.push_back(msSince(t0));
                    } catch (const std::exception&) {
                        ++failed;
                        try {
                            s.cms()->rollbackTransaction();
                        } catch (const std::exception&) {
                        }
                    }
                    s.transactionId.clear();
                }
                std::lock_guard lock(m);
                commitMs.insert(commitMs.end(), mine.begin(), mine.end());
                refusalMs.insert(refusalMs.end(), myRefusals.begin(), myRefusals.end());
            });
        }
        const auto t0 = Clock::now();
        for (std::thread& t : threads)
            t.join();
        const double seconds = msSince(t0) / 1000;
        probing = false;
        probe.join();

        const long ended = committed + refused;
        const double commitShare = ended ? 100.0 * double(committed) / double(ended) : 0;
        const double probeMax = probeMs.empty() ? 0 : *std::max_element(probeMs.begin(), probeMs.end());
        const double refusalMax = refusalMs.empty() ? 0 : *std::max_element(refusalMs.begin(), refusalMs.end());
        state.counters["clients"] = clients;
        state.counters["committed"] = double(committed);
        state.counters["refused"] = double(refused);
        state.counters["failed"] = double(failed);
        state.counters["commit_pct"] = commitShare;
        state.counters["tx_per_s"] = double(committed) / seconds;
        state.counters["p50_ms"] = percentile(commitMs, 0.50);
        state.counters["p99_ms"] = percentile(commitMs, 0.99);
        state.counters["max_ms"] = commitMs.empty() ? 0 : *std::max_element(commitMs.begin(), commitMs.end());
        state.counters["refusal_max_ms"] = refusalMax;
        state.counters["probe_p99_ms"] = percentile(probeMs, 0.99);
        state.counters["probe_max_ms"] = probeMax;
        std::printf("%d clients, %.1f s: %ld committed (%.1f %%), %ld refused (slowest %.0f ms, %ld over 1 s), "
                    "%ld failed; %.0f tx/s; begin to commit p50 %.1f ms, p99 %.1f ms, max %.1f ms; "
                    "getBackendVersion p99 %.1f ms, max %.1f ms\n",
                    clients, seconds, long(committed), commitShare, long(refused), refusalMax, long(slowRefusals),
                    long(failed), state.counters["tx_per_s"].value, state.counters["p50_ms"].value,
                    state.counters["p99_ms"].value, state.counters["max_ms"].value,
                    state.counters["probe_p99_ms"].value, probeMax);
        const bool met = failed == 0 && slowRefusals == 0 && commitShare >= 90 && probeMax < 2000;
        state.counters["targets_met"] = met;
        if (!met)
            state.SkipWithError("a target was missed (see the counters)");
    }
}

} // namespace

BENCHMARK(BM_StandinUnderLoad)
    ->Args({200, 30})
    ->ArgNames({"clients", "seconds"})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
