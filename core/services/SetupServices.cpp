#include "core/services/CompetitionSetupServices.h"
#include "core/services/ResultCaptureServices.h"
#include "core/services/ScoringServices.h"

#include "core/util/AppPaths.h"

#include <QDir>

namespace tvp {

TAggDragObject& aggDragObject()
{
    static TAggDragObject dragObject;
    return dragObject;
}

QString getTemplatePath()
{
    const QString path = AppPaths::programDir() + QStringLiteral("Templates");
    QDir().mkpath(path);
    return path;
}

} // namespace tvp
