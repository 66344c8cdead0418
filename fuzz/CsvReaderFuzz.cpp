// Registration tables into the CSV reader and on into the import request: every input gives rows
// or the reader's error, never a crash or a hang, and every index in the request points inside it.

#include "participants/CsvImport.h"
#include "core/lists/CsvReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void checkIndex(int index, std::size_t size, bool noneAllowed)
{
    if ((index < 0 && !noneAllowed) || (index >= 0 && std::size_t(index) >= size))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    tvp::TCsvList rows;
    try {
        rows = tvp::parseCSV(bytes);
    } catch (const tvp::ECsvError&) {
        return 0;
    }
    for (const tvp::TCsvRow& row : rows)
        if (row.isEmpty())
            std::abort();
    const tvp::TCsvImportResult result = tvp::buildCsvImportRequest(rows);
    const tvp::TImportRequest& r = result.request;
    if (std::size_t(result.valid) != r.athletes.size() || result.valid + result.refused > int(rows.size()))
        std::abort();
    for (const auto& team : r.teams)
        checkIndex(team.AgeClassID, r.AgeClasses.size(), false);
    for (const auto& athlete : r.athletes) {
        checkIndex(athlete.TeamId, r.teams.size(), true);
        checkIndex(athlete.ClubID, r.clubs.size(), true);
    }
    for (const auto& ageClass : r.AgeClasses)
        if (ageClass.AgeClassInfo->MaxTeamMembers != -1)
            std::abort();
    return 0;
}
