// Start-up of the whole program, from launching the process to the main window naming the
// competition, against a stand-in server on loopback, with the consent and the competition
// already chosen in the settings.

#include "core/connection/CompetitionUrlHolder.h"
#include "core/protocol/TVPWebServices2.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "bench/BenchStandin.h"
#include "bench/QtBenchMain.h"

#include <algorithm>

namespace {

void BM_StartupToMainWindow(benchmark::State& state)
{
    QTemporaryDir dir;
    const tvp::bench::TBenchServer server;
    const QString address = QStringLiteral("http://") + server.address;
    tvp::proto::CompetitionInfoType info;
    info.Name = QStringLiteral("Startzeit");
    const int id =
        tvp::proto::GetCompetitionManagementPortType(
            false, address + QStringLiteral("/TrivantaPentrel/services/CompetitionManagementService/"), nullptr)
            ->createCompetition(info)
            .Competition->ID;

    const QString appData = dir.path() + QStringLiteral("/appdata");
    const QString instances = dir.path() + QStringLiteral("/instances");
    QDir().mkpath(appData);
    QFile settings(appData + QStringLiteral("/TVPsettings.ini"));
    settings.open(QIODevice::WriteOnly);
    settings.write(QStringLiteral("[EULA]\r\nEULA_Accepted=yes\r\n[Connections]\r\nstartIndex=1\r\nendIndex=1\r\n"
                                  "Server1=%1\r\ncurrentServer=%1\r\n[Competition]\r\ncurrentCompetition=%2\r\n")
                       .arg(address)
                       .arg(id)
                       .toUtf8());
    settings.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TVP_COMMON_APPDATA"), appData);
    env.insert(QStringLiteral("TVP_INSTANCE_DIR"), instances);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString program = QStringLiteral(TVP_PROGRAM_BINARY);
    const QByteArray ready = "Startzeit - Trivanta Pentrel";

    std::vector<double> ms;
    for (auto _ : state) {
        QDir(instances).removeRecursively();
        QProcess process;
        process.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        process.start(program, {});
        bool shown = false;
        // The program publishes its main window's title for the single-instance test.
        while (!shown && timer.elapsed() < 10000 && process.state() != QProcess::NotRunning) {
            for (const QString& name : QDir(instances).entryList({QStringLiteral("*.instance")}, QDir::Files)) {
                QFile f(instances + QLatin1Char('/') + name);
                if (f.open(QIODevice::ReadOnly) && f.readAll() == ready)
                    shown = true;
            }
            if (!shown)
                QThread::usleep(500);
        }
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        process.kill();
        process.waitForFinished();
        if (!shown) {
            state.SkipWithError("the main window did not appear");
            break;
        }
    }
    tvp::bench::reportMedianMs(state, std::move(ms));
}
BENCHMARK(BM_StartupToMainWindow)->Unit(benchmark::kMillisecond)->Iterations(15);

} // namespace

TVP_QT_BENCHMARK_MAIN()
