#include "core/util/Base64.h"

#include <QIODevice>

namespace tvp {

QString encodeByteStreamBase64(QIODevice& stream)
{
    return QString::fromLatin1(stream.readAll().toBase64());
}

std::optional<QByteArray> decodeStrictBase64(const QByteArray& text)
{
    // Qt would accept a missing fill; a cut-off text is damaged data, so ask for whole groups.
    if (text.size() % 4 != 0)
        return std::nullopt;
    auto result =
        QByteArray::fromBase64Encoding(text, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (result.decodingStatus != QByteArray::Base64DecodingStatus::Ok)
        return std::nullopt;
    return std::move(result.decoded);
}

void decodeBase64ToStream(QIODevice& stream, const QString& text)
{
    // toLatin1 makes '?' of anything else, which is no Base64 character either.
    const std::optional<QByteArray> decoded = decodeStrictBase64(text.toLatin1());
    if (!decoded)
        throw EBase64Error("Ungültige Base64-Daten");
    if (!stream.isSequential())
        stream.seek(stream.size());
    if (stream.write(*decoded) != decoded->size())
        throw EBase64Error("Base64-Daten konnten nicht geschrieben werden");
}

} // namespace tvp
