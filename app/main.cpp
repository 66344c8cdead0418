// Trivanta Pentrel: the organiser's desk for children's athletics team competitions.

#include "app/ProgramAreas.h"
#include "core/print/Hyphenation.h"
#include "core/ui/Startup.h"
#include "core/util/ProgramLanguage.h"
#include "core/util/UserAction.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    tvp::applyProgramLocale();
    tvp::TUserActionApplication<QApplication> app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trivanta Pentrel"));
    tvp::installQtTranslations(app);
    tvp::preloadHyphenation();
    tvp::TProgram program;
    tvp::registerProgramAreas(program.registry());
    if (!program.start())
        return 0;
    return program.exec();
}
