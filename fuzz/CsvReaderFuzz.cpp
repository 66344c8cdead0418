// Registration tables into the CSV reader and on into the import request: every input gives rows
// or the reader's error, never a crash or a hang, and every index in the request points inside it.
// UTF-8 with a byte-order mark reads as the same text without it, and no imported field is longer
// than the windows' text fields take.

#include "participants/CsvImport.h"
#include "core/lists/CsvReader.h"

#include <QStringDecoder>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

void checkIndex(int index, std::size_t size, bool noneAllowed)
{
    if ((index < 0 && !noneAllowed) || (index >= 0 && std::size_t(index) >= size))
        std::abort();
}

void checkLength(const QString& text)
{
    if (text.size() > tvp::kEditorTextLimit)
        std::abort();
}

std::optional<tvp::TCsvList> read(const QByteArray& bytes)
{
    try {
        return tvp::parseCSV(bytes);
    } catch (const tvp::ECsvError&) {
        return std::nullopt;
    }
}

bool validUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes); // decoded only when converted
    return !utf8.hasError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<tvp::TCsvList> read1 = read(bytes);
    // A mark before UTF-8 changes nothing of what is read (a mark inside the text is text).
    if (validUtf8(bytes) && !bytes.startsWith("\xEF\xBB\xBF") && read(QByteArray("\xEF\xBB\xBF") + bytes) != read1)
        std::abort();
    if (!read1)
        return 0;
    const tvp::TCsvList& rows = *read1;
    for (const tvp::TCsvRow& row : rows)
        if (row.isEmpty())
            std::abort();
    const tvp::TCsvImportResult result = tvp::buildCsvImportRequest(rows);
    const tvp::TImportRequest& r = result.request;
    if (std::size_t(result.valid) != r.athletes.size() || result.valid + result.refused > int(rows.size()))
        std::abort();
    if (std::size_t(result.refused) != result.faulty.size())
        std::abort();
    int previous = 1;
    for (const tvp::TCsvFaultyRow& f : result.faulty) {
        if (f.line <= previous || f.line > int(rows.size()) || f.reason.isEmpty())
            std::abort();
        previous = f.line;
    }
    for (const auto& ageClass : r.AgeClasses)
        checkLength(ageClass.AgeClassInfo->Name);
    for (const auto& club : r.clubs)
        checkLength(club.Name);
    for (const auto& team : r.teams) {
        checkIndex(team.AgeClassID, r.AgeClasses.size(), false);
        checkLength(team.TeamInfo->Name);
    }
    for (const auto& athlete : r.athletes) {
        checkIndex(athlete.TeamId, r.teams.size(), true);
        checkIndex(athlete.ClubID, r.clubs.size(), true);
        checkLength(athlete.AthleteInfo->Name->givenName);
        checkLength(athlete.AthleteInfo->Name->surName);
        if (QString::number(athlete.AthleteInfo->YearOfBirth).size() > tvp::kEditorYearLimit)
            std::abort();
    }
    for (const auto& ageClass : r.AgeClasses)
        if (ageClass.AgeClassInfo->MaxTeamMembers != -1)
            std::abort();
    return 0;
}
