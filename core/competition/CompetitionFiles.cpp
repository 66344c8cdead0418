#include "core/competition/CompetitionFiles.h"

#include "core/results/tvpUtils.h"
#include "core/util/CodePages.h"
#include "core/util/FileWrite.h"

#include <QFile>

#include <pugixml.hpp>

namespace tvp {

using namespace compfiles;

namespace {

void exportCompetition(TServicePorts& ports, const TExportRequest& request, TExportResponse& response)
{
    response.FileName = request.FileName;
    response.XmlStream = ports.cms().exportCompetition(ports.competitionId(), request.AsTemplate).XmlStream;
}

void importCompetition(TServicePorts& ports, const TImportRequest& request, TImportResponse& response)
{
    response.AsTemplate = request.AsTemplate;
    if (request.NewName)
        response.answer = ports.cms().importCompetition(request.Name, request.Date, request.XmlStream);
    else
        response.answer = ports.cms().importCompetition(request.XmlStream);
}

const QByteArray kBom("\xEF\xBB\xBF", 3);

} // namespace

const TRequestTable<TExportRequest, TExportResponse>& compfiles::exportRequests()
{
    static const TRequestTable<TExportRequest, TExportResponse> table{{
        {0, QStringLiteral("Veranstaltung exportieren"), &exportCompetition},
    }};
    return table;
}

const TRequestTable<TImportRequest, TImportResponse>& compfiles::importRequests()
{
    static const TRequestTable<TImportRequest, TImportResponse> table{{
        {0, QStringLiteral("Veranstaltung importieren"), &importCompetition},
    }};
    return table;
}

QString exportFileStem(const QString& competitionName, bool asTemplate)
{
    return fileNameSaveChars(competitionName) + (asTemplate ? QStringLiteral("_Vorlage.") : QStringLiteral("."));
}

QString writeExportFile(const QString& fileName, const QString& xmlText)
{
    const QByteArray utf8 = xmlText.toUtf8();
    bool opened = false;
    QString error;
    const bool written = writeFileWhole(
        fileName,
        [&](QIODevice& out) {
            opened = true;
            return out.write(kBom) == kBom.size() && out.write(utf8) == utf8.size();
        },
        &error);
    if (written)
        return {};
    return (opened ? QStringLiteral("Exportdatei konnte nicht geschrieben werden (")
                   : QStringLiteral("Exportdatei konnte nicht geöffnet werden (")) +
           error + u')';
}

std::optional<QString> readImportFile(const QString& fileName, QString* error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    if (bytes.startsWith(kBom))
        return QString::fromUtf8(bytes.mid(3));
    return fromWindows1252(bytes);
}

TCompInfo getDefaultCompInfo(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {QString(), QDate::currentDate()};
    return compInfoOfBytes(file.readAll());
}

TCompInfo compInfoOfBytes(const QByteArray& bytes)
{
    TCompInfo info{QString(), QDate::currentDate()};
    pugi::xml_document doc;
    // Without a byte-order mark the file is Windows-1252, whatever its declaration says.
    const bool utf8 = bytes.startsWith(kBom);
    const QByteArray text = utf8 ? bytes.mid(3) : fromWindows1252(bytes).toUtf8();
    if (!doc.load_buffer(text.constData(), std::size_t(text.size()), pugi::parse_default, pugi::encoding_utf8))
        return info;
    try {
        const pugi::xpath_node name = doc.select_node("/xmlCompetition/competition/name/text()");
        if (name)
            info.name = QString::fromUtf8(name.node().value());
        const pugi::xpath_node date = doc.select_node("/xmlCompetition/competition/date/text()");
        if (date) {
            // An XML schema date may carry a time zone after the day.
            const QDate d = QDate::fromString(QString::fromUtf8(date.node().value()).left(10), Qt::ISODate);
            if (d.isValid())
                info.date = d;
        }
    } catch (const pugi::xpath_exception&) {
    }
    return info;
}

} // namespace tvp
