#include "core/util/Features.h"

#include "core/util/IniHandler.h"

namespace tvp {

namespace {
const QString kSection = QStringLiteral("Features");
const QString kActive = QStringLiteral("active");
} // namespace

void activateFeature(const QString& name)
{
    WriteIniStr(kSection, name, kActive);
}

bool isFeatureActive(const QString& name)
{
    QString value;
    ReadIniStr(kSection, name, QString(), value);
    return value == kActive;
}

} // namespace tvp
