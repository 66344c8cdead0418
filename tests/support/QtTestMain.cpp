// GoogleTest main with a Qt application, so hand-backs to the GUI thread can be delivered.

#include "core/util/ProgramLanguage.h"
#include "core/util/UserAction.h"

#include <QApplication>
#include <QWidget>
#include <QLocale>

#include <gtest/gtest.h>

namespace {
QtMessageHandler defaultHandler = nullptr;

// The offscreen platform says each time what it cannot do with windows; that is noise here.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("This plugin does not support")))
        return;
    defaultHandler(type, context, message);
}
} // namespace

int main(int argc, char** argv)
{
    defaultHandler = qInstallMessageHandler(quietHandler);
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    // No test may look for servers on real interfaces unless it asks for that itself.
    if (qEnvironmentVariableIsEmpty("TVP_DISCOVERY_INTERFACES"))
        qputenv("TVP_DISCOVERY_INTERFACES", "none");
    // A test that opens a document without watching the opener must not start the desktop's
    // programs (a browser, an office suite): it opens nothing and succeeds.
    qputenv("TVP_DESKTOP_OPENER", "true");
    // The machine the tests run on has no language of its own; the program chooses as it would.
    qputenv("LC_ALL", "C.UTF-8");
    tvp::applyProgramLocale();
    // As the program's: windows a test's keys and clicks open take the keyboard, others don't.
    tvp::TUserActionApplication<QApplication> app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
