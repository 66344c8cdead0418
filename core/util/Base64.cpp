#include "core/util/Base64.h"

#include <QIODevice>

namespace tvp {

QString encodeByteStreamBase64(QIODevice& stream)
{
    return QString::fromLatin1(stream.readAll().toBase64());
}

void decodeBase64ToStream(QIODevice& stream, const QString& text)
{
    // Qt would accept a missing fill; a cut-off text is damaged data, so ask for whole groups.
    const auto result = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::Base64Encoding |
                                                                            QByteArray::AbortOnBase64DecodingErrors);
    if (text.size() % 4 != 0 || result.decodingStatus != QByteArray::Base64DecodingStatus::Ok)
        throw EBase64Error("Ungültige Base64-Daten");
    if (!stream.isSequential())
        stream.seek(stream.size());
    if (stream.write(result.decoded) != result.decoded.size())
        throw EBase64Error("Base64-Daten konnten nicht geschrieben werden");
}

} // namespace tvp
