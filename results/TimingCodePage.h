#pragma once
// Code page 850, the DOS code page of the timing program's exchange files.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tvp {

class TRespelledNames;

// Combining accents are joined first ("u" + U+0308 is "ü", 0x81); a character outside the code
// page becomes its plain Latin letters where it has them (Ł is "L", œ "oe"), else "?", and is
// noted in respelled; a control character (TAB, CR, LF, ...) becomes a blank so it cannot split a
// record.
QByteArray toTimingCodePage(const QString& text, TRespelledNames* respelled = nullptr);
QString fromTimingCodePage(QByteArrayView bytes);

} // namespace tvp
