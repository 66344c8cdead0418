// Trivanta Pentrel: the organiser's desk for children's athletics team competitions.

#include "core/services/ResultCaptureServices.h"
#include "core/ui/Startup.h"
#include "core/util/ProgramLanguage.h"
#include "organisation/ui/OrganisationWindows.h"
#include "participants/ui/ParticipantWindows.h"
#include "results/TimingConnector.h"
#include "scoring/ui/ScoringWindows.h"

#include <QApplication>

int main(int argc, char** argv)
{
    tvp::applyProgramLocale();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trivanta Pentrel"));
    tvp::installQtTranslations(app);
    tvp::TProgram program;
    // Each area adds what it has built; the windows not built yet stay placeholders.
    tvp::registerParticipantWindows(program.registry());
    tvp::registerOrganisationWindows(program.registry());
    tvp::registerScoringServices(program.registry());
    // The timing exchange stands ready for the competition-list window from start-up to the end.
    program.registry().registerService<tvp::ITimingExport>(std::make_unique<tvp::TimingConnector>());
    if (!program.start())
        return 0;
    return program.exec();
}
