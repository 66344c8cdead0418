#pragma once
// The program's one reader of semicolon tables as spreadsheets save them: the registration import
// and the cup windows' custom columns read through it. A file that starts with a UTF-8 byte-order
// mark, or is valid UTF-8, is UTF-8 text; any other is Windows-1252.
//
// Quotes: a field that starts with '"' is quoted; inside it '""' is one '"', and ';', CR and LF are
// text. After the closing quote only ';' or a line end may follow. Outside quotes CR is dropped and
// a '"' within a field is text. A final line break adds no row; an empty line is a row with one
// empty field.

#include "core/protocol/Errors.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

class QIODevice;

namespace tvp {

using TCsvRow = QStringList;
using TCsvList = std::vector<TCsvRow>;

// The reading error; its text names the record. Windows show it with kCsvReadCaption.
class ECsvError : public TvpError {
public:
    using TvpError::TvpError;
};

inline const QString kCsvReadCaption = QStringLiteral("CSV lesen");

// Reads the stream from its current position to its end. Throws ECsvError; nothing is returned then.
TCsvList parseCSV(QIODevice& stream);
TCsvList parseCSV(const QByteArray& bytes);

} // namespace tvp
