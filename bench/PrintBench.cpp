// A 5,000-row table of 5 columns: the page count alone, and laid out and written to a PDF file. A
// club day's 600 athletes in 7 columns whose long names wrap: the columns measured, and the whole
// printout written to a PDF file.

#include "bench/QtBenchMain.h"
#include "core/print/PrintObject.h"
#include "core/print/PrintUtils.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

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

template <class Item>
void setUp(tvp::TPrintManager& manager, const std::shared_ptr<tvp::TItemListPrintTable<Item>>& body)
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

// 600 athletes of a club day in 12 teams of 4 clubs, with the long names of such a day.
using Athlete = std::array<QString, 7>;

class AthleteMapper : public tvp::TObjectColMapper<Athlete> {
public:
    AthleteMapper()
    {
        for (const char* h : {"Vorname", "Name", "Team", "Startnr.", "Jahrgang", "Geschlecht", "Verein"})
            addHeader(QString::fromLatin1(h));
    }
    QString getCellText(int col, const Athlete& row) const override { return row[std::size_t(col)]; }
};

std::vector<Athlete> clubDay()
{
    const QString clubs[] = {QStringLiteral("LG Überlingen-Bodensee Sportgemeinschaft e.V."),
                             QStringLiteral("LG Überlingen-Bodensee Sportgemeinschaft e.V. II"),
                             QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg"),
                             QStringLiteral("TSV Müsterhausen-Großgründlach 1896 e.V.")};
    const QString given[] = {QStringLiteral("Maximilian-Alexander"), QStringLiteral("Hannah-Katharina"),
                             QStringLiteral("Anna-Lena"), QStringLiteral("Ben")};
    const QString sur[] = {QStringLiteral("Schmidt-Müller-Lüdenscheidt"), QStringLiteral("Müller-Lüdenscheidt"),
                           QStringLiteral("Großmann"), QStringLiteral("Berg")};
    std::vector<Athlete> rows;
    for (int i = 0; i < 600; ++i) {
        const QString& club = clubs[i % 4];
        rows.push_back({given[i % 4] + QString::number(i), sur[(i / 4) % 4],
                        club + QStringLiteral(" Team %1").arg(i % 12), QString::number(i + 1), QStringLiteral("2015"),
                        QStringLiteral("w"), club});
    }
    return rows;
}

void BM_WrappingColumnsClubDay600(benchmark::State& state)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    QPainter idle;
    tvp::TPrintCanvas canvas(idle, printer);
    canvas.setFont(tvp::TPrintFont());
    tvp::TWrappingLineRenderer renderer;
    const AthleteMapper mapper;
    const std::vector<Athlete> rows = clubDay();
    // A landscape A4 page with 10 mm margins.
    for (auto _ : state)
        benchmark::DoNotOptimize(
            tvp::TItemsTablePage<Athlete>::measureColumns(renderer, mapper, rows, 65, canvas, 2770));
}
BENCHMARK(BM_WrappingColumnsClubDay600)->Unit(benchmark::kMillisecond);

void BM_WrappingTablePrintPdfClubDay600(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("athleten.pdf"));
    const std::vector<Athlete> rows = clubDay();
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        tvp::TPrintManager manager(printer, QStringLiteral("Athletenübersicht"), true);
        auto body = std::make_shared<tvp::TItemListPrintTable<Athlete>>(
            65, std::make_shared<tvp::TWrappingLineRenderer>(), nullptr, std::make_shared<AthleteMapper>());
        for (const Athlete& a : rows)
            body->addItem(a);
        setUp(manager, body);
        manager.render();
        if (!manager.endJob())
            state.SkipWithError("PDF not written");
        state.counters["pages"] = manager.pagesPrinted();
    }
}
BENCHMARK(BM_WrappingTablePrintPdfClubDay600)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

TVP_QT_GUI_BENCHMARK_MAIN()
