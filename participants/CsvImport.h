#pragma once
// The registration table saved from a spreadsheet, turned into the generic import request.
// Columns by position: given name, surname, team, age class (these four required), then optional
// year of birth, gender ("M" or "W", any case) and club; further columns are ignored. The first
// row is the header.

#include "core/lists/CsvReader.h"
#include "participants/ImportRequest.h"

namespace tvp {

// The most characters the windows' text fields take: a longer name would be cut there, and its
// athlete, team or club would count as changed whenever it is shown.
inline constexpr int kEditorTextLimit = 32767;
// The year of birth field takes four characters.
inline constexpr int kEditorYearLimit = 4;

struct TCsvFaultyRow {
    int line = 0; // the record's number in the file, the header being 1
    QString reason;
};

struct TCsvImportResult {
    TImportRequest request;
    int valid = 0;                     // rows that became an athlete
    int refused = 0;                   // rows left out as faulty
    std::vector<TCsvFaultyRow> faulty; // the refused rows, in file order
    // Imported rows whose gender is neither "M" nor "W", stored as not given; reason is the text.
    std::vector<TCsvFaultyRow> unknownGender;
};

// Rows with fewer than four fields, rows with a team but no age class, and rows with a field
// longer than its editor takes are refused; rows without a given name are skipped without
// counting. Age classes, clubs and teams are made once per exact name (teams per name and age
// class); age classes made here allow any number of team members. A gender other than "M" or "W"
// is imported as not given and its row noted.
TCsvImportResult buildCsvImportRequest(const TCsvList& rows);

inline const QString kCsvImportQuestionCaption = QStringLiteral("Importieren");

// The message when no row is valid, and the Yes/No question before the import; both name the
// faulty rows by their line, the question also the rows whose gender was not understood.
QString csvNothingToImportText(const TCsvImportResult& result);
QString csvImportQuestionText(const TCsvImportResult& result);

} // namespace tvp
