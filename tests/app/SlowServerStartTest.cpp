// The program started against a server that takes its time with every answer: the loads every
// window starts once the competition is open queue for the two channels, and none of them may be
// given up while the server answers one after the other.

#include "app/ProgramAreas.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/PingTest.h"
#include "core/ui/ChooseCompetitionDialog.h"
#include "core/ui/Dialogs.h"
#include "core/ui/MainWindow.h"
#include "core/ui/Startup.h"
#include "core/util/AppPaths.h"
#include "core/util/IniHandler.h"
#include "tests/support/LoopbackChooser.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"

#include <QAction>
#include <QTreeView>

#include <gtest/gtest.h>

namespace tvp::test {
namespace {

// Steps of the issue at a scale: 20 ms per answer against a channel wait of 300 ms.
TEST(SlowServer, StartingAndOpeningTeamsGivesUpNoRequestTheServerAnswersInTurn)
{
    TempAppFolders folders;
    AppPaths::setProgramDirForTests(QStringLiteral(TVP_BUILD_PROGRAM_DIR));
    QTemporaryDir instanceDir;
    qputenv("TVP_INSTANCE_DIR", instanceDir.path().toUtf8());
    const int savedWait = CommTimeouts::channelWaitMs;
    const int savedPing = PingTimeouts::checkIntervalMs;
    PingTimeouts::checkIntervalMs = kLoopbackPingIntervalMs;
    StandinHarness server;
    server.start();
    int comp = 0;
    {
        StandinSeed seed(server.dataFile());
        comp = seed.competition(QStringLiteral("Kinderleichtathletik"));
        const int u10 = seed.ageClass(comp, QStringLiteral("U10"));
        for (const char* name : {"Füchse", "Eulen", "Dachse"}) {
            const int team = seed.team(comp, QString::fromUtf8(name), u10);
            seed.athlete(comp, QStringLiteral("Anna"), QString::fromUtf8(name), team);
        }
        proto::ResultTableType table;
        table.ResultsPerRow = 2;
        seed.discipline(comp, QStringLiteral("Weitsprung"), u10, table);
    }
    const QString address = QStringLiteral("http://127.0.0.1:%1").arg(server.port());
    WriteIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), address);
    WriteIniInteger(QStringLiteral("Competition"), QStringLiteral("currentCompetition"), comp);
    WriteIniStr(QStringLiteral("EULA"), QStringLiteral("EULA_Accepted"), QStringLiteral("yes"));
    server.server().setAnswerDelay(std::chrono::milliseconds(20));
    CommTimeouts::channelWaitMs = 300;

    auto scripted = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs* script = scripted.get();
    setDialogs(std::move(scripted));
    auto program = std::make_unique<TProgram>();
    registerProgramAreas(program->registry());
    program->registry().registerWindow(TWindowId::ChooseCompetitionForm, [address](TWindowContext& c) {
        return std::make_unique<TChooseCompetitionForm>(c, loopbackChooser(address));
    });
    ASSERT_TRUE(program->start());
    program->mainForm()->action(QStringLiteral("Teams1"))->trigger();
    const auto* teams =
        program->registry().widget(TWindowId::TeamForm)->findChild<QTreeView*>(QStringLiteral("ListView1"));
    EXPECT_TRUE(waitUntil([&] { return runningRequestCount() == 0 && teams->model()->rowCount() == 3; }, 20000));
    const QAbstractItemModel* messages = program->registry()
                                             .widget(TWindowId::ExceptionForm)
                                             ->findChild<QTreeView*>(QStringLiteral("ListView1"))
                                             ->model();
    for (int row = 0; row < messages->rowCount(); ++row)
        ADD_FAILURE() << messages->index(row, 1).data().toString().toStdString() << ": "
                      << messages->index(row, 0).data().toString().toStdString();

    program.reset();
    EXPECT_TRUE(script->allAnswered());
    setDialogs(nullptr);
    CommTimeouts::channelWaitMs = savedWait;
    PingTimeouts::checkIntervalMs = savedPing;
    qunsetenv("TVP_INSTANCE_DIR");
    InitComm();
}

} // namespace
} // namespace tvp::test
