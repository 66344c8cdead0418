#pragma once
// The schedule as a semicolon CSV file, one line per squad or per team, which is also the data
// file of the running-order mail-merge document.

#include "core/services/ScoringServices.h"

#include <QString>

class QIODevice;

namespace tvp {

class TRespelledNames;
class TScheduleGrid;

// Header line, then each line preceded by CR LF (no line break at the end), Windows-1252. Only the
// grid's columns are written; without any item a sample line follows. Throws when the device
// refuses the bytes.
// Words the code page makes it write otherwise go to respelled.
void generateScheduleCsv(QIODevice& stream, const TScheduleGrid& grid, bool perTeam,
                         TRespelledNames* respelled = nullptr);

// The file written whole or not at all; false with a German reason naming the file.
bool writeScheduleCsv(const QString& path, const TScheduleGrid& grid, bool perTeam, QString* error,
                      TRespelledNames* respelled = nullptr);

// "Teamablaufplan" or "Riegenablaufplan", "_" and the filter's name when one was loaded, made safe
// for a file name, ".csv".
QString scheduleExportFileName(bool perTeam, const QString& loadedAgeClassFilterName);

// The document's data file: its folder, the type's name and "daten.csv".
QString scheduleDataFile(const QString& docPath, TScheduleDocType type);

} // namespace tvp
