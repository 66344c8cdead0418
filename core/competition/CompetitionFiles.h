#pragma once
// Competition files: the export (the server's XML text written as UTF-8 with a byte-order mark)
// and the import (the file read back and handed to the server under its own or a new name).

#include "core/connection/RequestRoad.h"
#include "core/protocol/ParticipantRecords.h"

#include <QDate>

#include <memory>
#include <optional>

namespace tvp {

inline const QString kCompetitionFileFilter = QStringLiteral("Trivanta Pentrel Veranstaltung (*.qpc)");
inline const QString kTemplateFileFilter = QStringLiteral("Trivanta Pentrel Veranstaltungsvorlage (*.qpt)");
inline const QString kImportFileFilter =
    QStringLiteral("Importfähige Dateien (*.qpc *.qpt);;Trivanta Pentrel Veranstaltung (*.qpc);;"
                   "Trivanta Pentrel Veranstaltungsvorlage (*.qpt)");

// The LADV import has a request of the same name; these are the competition files' own.
namespace compfiles {

struct TExportRequest : TRequest {
    bool AsTemplate = false;
    QString FileName;
};

struct TExportResponse : TResponse {
    QString FileName;
    QString XmlStream;
};

struct TImportRequest : TRequest {
    QString XmlStream;
    bool AsTemplate = false;
    bool NewName = false;
    QString Name;
    QDate Date;
};

struct TImportResponse : TResponse {
    proto::importCompetitionResponse1 answer;
    bool AsTemplate = false;
};

const TRequestTable<TExportRequest, TExportResponse>& exportRequests();
const TRequestTable<TImportRequest, TImportResponse>& importRequests();

} // namespace compfiles

// The file name the save dialog proposes, without extension: the competition's name made safe,
// then "." for a competition or "_Vorlage." for a template.
QString exportFileStem(const QString& competitionName, bool asTemplate);

// Writes the text as UTF-8 behind EF BB BF, whole or not at all: a failed export leaves the file
// that was there. An empty string on success, else the message for the user.
QString writeExportFile(const QString& fileName, const QString& xmlText);

// The file as text: UTF-8 after a byte-order mark, else Windows-1252. Nothing when it cannot be
// read; error then holds the reason.
std::optional<QString> readImportFile(const QString& fileName, QString* error);

// The name and date a file proposes for the import; an empty name and today's date where the file
// names none or cannot be read.
struct TCompInfo {
    QString name;
    QDate date;
};
TCompInfo getDefaultCompInfo(const QString& fileName);
// The same of a file's bytes.
TCompInfo compInfoOfBytes(const QByteArray& bytes);

} // namespace tvp
