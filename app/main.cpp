// Trivanta Pentrel: the organiser's desk for children's athletics team competitions.

#include "core/services/ResultCaptureServices.h"
#include "core/ui/Startup.h"
#include "results/TimingConnector.h"

#include <QApplication>

namespace {

// The timing exchange stands ready for the competition-list window from start-up to the end.
struct TimingExportRegistration {
    TimingExportRegistration() { tvp::resultCapture().timingExport = &connector; }
    ~TimingExportRegistration() { tvp::resultCapture().timingExport = nullptr; }
    tvp::TimingConnector connector;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trivanta Pentrel"));
    TimingExportRegistration timingExport;
    tvp::TProgram program;
    if (!program.start())
        return 0;
    return program.exec();
}
