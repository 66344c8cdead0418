// Participant files as ".xml" and as ".zip": every input gives an import stream or the refusal.

#include "participants/LadvFiles.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const char* name : {"meldung.xml", "meldung.zip"}) {
        try {
            const tvp::TLadvImportStream stream = tvp::participantFileStream(QString::fromLatin1(name), bytes);
            if (stream.streamType == tvp::proto::ParticipantsImportStreamFormatType::LADV_ZIP &&
                QByteArray::fromBase64(stream.importStream.toLatin1()) != bytes)
                std::abort();
        } catch (const tvp::ELadvError&) {
        }
    }
    return 0;
}
