#pragma once
// What LADV delivers, read into what the server's importParticipants takes: a participant file
// (".xml" as UTF-8 text, ".zip" as Base64 of the whole file) and the competition list of the
// online service. The participant format itself is the server's business.

#include "core/protocol/Errors.h"
#include "core/protocol/ParticipantRecords.h"
#include "core/protocol/ScoringRecords.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace tvp {

// A file or answer of LADV that cannot be used; the text is the user's message.
class ELadvError : public TvpError {
public:
    using TvpError::TvpError;
};

inline const QString kImportFileCaption = QStringLiteral("Teilnehmer importieren");
inline const QString kInvalidImportFileText = QStringLiteral("Bitte wählen Sie eine gültige Importdatei");
inline const QString kCompetitionListCaption = QStringLiteral("Veranstaltungsliste aus LADV laden");
inline const QString kInvalidCompetitionListText = QStringLiteral("Ungültiges Veranstaltungsformat");
inline const QString kNoOpenCompetitionsText = QStringLiteral("Keine offenen Veranstaltungen auf LADV gefunden");

// Participant files larger than this are refused rather than held in memory several times.
inline constexpr qsizetype kMaxParticipantFileBytes = 64 * 1024 * 1024;

struct TLadvImportStream {
    QString importStream;
    proto::ParticipantsImportStreamFormatType streamType = proto::ParticipantsImportStreamFormatType::LADV;
};

// UTF-8 bytes as text, a leading byte-order mark left out; nothing when the bytes are not UTF-8.
std::optional<QString> decodeUtf8Text(const QByteArray& bytes);

// The file's stream by its extension, compared exactly (".xml", ".zip"); a zip must be a readable
// archive with at least one file. Throws ELadvError(kInvalidImportFileText).
TLadvImportStream readParticipantFile(const QString& path);
TLadvImportStream participantFileStream(const QString& fileName, const QByteArray& bytes);

// The competition list: a document "competitionList" in the LADV interface namespace, without a
// document type declaration, each item with its competition. Throws
// ELadvError(kInvalidCompetitionListText).
std::vector<proto::CompetitionListItemType> parseCompetitionList(const QByteArray& xml);

// "angelegt", "Meldeschluss", "abgeschlossen".
QString competitionStatusText(proto::TCompetitionStatusType status);
// The competitions the list shows: all but the completed ones, in their order.
std::vector<proto::CompetitionListItemType> openCompetitions(std::vector<proto::CompetitionListItemType> list);

} // namespace tvp
