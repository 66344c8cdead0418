// A competition list of 30 heats (8 participants, 3 attempts) with its barcodes, and the zone tally
// sheets of the same 30 heats, each written to a PDF file.

#include "bench/QtBenchMain.h"
#include "core/print/DisciplineListPrint.h"
#include "core/print/TallySheetPrint.h"

#include <QGuiApplication>
#include <QPrinter>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kHeats = 30;
constexpr int kPerHeat = 8;
constexpr int kAttempts = 3;

// The heats as the competition-list tree holds them.
void fill(QStandardItemModel& model)
{
    for (int h = 1; h <= kHeats; ++h) {
        auto* heat = new QStandardItem(QStringLiteral("Lauf/Gruppe %1").arg(h));
        model.appendRow(heat);
        for (int i = 1; i <= kPerHeat; ++i) {
            tvp::TTreeNodeInformation info;
            info.heatNo = h;
            info.laneNo = i;
            info.AthleteTeamId = h * 100 + i;
            info.AthleteTeamBarcodeId = h * 1000 + i;
            info.Name = QStringLiteral("Nachname%1, Vorname%2").arg(h).arg(i);
            info.Team = QStringLiteral("Team %1").arg(i);
            info.Bibs = {h * 10 + i};
            auto* child = new QStandardItem(info.Name);
            child->setData(QVariant::fromValue(info), tvp::kTreeNodeInformationRole);
            heat->appendRow(child);
        }
    }
}

std::shared_ptr<tvp::TDisciplinePrintContext> context(int heat, const QString& doc)
{
    return std::make_shared<tvp::TDisciplinePrintContext>(QStringLiteral("Riege %1").arg(heat), heat,
                                                          tvp::proto::ResultValueType::Distance, doc,
                                                          QStringLiteral("Weitsprung"), 4, 12, 3, QString(), 0);
}

template <class MakeBody>
void printHeats(benchmark::State& state, const QString& title, bool landscape,
                std::shared_ptr<tvp::ITVPrintObject> header, std::shared_ptr<tvp::ITVPrintObject> footer,
                MakeBody makeBody)
{
    QStandardItemModel model;
    fill(model);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("heats.pdf"));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        tvp::TPrintManager manager(printer, title, landscape);
        manager.setPageHeader(header);
        manager.setHeaderSpacing(150);
        manager.setPageFooter(footer);
        manager.setFooterSpacing(30);
        for (int h = 0; h < kHeats; ++h) {
            const tvp::TPrintTable table(model.index(h, 0), kAttempts, false, tvp::proto::ResultValueType::Distance,
                                         !landscape, landscape ? QStringLiteral("#") : QStringLiteral("Bahn"));
            manager.setContent(makeBody(table, h + 1));
            manager.render();
        }
        if (!manager.endJob())
            state.SkipWithError("PDF not written");
        state.counters["pages"] = manager.pagesPrinted();
    }
}

void BM_CompetitionList30Heats(benchmark::State& state)
{
    const auto renderer = std::make_shared<tvp::TAttemptDiscListLineRenderer>(false);
    printHeats(state, QStringLiteral("Weitsprung - Wettkampfliste"), true,
               std::make_shared<tvp::TDisciplineListHeader>(tvp::TBarcodeType::bt_DiscList, true,
                                                            tvp::TResultformat::rf_Default),
               std::make_shared<tvp::TDisciplineListFooter>(), [&](const tvp::TPrintTable& table, int heat) {
                   return std::make_shared<tvp::TDiscListPrintBody>(table, 120, renderer,
                                                                    context(heat, QStringLiteral("Wettkampfliste")));
               });
}
BENCHMARK(BM_CompetitionList30Heats)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TallySheets30Heats(benchmark::State& state)
{
    printHeats(state, QStringLiteral("Weitsprung - Zonenstrichliste"), false,
               std::make_shared<tvp::TDisciplineListHeader>(tvp::TBarcodeType::bt_TallySheet, true,
                                                            tvp::TResultformat::rf_Default),
               std::make_shared<tvp::TTVPFooter>(), [](const tvp::TPrintTable& table, int heat) {
                   return std::make_shared<tvp::TTallySheetPrintBody>(
                       table, 120, context(heat, QStringLiteral("Zonenstrichliste")), 15);
               });
}
BENCHMARK(BM_TallySheets30Heats)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

TVP_QT_GUI_BENCHMARK_MAIN()
