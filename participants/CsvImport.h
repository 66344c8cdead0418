#pragma once
// The registration table saved from a spreadsheet, turned into the generic import request.
// Columns by position: given name, surname, team, age class (these four required), then optional
// year of birth, gender ("M" or "W", any case) and club; further columns are ignored. The first
// row is the header.

#include "core/lists/CsvReader.h"
#include "participants/ImportRequest.h"

namespace tvp {

struct TCsvImportResult {
    TImportRequest request;
    int valid = 0;   // rows that became an athlete
    int refused = 0; // rows left out as faulty
};

// Rows with fewer than four fields, and rows with a team but no age class, are refused; rows
// without a given name are skipped without counting. Age classes, clubs and teams are made once
// per exact name (teams per name and age class); age classes made here allow any number of team
// members.
TCsvImportResult buildCsvImportRequest(const TCsvList& rows);

inline const QString kCsvImportQuestionCaption = QStringLiteral("Importieren");

// The message when no row is valid.
QString csvNothingToImportText(const TCsvImportResult& result);
// The Yes/No question before the import.
QString csvImportQuestionText(const TCsvImportResult& result);

} // namespace tvp
