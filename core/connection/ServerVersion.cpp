#include "core/connection/ServerVersion.h"

#include "core/util/ProgramVersion.h"

namespace tvp {

proto::GenericTvpVersion createVersion(int major, int minor, int build)
{
    return {major, minor, build};
}

int compareVersion(const proto::GenericTvpVersion& a, const proto::GenericTvpVersion& b)
{
    if (a.majorVersion != b.majorVersion)
        return a.majorVersion < b.majorVersion ? -1 : 1;
    if (a.minorVersion != b.minorVersion)
        return a.minorVersion < b.minorVersion ? -1 : 1;
    if (a.buildNumber != b.buildNumber)
        return a.buildNumber < b.buildNumber ? -1 : 1;
    return 0;
}

QString versionText(const proto::GenericTvpVersion& v)
{
    return QStringLiteral("%1.%2.%3").arg(v.majorVersion).arg(v.minorVersion).arg(v.buildNumber);
}

proto::GenericTvpVersion clientVersion()
{
    return createVersion(TVP_VERSION_MAJOR, TVP_VERSION_MINOR, TVP_VERSION_PATCH);
}

CompatibilityVerdict judgeServerVersion(const proto::GenericTvpVersion& server,
                                        const std::function<proto::CompatibilityInformation()>& askServer)
{
    const QString refused = QStringLiteral("Inkompatibler Server");
    if (compareVersion(server, MAX_KNOWN_SERVER_VERSION) > 0) {
        proto::CompatibilityInformation answer;
        try {
            answer = askServer();
        } catch (...) {
            return {false, {}, {}, QStringLiteral("Kompatibilitätsprüfung fehlgeschlagen.")};
        }
        switch (answer) {
        case proto::CompatibilityInformation::UNKNOWN:
            return {true,
                    QStringLiteral("Warnung: Die Serverkompatibilität konnte nicht geprüft werden. Evtl. sind einige "
                                   "Funktionen eingeschränkt. Es wird empfohlen die Software zu "
                                   "aktualisieren/neu zu installieren."),
                    {},
                    {}};
        case proto::CompatibilityInformation::FULL: return {true, {}, {}, {}};
        case proto::CompatibilityInformation::FEATURE_RESTRICTED:
            return {true,
                    QStringLiteral("Warnung: Die Client-Version scheint veraltet sein. Evtl. sind einige Funktionen "
                                   "mit diesem Server eingeschränkt oder funktionieren nicht wie erwartet. Es wird "
                                   "empfohlen die Software zu aktualisieren/neu zu installieren."),
                    {},
                    {}};
        case proto::CompatibilityInformation::NO_COMPATIBILITY: break;
        }
        return {false,
                {},
                QStringLiteral("Warnung: Die Client-Version ist veraltet und nicht mehr zum gewählten Server "
                               "kompatibel. Bitte entsprechend aktualisieren/neu installieren."),
                refused};
    }
    if (compareVersion(server, MIN_COMPATIBLE_SERVER_VERSION) >= 0)
        return {true, {}, {}, {}};
    if (compareVersion(server, MIN_FEATURE_RESTRICTED_SERVER_VERSION) >= 0)
        return {true,
                QStringLiteral("Warnung: Die Server-Version scheint veraltet sein. Evtl. sind einige Funktionen mit "
                               "diesem Server eingeschränkt oder funktionieren nicht wie erwartet. Es wird empfohlen "
                               "die Software zu aktualisieren/neu zu installieren."),
                {},
                {}};
    return {false,
            {},
            QStringLiteral("Warnung: Die Server-Version ist veraltet und nicht mehr zu diesem Client kompatibel. "
                           "Bitte entsprechend aktualisieren/neu installieren."),
            refused};
}

} // namespace tvp
