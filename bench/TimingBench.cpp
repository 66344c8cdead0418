// Writing the timing program's start-list file for a discipline of 60 heats of 8 lanes, as
// "Wettkampfliste senden" does: one append per heat, each opening and closing COM_ZPL.TXT. And
// following a run folder of 5,000 runs that desks share: a look while it rests (every poll
// interval), and one after another desk marked a run imported.

#include "results/TimingConnector.h"
#include "results/TimingFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

std::vector<tvp::TTimingExportHeat> discipline(int heats, int lanes)
{
    std::vector<tvp::TTimingExportHeat> out;
    for (int h = 1; h <= heats; ++h) {
        tvp::TTimingExportHeat heat;
        heat.heatNo = h;
        heat.description = QStringLiteral("Hürdensprint 40m %1/%2").arg(h).arg(heats);
        for (int l = 1; l <= lanes; ++l) {
            tvp::TTimingExportParticipant p;
            p.lane = l;
            p.Bib = h * 10 + l;
            p.SurName = QStringLiteral("Müller-Lüdenscheidt %1").arg(l);
            p.GivenName = QStringLiteral("Jörg");
            p.Team = QStringLiteral("TSV Großbottwar Staffel %1").arg(h);
            heat.participants.push_back(p);
        }
        out.push_back(heat);
    }
    return out;
}

void BM_WriteStartList60Heats(benchmark::State& state)
{
    QTemporaryDir folder;
    tvp::TimingConnector connector([&] { return folder.path(); });
    const std::vector<tvp::TTimingExportHeat> heats = discipline(60, 8);
    const QString file = QDir(folder.path()).filePath(QLatin1String(tvp::kStartListFileName));
    for (auto _ : state) {
        for (const tvp::TTimingExportHeat& heat : heats)
            connector.exportTimingList(17, 60, heat);
        state.PauseTiming();
        QFile::remove(file);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WriteStartList60Heats)->Unit(benchmark::kMillisecond);

// A run folder of 5,000 runs of one line each.
struct RunFolder {
    RunFolder()
    {
        QByteArray bytes('N', tvp::kRunFileHeaderLength);
        bytes += QByteArray(122, ' ');
        for (int run = 0; run < 5000; ++run) {
            QFile file(
                QDir(folder.path()).filePath(QStringLiteral("%1_150__EL1_SD_.tmp").arg(run, 4, 10, QChar(u'0'))));
            if (file.open(QIODevice::WriteOnly))
                file.write(bytes);
        }
        (void)follower.look(folder.path());
    }
    QTemporaryDir folder;
    tvp::RunFolderFollower follower;
};

void BM_FollowARestingRunFolderOf5000Runs(benchmark::State& state)
{
    RunFolder runs;
    for (auto _ : state)
        benchmark::DoNotOptimize(runs.follower.look(runs.folder.path()));
}
BENCHMARK(BM_FollowARestingRunFolderOf5000Runs)->Unit(benchmark::kMicrosecond);

void BM_FollowARunMarkedImportedAmong5000Runs(benchmark::State& state)
{
    RunFolder runs;
    const QString marked = QDir(runs.folder.path()).filePath(QStringLiteral("2500_150__EL1_SD_.tmp"));
    for (auto _ : state) {
        state.PauseTiming();
        tvp::markRunImported(marked);
        state.ResumeTiming();
        if (!runs.follower.look(runs.folder.path()))
            state.SkipWithError("the mark went unseen");
        state.PauseTiming();
        QFile file(marked);
        if (file.open(QIODevice::ReadWrite))
            file.write("N", 1);
        file.close();
        (void)runs.follower.look(runs.folder.path());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FollowARunMarkedImportedAmong5000Runs)->Unit(benchmark::kMillisecond);

} // namespace
