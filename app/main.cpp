// Trivanta Pentrel: the organiser's desk for children's athletics team competitions.

#include "core/ui/Startup.h"
#include "participants/ui/ParticipantWindows.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trivanta Pentrel"));
    tvp::TProgram program;
    // Each area adds the windows it has built; the rest stay placeholders.
    tvp::registerParticipantWindows(program.registry());
    if (!program.start())
        return 0;
    return program.exec();
}
