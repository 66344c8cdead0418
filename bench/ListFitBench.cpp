// A large athlete list sharing its width among its columns: the time one width change takes (a
// step of dragging the window's edge), and one fill of the list with its columns shared, with 1,000
// and 10,000 rows of nine columns.

#include "core/lists/RecordListModel.h"
#include "core/ui/WindowFit.h"
#include "core/util/AppPaths.h"

#include "bench/QtBenchMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>

#include <random>

using namespace tvp;

namespace {

struct Athlete {
    QStringList cells;
};

std::unique_ptr<TRecordListModel<Athlete>> athletes(int count)
{
    const QStringList captions{
        QStringLiteral("Vorname"),      QStringLiteral("Nachname"),     QStringLiteral("Team"),
        QStringLiteral("Startnummern"), QStringLiteral("Verein"),       QStringLiteral("Geschlecht"),
        QStringLiteral("Jahrgang"),     QStringLiteral("Altersklasse"), QStringLiteral("ID")};
    std::vector<TRecordListModel<Athlete>::Column> columns;
    for (int c = 0; c < captions.size(); ++c)
        columns.push_back({captions[c], [c](const Athlete& a) { return a.cells[c]; }});
    auto model = std::make_unique<TRecordListModel<Athlete>>(std::move(columns));
    const QStringList given{QStringLiteral("Marie-Charlotte"), QStringLiteral("Maximilian-Alexander"),
                            QStringLiteral("Anna-Lena"), QStringLiteral("Jan")};
    const QStringList sur{QStringLiteral("Schmidt-Müller-Lüdenscheidt"), QStringLiteral("Großmann"),
                          QStringLiteral("Hohenberger-Wolfsteiner")};
    const QStringList clubs{QStringLiteral("LG Überlingen-Bodensee Sportgemeinschaft e.V."),
                            QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg"),
                            QStringLiteral("TSV Müsterhausen-Großengstingen")};
    std::mt19937 random(7);
    std::vector<Athlete> records;
    records.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const QString club = clubs[int(random() % 3)];
        records.push_back({{given[int(random() % 4)], sur[int(random() % 3)],
                            club + QStringLiteral(" %1").arg(random() % 40), QString::number(100 + i), club,
                            i % 2 ? QStringLiteral("m") : QStringLiteral("w"), QString::number(2014 + i % 4),
                            QStringLiteral("U10 Kinderleichtathletik gemischt"), QString::number(i + 1)}});
    }
    model->setRecords(std::move(records));
    return model;
}

// The list shown inside a window, so that a resize reaches it at once.
struct ShownList {
    explicit ShownList(QAbstractItemModel& model) : view(&window)
    {
        window.resize(1400, 700);
        view.setRootIsDecorated(false);
        view.setUniformRowHeights(true);
        view.setModel(&model);
        view.resize(900, 600);
        window.show();
        fitColumnsToRoom(view);
        QApplication::processEvents();
    }
    QWidget window;
    QTreeView view;
};

void BM_ListWidthChange(benchmark::State& state)
{
    auto model = athletes(int(state.range(0)));
    ShownList list(*model);
    std::vector<double> ms;
    int step = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        // Each step a few pixels, as a dragged edge moves.
        list.view.resize(900 + (++step % 40) * 7, 600);
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    tvp::bench::reportMedianMs(state, std::move(ms));
}
BENCHMARK(BM_ListWidthChange)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ListFilled(benchmark::State& state)
{
    auto model = athletes(int(state.range(0)));
    const std::vector<Athlete> records = model->records();
    ShownList list(*model);
    std::vector<double> ms;
    for (auto _ : state) {
        auto copy = records;
        QElapsedTimer clock;
        clock.start();
        model->setRecords(std::move(copy));
        fitColumnsToRoom(list.view);
        QApplication::processEvents();
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    tvp::bench::reportMedianMs(state, std::move(ms));
}
BENCHMARK(BM_ListFilled)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

TVP_QT_WIDGETS_BENCHMARK_MAIN();
