// The discipline template windows against the stand-in on loopback: a discipline of 30 scoring
// nodes with 10 named interfaces, saved ("Speichern" until the window is closed) and imported
// ("Importieren" until the window is closed, the discipline created with all its nodes).

#include "bench/BenchStandin.h"
#include "bench/QtBenchMain.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "organisation/ui/DisciplinDialog.h"
#include "organisation/ui/OrganisationWindows.h"
#include "scoring/ui/ScoringWindows.h"
#include "setup/TemplateFiles.h"
#include "setup/ui/LoadDiscTemplateDialog.h"
#include "setup/ui/SaveDiscTemplateDialog.h"
#include "setup/ui/SetupWindows.h"
#include "tests/support/StandinHarness.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

using namespace tvp;

namespace {

// Every file dialog answers with the one file; a modal window runs the action while shown.
class BenchDialogs : public IDialogs {
public:
    TMsgAnswer messageBox(QWidget*, const QString&, const QString&, TMsgKind, TMsgButtons, TMsgAnswer) override
    {
        return TMsgAnswer::Yes;
    }
    QString getOpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return file; }
    QString getSaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return file; }
    QString getExistingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QString> getText(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    bool printDialog(QWidget*, const QString&, QPrinter&) override { return false; }
    int execModal(QWidget& window) override
    {
        window.show();
        if (onModal)
            onModal(window);
        window.hide();
        return 0;
    }
    QString file;
    std::function<void(QWidget&)> onModal;
};

bool waitFor(const std::function<bool()>& done)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > 20000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::usleep(200);
    }
    return true;
}

struct Setup {
    Setup()
    {
        auto d = std::make_unique<BenchDialogs>();
        dialogs = d.get();
        setDialogs(std::move(d));
        InitComm();
        TDisciplinForm::selectDelayMs = 1;
        registerScoringServices(windows);
        registerOrganisationWindows(windows);
        registerSetupWindows(windows);
        competitionUrlHolderInstance().setServerUrl(server.address);
        client = std::make_unique<test::StandinClient>(server.port());
        comp = client->create(QStringLiteral("Bench"));
        auto c = std::make_unique<proto::CompetitionType>();
        c->ID = comp;
        competition.SetCompetitionInternal(std::move(c));
        w0 = static_cast<TDisciplinForm*>(windows.create(TWindowId::DisciplinListForm0, context));
        windows.create(TWindowId::GlobalParameterForm, context);
        save = static_cast<TSaveDiscTemplateForm*>(windows.create(TWindowId::SaveDiscTemplateForm, context));
        load = static_cast<TLoadDiscTemplateForm*>(windows.create(TWindowId::LoadDiscTemplateForm, context));
        seed();
    }

    // 30 nodes in chains of three above the discipline; the last of every chain is named and
    // feeds an overall scoring outside the discipline: 10 interfaces.
    void seed()
    {
        proto::DisciplinInfoType s;
        s.Name = QStringLiteral("Mehrkampf");
        s.ResultTableType.ensure().ResultsPerRow = 3;
        disc = client->cms()->createDisciplin(s, comp).Disciplin->DisciplinID;
        s.Name = QStringLiteral("Sprint");
        const int other = client->cms()->createDisciplin(s, comp).Disciplin->DisciplinID;
        for (int chain = 0; chain < 10; ++chain) {
            int below = disc;
            for (int i = 0; i < 3; ++i) {
                proto::ResultAggregatorInstanceInfoType n;
                n.TemplateID = i == 0 ? 1 : 2;
                n.ConnectedAggregators = {below};
                n.Parameters = {QStringLiteral("1")};
                below = client->cms()->assignResultAggregator(n).CreatedResultAggregator->ID;
            }
            client->cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("Kette %1").arg(chain), below);
            proto::ResultAggregatorInstanceInfoType overall;
            overall.TemplateID = 2;
            overall.ConnectedAggregators = {below, other};
            overall.Parameters = {QStringLiteral("0")};
            const int top = client->cms()->assignResultAggregator(overall).CreatedResultAggregator->ID;
            client->cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("Gesamt %1").arg(chain), top);
        }
        w0->show();
        w0->ShowAndLoad(disc, 0);
        waitFor([&] { return w0->aggregatorTree() && w0->pendingRequests() == 0 && runningRequestCount() == 0; });
    }

    QTemporaryDir dir;
    BenchDialogs* dialogs = nullptr;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    bench::TBenchServer server;
    std::unique_ptr<test::StandinClient> client;
    int comp = 0;
    int disc = 0;
    TDisciplinForm* w0 = nullptr;
    TSaveDiscTemplateForm* save = nullptr;
    TLoadDiscTemplateForm* load = nullptr;
};

Setup& setup()
{
    static Setup s;
    return s;
}

QString exportOnce(Setup& s, std::vector<double>* ms)
{
    s.dialogs->file = s.dir.filePath(QStringLiteral("Mehrkampf.qdt"));
    s.dialogs->onModal = [&](QWidget&) {
        QElapsedTimer t;
        t.start();
        s.save->SaveButton->click();
        waitFor([&] { return !s.save->isVisible(); });
        if (ms)
            ms->push_back(double(t.nsecsElapsed()) / 1e6);
    };
    s.save->ShowTemplateSaveDialog(*s.w0->aggregatorTree());
    return s.dialogs->file;
}

void BM_DiscTemplateExport(benchmark::State& state)
{
    Setup& s = setup();
    std::vector<double> ms;
    for (auto _ : state)
        exportOnce(s, &ms);
    bench::reportMedianMs(state, ms);
}
BENCHMARK(BM_DiscTemplateExport)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_DiscTemplateImport(benchmark::State& state)
{
    Setup& s = setup();
    s.dialogs->file = exportOnce(s, nullptr);
    s.dialogs->onModal = {};
    std::vector<double> ms;
    for (auto _ : state) {
        s.load->ShowTemplateLoadDialog(*s.w0);
        waitFor([&] { return s.load->pendingRequests() == 0 && runningRequestCount() == 0; });
        QElapsedTimer t;
        t.start();
        s.load->ImportButton->click();
        waitFor([&] { return !s.load->isVisible(); });
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        waitFor([&] { return s.w0->pendingRequests() == 0 && runningRequestCount() == 0; });
    }
    bench::reportMedianMs(state, ms);
}
BENCHMARK(BM_DiscTemplateImport)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

TVP_QT_WIDGETS_BENCHMARK_MAIN()
