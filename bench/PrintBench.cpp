// A 5,000-row table of 5 columns: the page count alone, and laid out and written to a PDF file.

#include "bench/QtBenchMain.h"
#include "core/print/PrintObject.h"
#include "core/print/PrintUtils.h"

#include <QGuiApplication>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>

namespace {

using Row = std::array<QString, 5>;

class RowMapper : public tvp::TObjectColMapper<Row> {
public:
    RowMapper()
    {
        for (const char* h : {"Vorname", "Name", "Team", "Startnr.", "Verein"})
            addHeader(QString::fromLatin1(h));
    }
    QString getCellText(int col, const Row& row) const override { return row[std::size_t(col)]; }
};

std::shared_ptr<tvp::TItemListPrintTable<Row>> table()
{
    auto body = std::make_shared<tvp::TItemListPrintTable<Row>>(65, std::make_shared<tvp::TSimpleLineRenderer>(),
                                                                nullptr, std::make_shared<RowMapper>());
    for (int i = 0; i < 5000; ++i)
        body->addItem({QStringLiteral("Vorname%1").arg(i), QStringLiteral("Nachname%1").arg(i),
                       QStringLiteral("Team %1").arg(i / 6), QString::number(i + 1),
                       QStringLiteral("Leichtathletikverein %1").arg(i % 40)});
    return body;
}

void setUp(tvp::TPrintManager& manager, const std::shared_ptr<tvp::TItemListPrintTable<Row>>& body)
{
    manager.setPageHeader(
        std::make_shared<tvp::TGenericCaptionStringHeader>(QStringLiteral("Athletenübersicht"), QString(), 20, 45));
    manager.setHeaderSpacing(150);
    manager.setContent(body);
    manager.setPageFooter(std::make_shared<tvp::TTVPFooter>());
    manager.setFooterSpacing(30);
}

void BM_TableLayout5000(benchmark::State& state)
{
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("layout.pdf")));
    const auto body = table();
    tvp::TPrintManager manager(printer, QStringLiteral("Athletenübersicht"), true);
    setUp(manager, body);
    int pages = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(pages = manager.getNoOfPages(true));
    state.counters["pages"] = pages;
}
BENCHMARK(BM_TableLayout5000)->Unit(benchmark::kMillisecond);

void BM_TablePrintPdf5000(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tabelle.pdf"));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        tvp::TPrintManager manager(printer, QStringLiteral("Athletenübersicht"), true);
        setUp(manager, table());
        manager.render();
        if (!manager.endJob())
            state.SkipWithError("PDF not written");
        state.counters["pages"] = manager.pagesPrinted();
    }
}
BENCHMARK(BM_TablePrintPdf5000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

TVP_QT_GUI_BENCHMARK_MAIN()
