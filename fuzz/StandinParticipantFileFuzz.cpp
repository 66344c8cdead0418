// The stand-in's reading of participant files, as text and as Base64 of a zip archive: every input
// gives the participants or the refusal 250, never a crash or a hang.

#include "standin/ErrorMessages.h"
#include "standin/ParticipantFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tvp;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::pair<proto::ParticipantsImportStreamFormatType, QString> inputs[] = {
        {proto::ParticipantsImportStreamFormatType::LADV, QString::fromUtf8(bytes)},
        {proto::ParticipantsImportStreamFormatType::LADV_ZIP, QString::fromLatin1(bytes.toBase64())},
    };
    for (const auto& [format, stream] : inputs) {
        try {
            const standin::ParticipantFile file = standin::readParticipantStream(format, stream);
            for (const standin::FileAthlete& a : file.athletes)
                if (a.givenName.isEmpty() || a.team >= int(file.teams.size()))
                    std::abort();
        } catch (const standin::ServerError& e) {
            if (e.id != standin::errors::InvalidParticipantFile)
                std::abort();
        }
    }
    return 0;
}
