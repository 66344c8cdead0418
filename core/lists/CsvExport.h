#pragma once
// A list as a CSV file for spreadsheet programs: ";" between fields, CR LF after each line,
// Windows-1252, a header line of the column captions.

#include <QByteArray>
#include <QString>

class QAbstractItemModel;

namespace tvp {

class TRespelledNames;

// The file's bytes. With convertResults a cell that is one result is written as its plain number
// in the user's decimal format; one holding more (several values, a status) is written as shown.
// With certificatePlaceColumn >= 0 that column is written twice under the extra caption
// "Urkundenplatzierung", and rows whose cell there is empty are left out (a row without that cell
// at all stays). Throws std::runtime_error when a text cannot be converted. Words of cells and
// captions the code page makes it write otherwise go to respelled.
QByteArray csvOfModel(const QAbstractItemModel& model, bool convertResults, int certificatePlaceColumn,
                      TRespelledNames* respelled = nullptr);

// Writes the file whole or not at all; false when it could not be written.
bool writeCsvFile(const QString& path, const QAbstractItemModel& model, bool convertResults, int certificatePlaceColumn,
                  TRespelledNames* respelled = nullptr);

} // namespace tvp
