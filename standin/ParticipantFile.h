#pragma once
// The participant file of importParticipants (docs/participant-file.md), read whole before anything
// is stored. Every fault throws ServerError 250 naming it.

#include "core/protocol/ParticipantRecords.h"
#include "standin/Operations.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace tvp::standin {

struct FileAthlete {
    QString givenName, surName, club;
    proto::GenderType gender = proto::GenderType::NotSpecified;
    int yearOfBirth = 0;
    int team = -1; // index into teams
};

struct FileTeam {
    QString name, ageClass;
};

struct ParticipantFile {
    std::vector<FileTeam> teams;
    std::vector<FileAthlete> athletes;
};

// The XML text.
ParticipantFile parseParticipantFile(const QByteArray& xml);
// The stream as importParticipants receives it: the text, or Base64 of a zip archive.
ParticipantFile readParticipantStream(proto::ParticipantsImportStreamFormatType format, const QString& stream);

} // namespace tvp::standin
