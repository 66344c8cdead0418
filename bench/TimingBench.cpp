// Writing the timing program's start-list file for a discipline of 60 heats of 8 lanes, as
// "Wettkampfliste senden" does: one append per heat, each opening and closing COM_ZPL.TXT.

#include "results/TimingConnector.h"

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

} // namespace
