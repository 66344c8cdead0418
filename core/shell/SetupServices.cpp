#include "CompetitionSetupServices.h"
#include "ResultCaptureServices.h"

#include "AppPaths.h"

#include <QDir>

namespace tvp {

ResultCaptureServices& resultCapture()
{
    static ResultCaptureServices services;
    return services;
}

CompetitionSetupServices& competitionSetup()
{
    static CompetitionSetupServices services;
    return services;
}

QString getTemplatePath()
{
    const QString path = AppPaths::programDir() + QStringLiteral("Templates");
    QDir().mkpath(path);
    return path;
}

} // namespace tvp
