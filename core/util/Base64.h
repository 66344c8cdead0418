#pragma once
// Base64 of RFC 4648 for byte streams: standard alphabet ("+", "/"), "=" fill, no line breaks.

#include <QByteArray>
#include <QString>

#include <optional>
#include <stdexcept>

class QIODevice;

namespace tvp {

// A text that is not strict Base64 (nothing is written then), or a stream that refused the bytes.
class EBase64Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the stream from its current position to its end; an empty rest gives an empty text.
QString encodeByteStreamBase64(QIODevice& stream);

// Appends the decoded bytes to the stream. The text must consist of whole groups of four
// characters of the alphabet, "=" only as fill at the end; anything else (line breaks, other
// characters, a cut-off last group) throws EBase64Error instead of yielding wrong bytes.
void decodeBase64ToStream(QIODevice& stream, const QString& text);

// The bytes of a strict Base64 text as decodeBase64ToStream reads it; nothing for anything else.
std::optional<QByteArray> decodeStrictBase64(const QByteArray& text);

} // namespace tvp
