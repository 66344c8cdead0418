#pragma once
// Windows-1252, the code page of the program's log, CSV exports and data files.

#include <QByteArray>
#include <QString>

namespace tvp {

// A character the code page lacks becomes "?".
QByteArray toWindows1252(const QString& text);
QString fromWindows1252(const QByteArray& bytes);

} // namespace tvp
