#pragma once
// Code page 850, the DOS code page of the timing program's exchange files. Every character is one
// byte, so fixed-width records keep their widths whatever the names hold.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tvp {

// The replacement for a character code page 850 lacks (Windows writes "?" as well).
inline constexpr char kTimingReplacementChar = '?';

// One byte per character: combining accents are joined first ("u" + U+0308 is "ü", 0x81), a
// character outside the code page becomes "?", a control character (TAB, CR, LF, ...) a blank so
// it cannot split a record.
QByteArray toTimingCodePage(const QString& text);
QString fromTimingCodePage(QByteArrayView bytes);

} // namespace tvp
